// Line breaking, heights and drawing with the fixed-metric fonts: a 12-point
// character (\fs24) is 240 high, 120 wide, with an ascent of 192.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "textpane.h"
#include "textpane/layout/fixedfonts.h"
#include "textpane/layout/layout.h"
#include "textpane/layout/shading.h"

namespace textpane {
namespace {

// "start-end:width/spacewidth@x h" per line, lines of a paragraph joined by
// " | ", paragraphs by " ; ", a row as "ROW left height".
std::string Lines(const std::string& rtf, int32_t width) {
  CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  DocumentLayout layout;
  layout.Layout(doc, FontCache::ForScaling(FixedFontSystem::Instance(), 100), width);
  std::string out;
  for (size_t b = 0; b < layout.Bands().size(); ++b) {
    const LayoutBand& band = layout.Bands()[b];
    for (const PlacedParagraph& p : layout.BandParagraphs(b)) {
      if (!out.empty()) out += " ; ";
      out += "H" + std::to_string(p.height) + " ";
      bool first = true;
      for (const LayoutLine& l : layout.Lines(p)) {
        if (!first) out += " | ";
        first = false;
        out += std::to_string(l.start) + "-" + std::to_string(l.end) + ":" + std::to_string(l.width) + "/" +
               std::to_string(l.spaceWidth) + "@" + std::to_string(l.x);
      }
    }
    if (band.row >= 0) {
      const PlacedRow& r = layout.Rows()[static_cast<size_t>(band.row)];
      out += " ; ROW " + std::to_string(r.left) + " " + std::to_string(r.height);
    }
  }
  return out;
}

TEST(Layout, LineBreaking) {
  const struct {
    const char* name;
    const char* rtf;
    int32_t width;
    const char* expected;
  } cases[] = {
      {"a word wider than the line stays whole on a line of its own", "{\\rtf1 aaaaaaaaaa bb\\par}", 600,
       "H480 0-10:1200/1320@0 | 11-13:240/240@0"},
      {"a tab one twip before a default stop goes to the next stop", "{\\rtf1\\li719 \\tab x}", 5000,
       "H240 0-2:841/841@719"},
      {"a tab short of a default stop goes to it", "{\\rtf1\\li718 \\tab x}", 5000, "H240 0-2:122/122@718"},
      {"justified lines are stretched but the last one", "{\\rtf1\\qj aaa bbb ccc ddd}", 1000,
       "H480 0-7:1000/1120@0 | 8-15:840/840@0"},
      {"a line ended by a line break is stretched", "{\\rtf1\\qj aaa bbb\\line ccc}", 1000,
       "H480 0-7:1000/1000@0 | 8-11:360/360@0"},
      {"centred text never starts left of the edge", "{\\rtf1\\qc aaaaaaaaaaaaaaaaaaaa}", 600,
       "H240 0-20:2400/2400@0"},
      {"right-aligned text ends at the right indent", "{\\rtf1\\qr\\ri200 ab}", 1000, "H240 0-2:240/240@560"},
      {"a hanging indent is a tab stop", "{\\rtf1\\fi-500\\li500 a\\tab b}", 5000, "H240 0-3:620/620@0"},
      {"hidden text takes no room", "{\\rtf1 a{\\v hidden}b}", 5000, "H240 0-8:240/240@0"},
      {"spacing and borders add to the height", "{\\rtf1\\sb100\\sa50\\brdrt\\brdrs\\brdrw20\\brsp40 a}", 5000,
       "H450 0-1:120/120@0"},
      {"a right tab gives back the text's width", "{\\rtf1\\tqr\\tx2000 \\tab ab}", 5000, "H240 0-3:2000/2000@0"},
      {"a row is as tall as its absolute height", "{\\rtf1\\trowd\\trrh-1000\\cellx2000\\pard\\intbl a\\cell\\row}",
       5000, "H240 0-1:120/120@0 ; ROW 0 1000"},
      {"a taller cell makes the row taller",
       "{\\rtf1\\trowd\\trrh100\\trgaph100\\cellx1000\\cellx2000\\pard\\intbl a\\par b\\cell c\\cell\\row}", 5000,
       "H240 0-1:120/120@0 ; H240 0-1:120/120@0 ; H240 0-1:120/120@0 ; ROW 0 480"},
      {"a centred row starts half its spare room in", "{\\rtf1\\trowd\\trqc\\cellx2000\\pard\\intbl a\\cell\\row}",
       5000, "H240 0-1:120/120@0 ; ROW 1500 240"},
      {"cells out of order are empty, not negative",
       "{\\rtf1\\trowd\\cellx2000\\cellx1000\\pard\\intbl a\\cell b\\cell\\row}", 5000,
       "H240 0-1:120/120@0 ; H240 0-1:120/120@0 ; ROW 0 240"},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.rtf, c.width), c.expected) << c.name;
}

TEST(Layout, HitTestAndLocateAgree) {
  CRtfDoc doc;
  const std::string rtf = "{\\rtf1 abc def ghi\\par second}";
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  DocumentLayout layout;
  layout.Layout(doc, FontCache::ForScaling(FixedFontSystem::Instance(), 100), 1000);
  for (Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    for (size_t offset = 0; offset < p->Length(); ++offset) {
      const DocumentLayout::Place place = layout.Locate({p, offset});
      ASSERT_TRUE(place.found);
      const TextPoint hit = layout.HitTest(place.x + 10, place.lineTop + 1);
      EXPECT_EQ(hit.paragraph, p);
      EXPECT_EQ(hit.offset, offset);
    }
  }
  // Below the end: the last line; past a line's end: after its last character.
  EXPECT_EQ(layout.HitTest(0, 100000).paragraph, doc.Root() ? LastLeaf(doc.Root()) : nullptr);
}

TEST(Layout, PagesNeverCutALine) {
  std::string rtf = "{\\rtf1 ";
  for (int i = 0; i < 30; ++i) rtf += "line\\par ";
  rtf += "}";
  CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  DocumentLayout layout;
  layout.Layout(doc, FontCache::ForScaling(FixedFontSystem::Instance(), 100), 5000);
  // 31 lines of 240 on pages of 1000: four lines a page.
  const auto starts = layout.PageStarts(1000);
  ASSERT_EQ(starts.size(), 8u);
  for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], static_cast<int64_t>(i) * 960);
}

