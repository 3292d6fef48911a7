#include "textpane/layout/fixedfonts.h"

#include <cstdlib>

namespace textpane {

std::unique_ptr<Font> FixedFontSystem::CreateFont(const FontDescription& description, int) {
  return std::make_unique<FixedFont>(description);
}

void FixedFontSystem::Measure(const Font& font, FontMetrics& m) {
  const auto& d = static_cast<const FixedFont&>(font).description;
  // Heights beyond 16 bits are held at the largest a run can ask for.
  const int32_t h = std::min<int32_t>(std::abs(d.height), 0xFFFF);
  m.height = h;
  m.ascent = h * 4 / 5;
  m.externalLeading = 0;
  m.outline = true;
  const auto w = static_cast<int16_t>(std::min<int32_t>(h / 2, INT16_MAX));
  for (int16_t& width : m.widths) width = w;
  m.kerning.clear();
}

FixedFontSystem& FixedFontSystem::Instance() {
  static FixedFontSystem system;
  return system;
}

void RecordingSurface::Add(Entry e) {
  if (m_keep) m_entries.push_back(std::move(e));
}

void RecordingSurface::FillRect(const LRect& r, RGB colour) { Add({Op::Fill, r, colour, 0, {}}); }

void RecordingSurface::FillPattern(const LRect& r, const uint8_t*, RGB fore, RGB back) {
  Add({Op::Pattern, r, fore, back, {}});
}

void RecordingSurface::InvertRect(const LRect& r) { Add({Op::Invert, r, 0, 0, {}}); }

void RecordingSurface::SetClip(const LRect& r) { Add({Op::Clip, r, 0, 0, {}}); }

void RecordingSurface::DrawChars(const Font& font, int32_t x, int32_t y, const unsigned char* bytes,
                                 const int32_t* advances, size_t count) {
  if (!m_keep) return;
  const int32_t h = std::abs(static_cast<const FixedFont&>(font).description.height);
  int64_t width = 0;
  for (size_t i = 0; i < count; ++i) width += advances[i];
  LRect box{x, y - h * 4 / 5, static_cast<int32_t>(x + width), y - h * 4 / 5 + h};
  Add({Op::Text, box, m_text, 0, std::string(reinterpret_cast<const char*>(bytes), count)});
}

void RecordingSurface::DrawPicture(const Picture&, const LRect& r) { Add({Op::Picture, r, 0, 0, {}}); }

std::string RecordingSurface::DrawnText() const {
  std::string out;
  for (const Entry& e : m_entries) {
    if (e.op == Op::Text) out += e.text;
  }
  return out;
}

}  // namespace textpane
