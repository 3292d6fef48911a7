#include "textpane/model/charformat.h"

#include <functional>

namespace textpane {

size_t CharFormatHash::operator()(const CharFormat& f) const {
  size_t h = std::hash<const void*>()(f.link.get());
  HashMix(h, std::hash<const void*>()(f.picture.get()));
  HashMix(h, static_cast<uint32_t>(f.level));
  // The 16-bit fields go in pairs and the flags in groups of eight, which
  // spreads them as well as mixing each one alone would.
  HashMix(h, f.background | uint32_t{f.foreground} << 16);
  HashMix(h, f.font | uint32_t{f.size} << 16);
  HashMix(h, f.kerning | uint32_t{f.language} << 16);
  HashMix(h, f.linkType | uint32_t{static_cast<uint16_t>(f.expansion)} << 16);
  uint64_t flags = 0;
  for (uint8_t b : {f.bold, f.caps, f.smallCaps, f.italic, f.strike, f.underline, f.rightToLeft, f.hidden}) {
    flags = flags << 8 | b;
  }
  HashMix(h, flags);
  HashMix(h, f.verticalPosition | uint32_t{f.linkText} << 8 | uint32_t{f.mark} << 16 |
                 uint32_t{f.concordance} << 24);
  return h;
}

}  // namespace textpane
