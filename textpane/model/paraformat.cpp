#include "textpane/model/paraformat.h"

#include <algorithm>

#include "textpane/model/refcounted.h"

namespace textpane {

namespace {

void MixBorder(size_t& h, const BorderSpec& b) {
  HashMix(h, static_cast<uint16_t>(b.width) | uint64_t{b.colour} << 16 |
                 uint64_t{static_cast<uint16_t>(b.space)} << 32 | uint64_t{b.style} << 48);
}

}  // namespace

void ParaFormat::AddTabStop(const TabStop& stop) {
  auto at = std::upper_bound(tabs.begin(), tabs.end(), stop.position,
                             [](int16_t pos, const TabStop& t) { return pos < t.position; });
  tabs.insert(at, stop);
}

size_t ParaFormatHash::operator()(const ParaFormat& f) const {
  size_t h = 0;
  for (int16_t v : {f.firstIndent, f.leftIndent, f.rightIndent, f.spaceBefore, f.spaceAfter, f.tabPosition}) {
    HashMix(h, static_cast<uint16_t>(v));
  }
  HashMix(h, f.inTable | uint64_t{f.rightToLeft} << 8 | uint64_t{f.alignment} << 16 | uint64_t{f.tabKind} << 24 |
                 uint64_t{f.tabLeader} << 32 | uint64_t{f.borderSide} << 40);
  for (const TabStop& t : f.tabs) {
    HashMix(h, static_cast<uint16_t>(t.position) | uint32_t{t.kind} << 16 | uint32_t{t.leader} << 24);
  }
  for (const BorderSpec& b : f.borders) MixBorder(h, b);
  const Shading& s = f.shading;
  HashMix(h, s.percentage | uint64_t{s.foreground} << 16 | uint64_t{s.background} << 32 | uint64_t{s.pattern} << 48);
  return h;
}

}  // namespace textpane
