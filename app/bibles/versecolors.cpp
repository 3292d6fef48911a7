#include "app/bibles/versecolors.h"

#include <algorithm>
#include <cstring>

#include "platform/coding.h"

namespace klmw {

CVerseColors CVerseColors::Fresh() {
  CVerseColors r;
  for (int i = 0; i <= kFirstDataSlot; ++i) {
    r.colorPos[i] = static_cast<int16_t>(i);
    r.color[i] = static_cast<uint8_t>(i);
    r.underline[i] = static_cast<uint8_t>(i);
  }
  return r;
}

// Plain pointers rather than array indexing: the paint file's 31,102
// records pass through here on every save, in unoptimised builds too.
void CVerseColors::Decode(const unsigned char* p) {
  int16_t* cp = colorPos.data();
  int16_t* up = underlinePos.data();
  for (int i = 0; i < kColorSlots; ++i) {
    cp[i] = platform::DecodeSigned16(p + 2 * i);
    up[i] = platform::DecodeSigned16(p + 16 + 2 * i);
  }
  std::memcpy(underline.data(), p + 32, kColorSlots);
  std::memcpy(color.data(), p + 40, kColorSlots);
  hasUnderline = platform::DecodeSigned32(p + 48);
  marker = p[52];
  std::memcpy(spare.data(), p + 53, spare.size());
}

void CVerseColors::Encode(unsigned char* p) const {
  const int16_t* cp = colorPos.data();
  const int16_t* up = underlinePos.data();
  for (int i = 0; i < kColorSlots; ++i) {
    platform::EncodeFixed16(p + 2 * i, static_cast<uint16_t>(cp[i]));
    platform::EncodeFixed16(p + 16 + 2 * i, static_cast<uint16_t>(up[i]));
  }
  std::memcpy(p + 32, underline.data(), kColorSlots);
  std::memcpy(p + 40, color.data(), kColorSlots);
  platform::EncodeFixed32(p + 48, static_cast<uint32_t>(hasUnderline));
  p[52] = marker;
  std::memcpy(p + 53, spare.data(), spare.size());
}

int32_t WordStart(const std::string& text, int32_t word) {
  if (word < 1) return -1;
  int32_t n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ') && ++n == word) return static_cast<int32_t>(i);
  }
  return -1;
}

namespace {

struct Change {
  int32_t at;
  uint8_t value;
};

// One list of changes as character offsets. Offsets never go back: a
// damaged record that steps back is applied where the list has got to.
std::vector<Change> Changes(const std::array<int16_t, kColorSlots>& pos, const std::array<uint8_t, kColorSlots>& value,
                            const std::string& text) {
  std::vector<Change> out;
  const auto size = static_cast<int32_t>(text.size());
  int32_t last = 0;
  for (int slot = kFirstDataSlot; slot < kColorSlots && pos[slot] != kPositionEnd; ++slot) {
    int32_t at = pos[slot];
    if (at == kPositionStart) {
      at = 0;
    } else if (at < 0) {
      at = WordStart(text, -at);
      if (at < 0) break;  // past the last word: the list ends here
    }
    at = std::max(last, std::min(at, size));
    out.push_back({at, value[slot]});
    last = at;
  }
  return out;
}

}  // namespace

std::vector<CVerseSegment> MakeVerseSegments(const CVerseColors& record, const std::string& text) {
  const std::vector<Change> colours = Changes(record.colorPos, record.color, text);
  const std::vector<Change> underlines = Changes(record.underlinePos, record.underline, text);
  std::vector<CVerseSegment> out(1);
  CVerseSegment now;
  size_t c = 0, u = 0;
  while (c < colours.size() || u < underlines.size()) {
    const int32_t at = std::min(c < colours.size() ? colours[c].at : INT32_MAX,
                                u < underlines.size() ? underlines[u].at : INT32_MAX);
    for (; c < colours.size() && colours[c].at == at; ++c) now.colour = colours[c].value;
    for (; u < underlines.size() && underlines[u].at == at; ++u)
      now.underline = underlines[u].value == kUnderlineOn ? kUnderlineOn : kUnderlineOff;
    now.start = at;
    CVerseSegment& back = out.back();
    if (back.colour == now.colour && back.underline == now.underline) continue;
    if (back.start == at) {
      back = now;
      // A change at the same place may have undone the one before it.
      if (out.size() > 1 && out[out.size() - 2].colour == now.colour && out[out.size() - 2].underline == now.underline)
        out.pop_back();
    } else {
      out.push_back(now);
    }
  }
  return out;
}

}  // namespace klmw
