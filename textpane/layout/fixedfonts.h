// The fixed-metric font system and a surface that draws nothing but keeps a
// record: what the tests, the fuzzers and `soltkit rtf layout --fixed` lay
// out and draw with. A font of height H has character height H, ascent
// 4H/5, no external leading, the width H/2 for every byte and no kerning
// pairs, and counts as an outline font.
#pragma once

#include <string>
#include <vector>

#include "textpane/layout/surface.h"

namespace textpane {

class FixedFontSystem : public FontSystem {
 public:
  std::unique_ptr<Font> CreateFont(const FontDescription& description, int scaling) override;
  void Measure(const Font& font, FontMetrics& metrics) override;

  // The one instance that callers share, so they share its font caches too.
  static FixedFontSystem& Instance();
};

// The description a fixed font was made from, for a recording surface.
class FixedFont : public Font {
 public:
  explicit FixedFont(const FontDescription& d) : description(d) {}
  FontDescription description;
};

// Keeps what was drawn: one entry per operation, and for text the bytes.
class RecordingSurface : public Surface {
 public:
  enum class Op { Fill, Pattern, Invert, Clip, Text, Picture };
  struct Entry {
    Op op;
    LRect rect;  // the text's box for Text: x, baseline - ascent .. advance, height
    RGB colour = 0;  // fill colour, pattern foreground, text colour
    RGB back = 0;  // pattern background
    std::string text;
  };

  explicit RecordingSurface(bool printer = false, bool monochrome = false)
      : m_printer(printer), m_monochrome(monochrome) {}

  bool IsPrinter() const override { return m_printer; }
  bool IsMonochrome() const override { return m_monochrome; }
  void FillRect(const LRect& r, RGB colour) override;
  void FillPattern(const LRect& r, const uint8_t pattern[8], RGB fore, RGB back) override;
  void InvertRect(const LRect& r) override;
  void SetClip(const LRect& r) override;
  void ResetClip() override {}
  void SetTextColor(RGB colour) override { m_text = colour; }
  void DrawChars(const Font& font, int32_t x, int32_t y, const unsigned char* bytes, const int32_t* advances,
                 size_t count) override;
  void DrawPicture(const Picture& picture, const LRect& r) override;

  const std::vector<Entry>& Entries() const { return m_entries; }
  void Clear() { m_entries.clear(); }
  // Stop keeping entries (a benchmark or fuzzer only wants the work done).
  void SetKeeping(bool keep) { m_keep = keep; }
  // The text of all Text entries joined, for tests.
  std::string DrawnText() const;

 private:
  void Add(Entry e);
  std::vector<Entry> m_entries;
  RGB m_text = 0;
  bool m_printer;
  bool m_monochrome;
  bool m_keep = true;
};

}  // namespace textpane