TEST(Layout, Drawing) {
  const struct {
    const char* name;
    const char* rtf;
    const char* drawn;
    RGB firstTextColour;
  } cases[] = {
      {"link text takes its link type's colour", "{\\rtf1 {\\soltlink see}{\\soltlinkto1 target}}", "see",
       MakeRGB(128, 0, 0)},
      {"a type 4 link is green", "{\\rtf1 {\\soltlink see}{\\soltlinkto4 Gen 1:1}}", "see", MakeRGB(0, 128, 0)},
      {"a named colour stays", "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\cf1 blue}", "blue", MakeRGB(0, 0, 255)},
      {"automatic text takes the window's text colour", "{\\rtf1 plain}", "plain", MakeRGB(0, 0, 0)},
      {"small capitals are drawn as capitals", "{\\rtf1\\scaps Ab}", "AB", MakeRGB(0, 0, 0)},
      {"concordance keys are not drawn", "{\\rtf1 {\\soltconcordanceon key}word\\soltconcordanceoff}", "word",
       MakeRGB(0, 0, 0)},
  };
  for (const auto& c : cases) {
    CRtfDoc doc;
    doc.SetText(c.rtf, std::strlen(c.rtf), FORMAT_RTF);
    DocumentLayout layout;
    layout.Layout(doc, FontCache::ForScaling(FixedFontSystem::Instance(), 100), 5000);
    RecordingSurface surface;
    layout.Draw(surface, Colors::ScreenColors(), DrawArea{0, 0, LRect{0, 0, 5000, 5000}});
    std::string drawn = surface.DrawnText();
    while (!drawn.empty() && drawn.back() == ' ') drawn.pop_back();
    EXPECT_EQ(drawn, c.drawn) << c.name;
    for (const auto& e : surface.Entries()) {
      if (e.op == RecordingSurface::Op::Text) {
        EXPECT_EQ(e.colour, c.firstTextColour) << c.name;
        break;
      }
    }
  }
}

