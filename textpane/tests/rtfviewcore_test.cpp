// The view's decisions without a window, with the fixed-metric fonts: a
// 12-point line is 240 units high and each character 120 wide; at 96
// pixels to the inch and 100 % a pixel is 15 units.
#include <gtest/gtest.h>

#include <string>

#include "textpane/layout/fixedfonts.h"
#include "textpane/model/linktarget.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/view/rtfviewcore.h"

namespace textpane {
namespace {

class ViewCoreTest : public ::testing::Test {
 protected:
  void Load(const std::string& rtf) {
    doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
    view.SetDocument(&doc);
  }
  // n paragraphs "Line i", each its own line.
  static std::string Lines(int n, int from = 0) {
    std::string out;
    for (int i = from; i < from + n; ++i) out += "Line " + std::to_string(i) + "\\par ";
    return out;
  }

  CRtfDoc doc;
  CRtfViewCore view{FixedFontSystem::Instance(), 96};
};

TEST_F(ViewCoreTest, ScalingKeepsToItsBounds) {
  Load("{\\rtf1 " + Lines(3) + "}");
  view.Resize(300, 200);
  const struct {
    int percent;
    bool changes;
    int after;
  } cases[] = {
      {49, false, 100}, {201, false, 100}, {100, false, 100}, {50, true, 50}, {200, true, 200}, {0, false, 200},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(view.SetScaling(c.percent), c.changes) << c.percent;
    EXPECT_EQ(view.GetScaling(), c.after) << c.percent;
  }
  // 200 %: an inch of 720 units is 96 pixels of 7.5, rounded to 8.
  EXPECT_EQ(view.UnitsPerPixel(), 8);
  // The zoom steps stop at the ends.
  EXPECT_FALSE(view.ZoomIn());
  ASSERT_TRUE(view.SetScaling(50));
  EXPECT_FALSE(view.ZoomOut());
  EXPECT_TRUE(view.ZoomIn());
  EXPECT_EQ(view.GetScaling(), 67);
}

TEST_F(ViewCoreTest, GetSelectionStoresOnlyWhatItIsGiven) {
  Load("{\\rtf1 " + Lines(3) + "}");
  view.Resize(300, 200);
  long start = -7, end = -7;
  EXPECT_EQ(view.GetSelection(&start, &end), 0);
  EXPECT_EQ(start, -7);
  EXPECT_EQ(end, -7);

  view.SetSelection(9, 2);
  EXPECT_NE(view.GetSelection(nullptr, nullptr), 0);
  EXPECT_NE(view.GetSelection(&start, nullptr), 0);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, -7);
  EXPECT_NE(view.GetSelection(nullptr, &end), 0);
  EXPECT_EQ(end, 9);

