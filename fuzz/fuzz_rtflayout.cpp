// Arbitrary RTF read, laid out and drawn with the fixed-metric fonts: layout
// and drawing must stay in bounds whatever sizes, indents, tabs, tables and
// pictures the text claims, and what is laid out must hold together (every
// paragraph placed, lines covering its text in order, bands without gaps).
//
// Input: byte 0 and 1 choose the layout width (0-65535 twips, so a zero
// width comes up too); the rest is the RTF.
#include <cstdint>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "textpane.h"
#include "textpane/layout/fixedfonts.h"
#include "textpane/layout/layout.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t width = data[0] | data[1] << 8;
  data += 2;
  size -= 2;
  textpane::CRtfDoc doc;
  doc.SetText(reinterpret_cast<const char*>(data), size, textpane::FORMAT_RTF);

  textpane::DocumentLayout layout;
  layout.Layout(doc, textpane::FontCache::ForScaling(textpane::FixedFontSystem::Instance(), 100), width);
  int64_t y = 0;
  for (size_t b = 0; b < layout.Bands().size(); ++b) {
    Check(layout.Bands()[b].top == y && layout.BandHeight(b) >= 0, "bands leave a gap");
    y += layout.BandHeight(b);
  }
  Check(y == layout.Height(), "the height is not the bands' sum");
  size_t count = 0;
  for (textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    const textpane::PlacedParagraph* placed = layout.Find(p);
    Check(placed != nullptr, "a paragraph was not laid out");
    uint32_t next = 0;
    for (const auto& line : layout.Lines(*placed)) {
      Check(line.start == next && line.end >= line.start && line.end < p->Length(), "lines do not cover the text");
      next = line.end + 1;
    }
    Check(next == p->Length(), "lines stop short of the mark");
    ++count;
  }
  Check(count == layout.Paragraphs().size(), "more placed paragraphs than paragraphs");

  textpane::RecordingSurface surface;
  surface.SetKeeping(false);
  const int32_t viewHeight = 20000;
  for (int64_t top = 0; top < layout.Height() && top < 4 * viewHeight; top += viewHeight) {
    layout.Draw(surface, textpane::Colors::ScreenColors(),
                textpane::DrawArea{top, 0, textpane::LRect{0, 0, width, viewHeight}});
  }
  layout.PageStarts(15840);
  layout.HitTest(width / 2, layout.Height() / 2);
  return 0;
}
