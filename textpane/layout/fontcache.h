// Fonts made once and measured once. A cache serves one font system at one
// scaling and keeps the 15 fonts used most recently; every view at that
// scaling shares it (ForScaling), and it goes when the last of them lets go.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "textpane/layout/surface.h"

namespace textpane {

struct CharFormat;
class FontTable;

// A font with what layout needs of it.
struct CachedFont {
  std::unique_ptr<Font> font;
  int32_t lineHeight = 0;  // character height + external leading
  int32_t ascent = 0;
  bool outline = true;
  int16_t widths[256] = {};  // byte 30 as a hyphen, byte 31 none
  std::vector<KerningPair> kerning;  // by (first, second); amounts in logical units

  int32_t Kerning(unsigned char first, unsigned char second) const;
};

class FontCache {
 public:
  static constexpr int kSlots = 15;

  FontCache(FontSystem& system, int scaling) : m_system(system), m_scaling(scaling) {}

  // The cache of `system` at `scaling`, made when no view holds one.
  static std::shared_ptr<FontCache> ForScaling(FontSystem& system, int scaling);

  // The font of the description, made and measured on a miss.
  std::shared_ptr<const CachedFont> Get(const FontDescription& description);

  // The description of a run's font: its font-table entry ("Times New Roman"
  // when the number is unknown), its size (smaller for sub- and
  // superscript, 80 % for the small-capital font), weight and styles.
  static FontDescription Describe(const CharFormat& format, const FontTable& fonts, bool smallCapitals = false);

  int Scaling() const { return m_scaling; }
  FontSystem& System() const { return m_system; }
  // Fonts made so far; a benchmark and the tests watch it.
  uint64_t Misses() const { return m_misses; }

 private:
  struct Slot {
    FontDescription description;
    std::shared_ptr<const CachedFont> font;
    uint64_t stamp = 0;
  };
  FontSystem& m_system;
  int m_scaling;
  Slot m_slots[kSlots];
  uint64_t m_clock = 0;
  uint64_t m_misses = 0;
  int m_last = -1;  // the slot of the last hit: runs mostly repeat a font
};

}  // namespace textpane
