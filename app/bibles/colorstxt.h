// colors.txt, the topic colours' palette with their names:
//
//   Colors 3
//   Manila<TAB><TAB>1<TAB>187<TAB>187<TAB>187
//   Light_Green<TAB>2<TAB>128<TAB>255<TAB>128
//
// A header word beginning with "Color" and the number of colours n, then a
// line per colour: name, a tab (two when the name is shorter than 8
// characters), the colour number k (1-based), R, G and B (0-255), tab
// separated. Every field is read as one blank-delimited token, so a name is
// one word: blanks in a name are written as underscores and read back as
// blanks (an underscore of its own therefore comes back as a blank).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace klmw {

// COLORREF: 0x00BBGGRR.
using ColorRef = uint32_t;
inline constexpr ColorRef kWhite = 0xFFFFFF;
// Topic colours beyond this have no colour-table entry (entries are bytes).
inline constexpr int kMaxTopicColors = 250;

struct CColorPalette {
  std::vector<ColorRef> colors;  // topic colour k at k - 1
  std::vector<std::string> names;
  // Read from a file that began with the "Color" word; false for the default.
  bool fromFile = false;
};

// The 12 colours used when colors.txt is absent or not a palette.
CColorPalette DefaultPalette();

enum class PaletteRead { Read, Absent, Foreign };
// Reads colors.txt. Absent or foreign: the default palette. Lines past the
// end, short lines and colour numbers outside 1..n are skipped (their
// colours stay white, named "White"); R, G, B are kept within 0-255.
PaletteRead ReadColorsTxt(const std::string& path, CColorPalette& palette);
// The file's text for a palette (colours without a name are "Description").
std::string FormatColorsTxt(const CColorPalette& palette);
bool WriteColorsTxt(const std::string& path, const CColorPalette& palette);

}  // namespace klmw