TEST(Layout, Shading) {
  const struct {
    const char* name;
    Shading shading;
    bool printer;
    RecordingSurface::Op op;  // Clip: nothing drawn
    RGB colour;
  } cases[] = {
      {"below 5 % over an automatic background draws nothing", {400, 0, 0, 0}, false, RecordingSurface::Op::Clip, 0},
      {"below 5 % over a named background fills it", {400, 1, 2, 0}, false, RecordingSurface::Op::Pattern,
       MakeRGB(255, 0, 0)},
      {"a light pattern draws nothing", {5000, 1, 2, 3}, false, RecordingSurface::Op::Clip, 0},
      {"a dark pattern is a pattern", {5000, 1, 2, 9}, false, RecordingSurface::Op::Pattern, MakeRGB(255, 0, 0)},
      {"on paper a solid shading is one blended colour", {10000, 1, 2, 0}, true, RecordingSurface::Op::Fill,
       MakeRGB(255, 0, 0)},
  };
  ColorTable table;
  table.Add({true, 0});
  table.Add({false, MakeRGB(255, 0, 0)});
  table.Add({false, MakeRGB(0, 0, 255)});
  for (const auto& c : cases) {
    RecordingSurface surface(c.printer);
    FillShading(surface, Colors::ScreenColors(), table, c.shading, LRect{0, 0, 100, 100});
    if (c.op == RecordingSurface::Op::Clip) {
      EXPECT_TRUE(surface.Entries().empty()) << c.name;
      continue;
    }
    ASSERT_EQ(surface.Entries().size(), 1u) << c.name;
    EXPECT_EQ(surface.Entries()[0].op, c.op) << c.name;
    EXPECT_EQ(surface.Entries()[0].colour, c.colour) << c.name;
  }
  // Each band holds about its share of foreground pixels.
  for (int percent : {0, 10, 50, 90, 100}) {
    Shading s{static_cast<uint16_t>(percent * 100), 0, 0, 0};
    int set = 0;
    for (int row = 0; row < 8; ++row) set += __builtin_popcount(ShadingPattern(s)[row]);
    EXPECT_NEAR(set, percent * 64 / 100, 6) << percent;
  }
}

TEST(Layout, FontCacheKeepsFifteenFonts) {
  auto cache = FontCache::ForScaling(FixedFontSystem::Instance(), 77);
  EXPECT_EQ(cache, FontCache::ForScaling(FixedFontSystem::Instance(), 77));
  FontDescription d;
  for (int size = 1; size <= 16; ++size) {
    d.height = -size * 20;
    cache->Get(d);
  }
  EXPECT_EQ(cache->Misses(), 16u);
  d.height = -16 * 20;
  cache->Get(d);  // the newest stays
  d.height = -20;
  cache->Get(d);  // the oldest went
  EXPECT_EQ(cache->Misses(), 17u);
}

}  // namespace
}  // namespace textpane