  char text[8];
  view.GetSelectedText(text, sizeof text);
  EXPECT_STREQ(text, "ne 0\r\n\r");  // cut to the buffer, always ended
  view.ClearSelection();
  view.GetSelectedText(text, sizeof text);
  EXPECT_STREQ(text, "");
}

TEST_F(ViewCoreTest, SelectionCopiesWholeRowsOnceItLeavesACell) {
  Load("{\\rtf1 before\\par \\trowd\\cellx1000\\cellx2000 \\intbl one\\cell two\\cell\\row \\pard after\\par}");
  view.Resize(300, 200);
  const TextPos one = 7;  // after "before" and its mark
  const struct {
    TextPos anchor, focus;
    const char* text;
  } cases[] = {
      {0, 3, "bef"},
      {one + 1, one + 3, "ne"},  // inside one cell: text
      {one + 1, one + 4 + 2, "one\r\n\r\ntwo"},  // from cell to cell: the row
      {2, one + 2, "fore\r\n\r\none\r\n\r\ntwo"},  // into the table: the row
  };
  for (const auto& c : cases) {
    view.SetSelection(c.anchor, c.focus);
    std::string text = view.SelectionAs(FORMAT_TEXT);
    EXPECT_EQ(text.substr(0, text.find_last_not_of("\r\n") + 1), c.text) << c.anchor << ".." << c.focus;
  }
}

TEST_F(ViewCoreTest, OnlyAFinishedLinkIsFoundUnderThePointer) {
  // Eight pixels a character: "ab" plain, "cd" a type-1 link, "ef" plain,
  // "gh" link text whose target came with type 5, which cancels it.
  Load("{\\rtf1 ab{\\soltlink cd{\\soltlinkto1 Gen 1:1}}ef{\\soltlink gh{\\soltlinkto5 Gen 2:2}}\\par}");
  view.Resize(300, 100);
  const struct {
    int x;
    const char* target;
  } cases[] = {{4, nullptr}, {19, "Gen 1:1"}, {31, "Gen 1:1"}, {36, nullptr}, {52, nullptr}, {60, nullptr}, {200, nullptr}};
  for (const auto& c : cases) {
    const LinkTarget* link = view.LinkAt(c.x, 5);
    if (!c.target) {
      EXPECT_EQ(link, nullptr) << c.x;
    } else {
      ASSERT_NE(link, nullptr) << c.x;
      EXPECT_EQ(link->Target(), c.target);
      EXPECT_EQ(link->Type(), 1);
    }
  }
}

TEST_F(ViewCoreTest, LevelIsReportedOncePerChangeAndNotAfterScrollToLevel) {
  // Three levels of twenty lines each; the window shows ten lines.
  Load("{\\rtf1\\soltstartlevel0 " + Lines(20) + "\\soltstartlevel1 " + Lines(20, 20) + "\\soltstartlevel2 " +
       Lines(20, 40) + "}");
  view.Resize(300, 160);
  EXPECT_EQ(view.LevelToReport(), -1);  // the text opened at level 0

  view.ScrollToLevel(2);
  EXPECT_EQ(view.GetCaretPos(), doc.LevelPosition(2));
  EXPECT_EQ(view.LevelToReport(), -1);
  view.LineDown();
  EXPECT_EQ(view.LevelToReport(), -1);  // still level 2

  view.SetCaretPos(doc.LevelPosition(1));
  EXPECT_EQ(view.LevelToReport(), 1);
  EXPECT_EQ(view.LevelToReport(), -1);
  view.LineDown();
  EXPECT_EQ(view.LevelToReport(), -1);
  view.Top();
  EXPECT_EQ(view.LevelToReport(), 0);
}

TEST_F(ViewCoreTest, KeysScrollAsTheyShould) {
  Load("{\\rtf1 " + Lines(100) + "}");
  view.Resize(300, 160);  // 2400 units: ten lines
  const int64_t middle = 240 * 40;
  const int64_t line = 240, page = 2400 - 240;
  using K = CRtfViewCore::Key;
  const struct {
    K key;
    unsigned modifiers;
    bool handled;
    int64_t top;
  } cases[] = {
      {K::Down, 0, true, middle + line},
      {K::Up, 0, true, middle - line},
      {K::PageDown, 0, true, middle + page},
      {K::PageUp, 0, true, middle - page},
      {K::Home, 0, true, middle},
      {K::End, 0, true, middle},
      {K::Home, CRtfViewCore::kCtrl, true, 0},
      {K::End, CRtfViewCore::kCtrl, true, 100 * 240 - 2400},
      {K::PageDown, CRtfViewCore::kShift, false, middle},
      {K::Down, CRtfViewCore::kCtrl, false, middle},
      {K::Up, CRtfViewCore::kAlt, false, middle},
      {K::Other, 0, false, middle},
  };
  for (const auto& c : cases) {
    view.ScrollTo(middle, 0);
    CRtfViewCore::Scroll s;
    EXPECT_EQ(view.KeyDown(c.key, c.modifiers, s), c.handled) << static_cast<int>(c.key) << "/" << c.modifiers;
    EXPECT_EQ(view.TopPosition(), c.top) << static_cast<int>(c.key) << "/" << c.modifiers;
  }
  // A line moves the window by its pixels; a window lower than two lines
  // pages by one line.
  view.ScrollTo(middle, 0);
  const CRtfViewCore::Scroll s = view.LineDown();
  EXPECT_EQ(s.dy, -16);
  EXPECT_FALSE(s.repaint);
  view.Resize(300, 20);
  EXPECT_EQ(view.PageIncrement(), line);
}

TEST_F(ViewCoreTest, ResizeKeepsTheLineAtTheTop) {
  // Paragraphs of 40 characters: one line at 400 pixels, two at 300.
  std::string text;
  for (int i = 0; i < 60; ++i) text += "abcdefghij abcdefghij abcdefghij abc" + std::to_string(1000 + i) + "\\par ";
  Load("{\\rtf1 " + text + "}");
  view.Resize(400, 160);
  const TextPos p30 = doc.PositionOf({doc.FirstParagraph(), 0}) + 30 * 41;
  view.SetCaretPos(p30);
  ASSERT_EQ(view.GetCaretPos(), p30);
  const int64_t top = view.TopPosition();
  view.Resize(300, 160);
  EXPECT_EQ(view.GetCaretPos(), p30);
  EXPECT_GT(view.TopPosition(), top);
  // A height change keeps the position as it is.
  view.Resize(300, 300);
  EXPECT_EQ(view.GetCaretPos(), p30);
}

}  // namespace
}  // namespace textpane

