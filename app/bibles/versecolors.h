// The colour record of one verse: where its topic colours and its underlining
// change, and the drawing's segments made from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/bibles/verselayout.h"

namespace klmw {

// Verses that carry colour records (indexes 0 to 31,101).
inline constexpr int kColorVerses = 31102;
// The record's size in the paint file.
inline constexpr size_t kVerseColorsSize = 56;
// Slots 0 and 1 are never changed; changes go in the data slots 2 to 7.
inline constexpr int kColorSlots = 8;
inline constexpr int kFirstDataSlot = 2;
// Positions: 0 ends a list, 25000 is character 0, -w is word w (1-based)
// not yet turned into a character offset, anything else a character offset.
inline constexpr int16_t kPositionEnd = 0;
inline constexpr int16_t kPositionStart = 25000;
// Colour-table entries: topic colour n is entry n + 5; entry 5 (topic colour
// 0) is the page colour that ends a coloured stretch.
inline constexpr int kTopicEntryBase = 5;

// One verse's record, 56 bytes little-endian in the paint file:
//
//   offset  type       meaning
//   0       int16 x 8  colour-change positions, slots 0-7
//   16      int16 x 8  underline-change positions, slots 0-7
//   32      uint8 x 8  underline state per slot (2 off, 3 on)
//   40      uint8 x 8  colour-table entry per slot (2 uncoloured)
//   48      int32      1 when the verse has underlined words
//   52      uint8      3
//   53      3 bytes    zero
struct CVerseColors {
  std::array<int16_t, kColorSlots> colorPos{};
  std::array<int16_t, kColorSlots> underlinePos{};
  std::array<uint8_t, kColorSlots> underline{};
  std::array<uint8_t, kColorSlots> color{};
  int32_t hasUnderline = 0;
  uint8_t marker = 3;
  std::array<uint8_t, 3> spare{};

  // The form every verse starts from: slots 0-2 hold positions 0, 1, 2 and
  // colours and states 0, 1, 2; everything else zero.
  static CVerseColors Fresh();
  void Decode(const unsigned char* p);
  void Encode(unsigned char* p) const;
  bool operator==(const CVerseColors&) const = default;
};

// The drawing's segments of a verse from its record and display text: the
// colour changes and the underline changes merged in character order, a new
// segment wherever either changes. The first segment starts at 0, uncoloured
// and not underlined unless a change lies at 0. A word number past the last
// word ends its list; offsets past the text are taken as its end.
std::vector<CVerseSegment> MakeVerseSegments(const CVerseColors& record, const std::string& text);

// The character offset where word w (1-based, words parted by blanks)
// begins, or -1 when the text has fewer words.
int32_t WordStart(const std::string& text, int32_t word);

}  // namespace klmw