namespace textpane {
namespace {

// Checks what a user of a laid-out document relies on: lines that cover
// their paragraph in order, no negative measures, pages that move forward.
void CheckSane(const CRtfDoc& doc, const DocumentLayout& layout, const std::string& name) {
  ASSERT_GE(layout.Height(), 0) << name;
  EXPECT_EQ(layout.Paragraphs().size(), doc.ParagraphCount()) << name;
  int64_t bandTop = 0;
  for (const LayoutBand& band : layout.Bands()) {
    EXPECT_GE(band.top, bandTop) << name;
    bandTop = band.top;
  }
  for (const PlacedParagraph& p : layout.Paragraphs()) {
    const size_t length = p.paragraph->Length();
    EXPECT_GE(p.height, 0) << name;
    EXPECT_GE(p.width, 0) << name;
    auto lines = layout.Lines(p);
    ASSERT_FALSE(lines.empty()) << name;
    uint32_t next = 0;
    for (const LayoutLine& l : lines) {
      ASSERT_EQ(l.start, next) << name;
      ASSERT_LE(l.start, l.end) << name;
      ASSERT_LT(l.end, length) << name;
      EXPECT_GE(l.width, 0) << name;
      EXPECT_GE(l.spaceWidth, l.width) << name;
      EXPECT_GE(l.x, 0) << name;
      EXPECT_GE(l.height, 0) << name;
      EXPECT_GE(l.ascent, 0) << name;
      EXPECT_LE(l.ascent, l.height) << name;
      next = l.end + 1;
    }
    EXPECT_EQ(next, length) << name;
    for (size_t offset : {size_t{0}, length / 2, length - 1, length}) {
      const DocumentLayout::Place place = layout.Locate({const_cast<Paragraph*>(p.paragraph), offset});
      EXPECT_TRUE(place.found) << name;
      EXPECT_GE(place.lineHeight, 0) << name;
      EXPECT_GE(place.width, 0) << name;
    }
  }
  const int64_t h = layout.Height();
  for (auto [x, y] : {std::pair<int32_t, int64_t>{INT32_MIN, -(int64_t{1} << 40)}, {0, 0}, {100, h / 2},
                      {INT32_MAX, h - 1}, {INT32_MAX, int64_t{1} << 40}}) {
    const TextPoint hit = layout.HitTest(x, y);
    if (hit.paragraph) {
      EXPECT_LE(hit.offset, hit.paragraph->Length()) << name;
    }
  }
  if (Paragraph* first = doc.FirstParagraph()) {
    Paragraph* last = LastLeaf(doc.Root());
    layout.ForEachRangeRect({last, last->Length()}, {first, 0}, INT64_MIN, INT64_MAX,
                            [&](int64_t, int32_t left, int32_t right, int32_t height) {
                              EXPECT_LT(left, right) << name;
                              EXPECT_GE(height, 0) << name;
                            });
  }
  const auto starts = layout.PageStarts(1000);
  for (size_t i = 1; i < starts.size(); ++i) ASSERT_GT(starts[i], starts[i - 1]) << name;
  EXPECT_LE(starts.back(), std::max<int64_t>(0, h)) << name;

  // Everything drawn from the top down, a screenful at a time, on a screen
  // and on paper.
  for (bool printer : {false, true}) {
    RecordingSurface surface(printer);
    surface.SetKeeping(false);
    for (int64_t y = 0; y < h; y += 20000) {
      layout.Draw(surface, printer ? Colors::PrinterColors() : Colors::ScreenColors(),
                  DrawArea{y, 0, LRect{0, 0, 30000, 20000}});
    }
  }
}

TEST(Layout, HostileDocumentsLayOutAndDraw) {
  std::string manyCells = "{\\rtf1\\trowd\\trgaph50";
  for (int i = 0; i < 10000; ++i) manyCells += "\\cellx" + std::to_string(i * 3);
  manyCells += "\\pard\\intbl ";
  for (int i = 0; i < 10000; ++i) manyCells += "c\\cell ";
  manyCells += "\\row}";
  std::string manyTabs = "{\\rtf1\\tldot\\tx32767\\tqr\\tx32766 ";
  for (int i = 0; i < 1000; ++i) manyTabs += "\\tab w";
  manyTabs += "\\par\\pard\\deftab1 ";
  for (int i = 0; i < 1000; ++i) manyTabs += "\\tab";
  manyTabs += "}";
  // One word of several megabytes: it stays on one line whatever the width.
  const std::string longWord = "{\\rtf1 " + std::string(5'000'000, 'a') + "}";

  const struct {
    const char* name;
    std::string rtf;
  } cases[] = {
      {"font sizes of 0, the largest and negative", "{\\rtf1 {\\fs0 zero} {\\fs65535 huge words}\\par{\\fs-5 neg}}"},
      {"huge superscript and small capitals", "{\\rtf1\\fs65535 {\\super up}{\\scaps low}\\par}"},
      {"negative indents", "{\\rtf1\\li-30000\\ri-30000\\fi-30000 some words here\\par\\qc\\fi-30000 centred\\par"
                           "\\qr\\ri-30000 right\\par\\qj\\li-30000 justified text of words\\par}"},
      {"indents wider than any line", "{\\rtf1\\li32767\\ri32767\\fi32767 some words\\par\\qc\\li32767 c\\par"
                                      "\\qj\\ri32767 a b c d\\par}"},
      {"a row of ten thousand cells", manyCells},
      {"cell boundaries out of order",
       "{\\rtf1\\trowd\\trqr\\trleft-32768\\trgaph32767\\trrh-32768\\cellx32767\\cellx-32768\\cellx0\\cellx100"
       "\\pard\\intbl a b\\cell c\\cell\\cell d\\cell e\\cell\\row"
       "\\trowd\\trqc\\cellx-5\\pard\\intbl x\\cell\\row}"},
      {"a word of megabytes", longWord},
      {"a picture claiming 100000 by 100000 pixels",
       "{\\rtf1 a{\\pict\\pngblip\\picw100000\\pich100000 89504e47}b\\par}"},
      {"a corrupt picture header and absurd scales",
       "{\\rtf1{\\pict\\pngblip\\picscalex2147483647\\picscaley-100\\picwgoal2147483647\\pichgoal32767 "
       "89504e470d0a1a0a0000000d494844527fffffff7fffffff0806000000deadbeef}"
       "{\\pict\\jpegblip\\picw-5\\pich0 ffd8ffc0}\\par}"},
      {"a tab stop at the largest position and a thousand tabs", manyTabs},
      {"expansion of -5000", "{\\rtf1\\expndtw-5000 condensed to nothing\\par\\expnd-5000 and more\\tab x}"},
  };
  for (const auto& c : cases) {
    CRtfDoc doc;
    doc.SetText(c.rtf.data(), c.rtf.size(), FORMAT_RTF);
    // For the screen, and at width 0 for a page (pictures fitted to it).
    for (auto [width, pageWidth, pageHeight] : {std::tuple{-1000, 0, 0}, {0, 12240, 15840}, {2000, 0, 0}}) {
      DocumentLayout layout;
      layout.Layout(doc, FontCache::ForScaling(FixedFontSystem::Instance(), 100), width, pageWidth, pageHeight);
      CheckSane(doc, layout, std::string(c.name) + " at " + std::to_string(width));
    }
  }
}

}  // namespace
}  // namespace textpane