namespace textpane {
namespace {

// Marks in paragraphs 5, 20 and 35 of 40 one-line paragraphs (240 units
// each) seen through a window of 1500 units: a mark on a line at y is
// centred by a top of y - 630. A last, long line (40) and a paragraph of
// level 1 end the document at 10080.
TEST_F(ViewCoreTest, SearchMatchesAreVisitedInOrderAndCentred) {
  std::string body;
  for (int i = 0; i < 40; ++i)
    body += (i == 5 || i == 20 || i == 35) ? "{\\soltconcordanceon}target\\soltconcordanceoff\\par " : "Line\\par ";
  Load("{\\rtf1 " + body + std::string(60, 'x') + "{\\soltconcordanceon}target\\soltconcordanceoff " +
       std::string(30, 'z') + "\\par \\soltstartlevel1 later\\par}");
  doc.MarkPhrases(0, {"target"}, false);
  view.Resize(300, 100);
  enum Go { First, Last, Next, Previous };
  const struct {
    const char* what;
    int64_t top;
    Go go;
    bool hasNext, hasPrevious;
    int64_t newTop;
  } cases[] = {
      {"first is visible already", 0, First, true, false, 0},
      {"next skips a wholly visible mark", 0, Next, true, false, 4170},
      {"next from the middle", 4170, Next, true, true, 7770},
      {"previous from the middle", 4170, Previous, true, true, 570},
      {"last, kept to the bottom", 0, Last, true, false, 10080 - 1500},
      {"a mark cut by the bottom edge comes next", 3400, Next, true, true, 4170},
      {"a mark cut by the top edge comes before", 4900, Previous, true, true, 4170},
      {"nothing after the last", 10080 - 1500, Next, false, true, 10080 - 1500},
  };
  for (const auto& c : cases) {
    view.ScrollTo(c.top, 0);
    EXPECT_EQ(view.IsNextSearchMatch(0), c.hasNext) << c.what;
    EXPECT_EQ(view.IsPreviousSearchMatch(0), c.hasPrevious) << c.what;
    CRtfViewCore::Scroll s;
    switch (c.go) {
      case First: s = view.FirstSearchMatch(0); break;
      case Last: s = view.LastSearchMatch(0); break;
      case Next: s = view.NextSearchMatch(0); break;
      case Previous: s = view.PreviousSearchMatch(0); break;
    }
    EXPECT_EQ(view.TopPosition(), c.newTop) << c.what;
    EXPECT_EQ(s.repaint, c.hasNext || c.go != Next) << c.what;
  }
  // The long line's mark is brought in from the side with 180 units to spare.
  view.ScrollTo(0, 0);
  view.LastSearchMatch(0);
  EXPECT_EQ(view.LeftPosition(), 66 * 120 + 180 - 4500);
  EXPECT_FALSE(view.IsNextSearchMatch(1));
}

}  // namespace
}  // namespace textpane
