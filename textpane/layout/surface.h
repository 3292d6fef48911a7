// The engine's two windows onto a device: a font system that makes fonts from
// descriptions and measures them, and a surface that draws. Layout and
// drawing go through nothing else, so they run the same on the screen, on a
// printer and in tests (FixedFontSystem, RecordingSurface).
//
// Every coordinate and measure here is in logical units (twips at 100 %
// scaling). A font system turns a description into a font for one scaling;
// a surface maps logical units to its device itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace textpane {

class Picture;

// Red + green * 256 + blue * 65536, as colour tables store colours.
using RGB = uint32_t;
constexpr RGB MakeRGB(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }
constexpr unsigned RedOf(RGB c) { return c & 0xFF; }
constexpr unsigned GreenOf(RGB c) { return c >> 8 & 0xFF; }
constexpr unsigned BlueOf(RGB c) { return c >> 16 & 0xFF; }

struct LRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Intersects(const LRect& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

// A font in the logical-font shape: the key of the font cache, compared byte
// for byte, so the unused tail of the face name is always zero.
struct FontDescription {
  int32_t height = 0;  // logical units; negative: character height
  int32_t weight = 400;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t pitchAndFamily = 0;
  char faceName[32] = {};
  bool operator==(const FontDescription&) const = default;
};

struct KerningPair {
  uint8_t first;
  uint8_t second;
  int16_t amount;  // logical units
};

struct FontMetrics {
  int32_t height = 0;  // character height
  int32_t ascent = 0;
  int32_t externalLeading = 0;
  bool outline = true;
  int16_t widths[256] = {};  // advance of each byte value
  std::vector<KerningPair> kerning;  // outline fonts only
};

// A font made by a FontSystem; only the system that made it knows its inside.
class Font {
 public:
  virtual ~Font() = default;
};

class FontSystem {
 public:
  virtual ~FontSystem() = default;
  // A font for `scaling` percent: logical units are then 1440 × 100 ÷
  // scaling to the inch (rounded as the device maps them).
  virtual std::unique_ptr<Font> CreateFont(const FontDescription& description, int scaling) = 0;
  virtual void Measure(const Font& font, FontMetrics& metrics) = 0;
};

class Surface {
 public:
  virtual ~Surface() = default;

  // Printing fits pictures to the page and blends shading into one colour.
  virtual bool IsPrinter() const { return false; }
  // A device of two colours gets grey fills instead of patterns.
  virtual bool IsMonochrome() const { return false; }

  virtual void FillRect(const LRect& r, RGB colour) = 0;
  // Fills r with an 8×8 pattern of device pixels (bit 7 of row 0 is the top
  // left pixel; a set bit takes `fore`, a clear one `back`), aligned to the
  // device origin so that neighbouring fills join.
  virtual void FillPattern(const LRect& r, const uint8_t pattern[8], RGB fore, RGB back) = 0;
  virtual void InvertRect(const LRect& r) = 0;
  // Later drawing stays inside r until the clip is reset.
  virtual void SetClip(const LRect& r) = 0;
  virtual void ResetClip() = 0;

  virtual void SetTextColor(RGB colour) = 0;
  // Draws `count` bytes (Windows-1252) in the text colour with `font`, the
  // first with its left edge at x, all on the baseline y; each byte moves on
  // by its entry in `advances`. The font's underline and strike-out are
  // drawn across the whole advance.
  virtual void DrawChars(const Font& font, int32_t x, int32_t y, const unsigned char* bytes,
                         const int32_t* advances, size_t count) = 0;
  // Draws the picture stretched over r.
  virtual void DrawPicture(const Picture& picture, const LRect& r) = 0;
};

}  // namespace textpane
