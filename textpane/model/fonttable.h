// The font and colour tables a document's character formats index into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace textpane {

// A font in the platform's logical-font shape, so that the font mapper can
// take it as it stands.
struct FontEntry {
  int32_t height = 0;  // twips; negative means character height
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 7;
  uint8_t quality = 1;
  uint8_t pitchAndFamily = 0;  // pitch in the low bits, family in the high nibble
  char faceName[32] = {};  // at most 31 bytes and a terminating 0
};

// Family numbers of the high nibble of pitchAndFamily.
enum FontFamily : uint8_t { kFamilyDontCare = 0, kFamilyRoman, kFamilySwiss, kFamilyModern, kFamilyScript, kFamilyDecorative };

class FontTable {
 public:
  // Starts with font 0, so that text without a font table has a face.
  FontTable();
  void Set(int32_t number, const FontEntry& entry) { m_fonts[number] = entry; }
  const FontEntry* Find(int32_t number) const;
  size_t Size() const { return m_fonts.size(); }
  // The font numbers in ascending order, so that output does not depend on
  // the hash table's order.
  std::vector<int32_t> Numbers() const;

  int32_t defaultFont = 0;  // \deff

 private:
  std::unordered_map<int32_t, FontEntry> m_fonts;
};

struct ColorEntry {
  bool automatic = true;  // none of red, green, blue was given
  uint32_t rgb = 0;  // red + green * 256 + blue * 65536
};

class ColorTable {
 public:
  void Add(const ColorEntry& e) { m_colors.push_back(e); }
  // No colour for an index past the end or an automatic entry: the caller
  // then uses its own default.
  std::optional<uint32_t> Lookup(size_t index) const;
  size_t Size() const { return m_colors.size(); }
  const ColorEntry& operator[](size_t i) const { return m_colors[i]; }

 private:
  std::vector<ColorEntry> m_colors;
};

}  // namespace textpane
