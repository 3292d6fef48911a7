// Bible windows without a window: the verse run, verse layout with fixed
// metrics, scrolling and its bounds, selection and the clipboard's copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bibles/biblecopy.h"
#include "app/bibles/bibleviewcore.h"
#include "app/bibles/verserun.h"
#include "biblefile/biblemodule.h"
#include "textpane/layout/fixedfonts.h"

using namespace klmw;

namespace {

// Fixed metrics at 100 %: the text font is 240 units high and every byte
// 120 wide; the verse number column is 320 wide and the text starts 75 in.
constexpr int32_t kPixel = 15;
constexpr int32_t kTextStart = 75 + 320;

std::shared_ptr<textpane::FontCache> Fonts() {
  return textpane::FontCache::ForScaling(textpane::FixedFontSystem::Instance(), 100);
}

// Genesis of chapters of 3 and 2 verses, Exodus of one chapter of 2.
struct SmallBible {
  CBibleModule bible;
  CVerseRun run;
  std::vector<std::string> texts{"In the beginning God created.", "And the earth was without form.",
                                 "And God said.", "Thus the heavens.", "And on the seventh day.",
                                 "Now these are the names.", "Every man and his household."};
  SmallBible() {
    EXPECT_TRUE(bible.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx3,2}\n{Exodus\txx2}\n", ""));
    run.Reset([this](int i, std::string& t) { return i >= 0 && i < 7 ? (t = texts[static_cast<size_t>(i)], true) : false; },
              7);
  }
  std::string Text(int i) { return texts[static_cast<size_t>(i)]; }
};

}  // namespace

TEST(VerseRun, AMoveOfOneVerseReadsOneVerse) {
  CVerseRun run;
  run.Reset([](int i, std::string& t) { return (t = std::to_string(i), true); }, 31102);
  const struct {
    int start;
    int first;  // the run's first verse afterwards
    long reads;  // reads so far
  } steps[] = {
      {10, 10, 30}, {9, 9, 31}, {10, 10, 32}, {100, 100, 62}, {31095, 31072, 92}, {-5, 0, 122},
  };
  for (const auto& s : steps) {
    run.Load(s.start);
    EXPECT_EQ(run.First(), s.first) << s.start;
    EXPECT_EQ(run.Count(), CVerseRun::kDefaultLength) << s.start;
    EXPECT_EQ(run.Reads(), s.reads) << s.start;
  }
  EXPECT_EQ(run.Get(30), "30");  // one past the end joins the run
  EXPECT_EQ(run.Reads(), 123);
  EXPECT_EQ(run.Get(31101), "31101");
  EXPECT_EQ(run.Get(31102), "");  // no such verse, nothing read
  EXPECT_EQ(run.Get(-1), "");
}

TEST(VerseLayout, SegmentsFillTheirTopicColourAndUnderlineWithoutTheEndingBlank) {
  CBibleLayout layout(Fonts(), kPixel);
  CVerse v;
  v.text = "For God so loved";
  v.verse = 15;
  // "For " plain, "God " underlined in topic colour 1, "so loved" topic colour 3.
  v.segments = {{0, kUncoloured, kUnderlineOff}, {4, 6, kUnderlineOn}, {8, 8, kUnderlineOff}};
  layout.Layout(v, kTextStart + 100 * 120, 0);
  CBibleColours colours = CBibleColours::ForPage(0xFFFFFF, 0);
  for (int k = 1; k <= 3; ++k) colours.table.push_back(textpane::MakeRGB(10 * k, 20 * k, 30 * k));
  textpane::RecordingSurface surface;
  layout.Draw(surface, v, kTextStart + 100 * 120, 0, colours);
  std::vector<std::string> texts;
  std::vector<textpane::LRect> fills;
  std::vector<textpane::RGB> fillColours;
  for (const auto& e : surface.Entries()) {
    if (e.op == textpane::RecordingSurface::Op::Text) texts.push_back(e.text);
    if (e.op == textpane::RecordingSurface::Op::Fill) fills.push_back(e.rect), fillColours.push_back(e.colour);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"16", "For ", "God", "so loved"}));
  ASSERT_EQ(fills.size(), 2u);  // the uncoloured stretch is the page
  EXPECT_EQ(fillColours[0], colours.table[6]);
  EXPECT_EQ(fillColours[1], colours.table[8]);
  // The underlined stretch still takes the blank's width.
  EXPECT_EQ(fills[0].left, kTextStart + 4 * 120);
  EXPECT_EQ(fills[1].left, fills[0].left + 4 * 120);
}

TEST(VerseLayout, LinesBreakAtBlanksAndAlwaysEnd) {
  const struct {
    std::string text;
    int32_t width;
    std::vector<int32_t> starts;
  } cases[] = {
      {"aaaa bbbb cccc", kTextStart + 10 * 120, {0, 10}},
      {"aaaa bbbb cccc", kTextStart + 9 * 120, {0, 10}},  // the break falls on the blank
      {"aaaa bbbb cccc", kTextStart + 8 * 120, {0, 5, 10}},  // back to the blank before "bbbb"
      {std::string(25, 'x'), kTextStart + 10 * 120, {0, 10, 20}},  // no blank: broken where it fills
      {"ab cd", 1, {0, 1, 3, 4}},  // a window 1 unit wide: a character a line
      {"", kTextStart + 1000, {0}},
  };
  CBibleLayout layout(Fonts(), kPixel);
  for (const auto& c : cases) {
    CVerse v;
    v.text = c.text;
    v.verse = 4;
    const int32_t bottom = layout.Layout(v, c.width, 100);
    std::vector<int32_t> starts;
    for (const CVerseLine& l : v.lines) starts.push_back(l.offset);
    EXPECT_EQ(starts, c.starts) << c.text << " at " << c.width;
    EXPECT_EQ(bottom, 100 + static_cast<int32_t>(c.starts.size()) * layout.LineHeight());
  }
  // 2,000 characters without a blank in a narrow window: many lines, every one used.
  CVerse v;
  v.text = std::string(2000, 'y');
  layout.Layout(v, kTextStart + 7 * 120, 0);
  EXPECT_EQ(v.lines.size(), 286u);
}

TEST(BibleView, HeadingsNumbersAndScrollingBounds) {
  SmallBible b;
  CBibleViewCore core(Fonts(), kPixel);
  core.SetBible(&b.bible, &b.run, "KJS");
  core.SetSize(kTextStart + 40 * 120, 100000);
  textpane::RecordingSurface surface;
  core.Draw(surface, CBibleColours::ForPage(0xFFFFFF, 0));
  const std::string drawn = surface.DrawnText();
  EXPECT_NE(drawn.find("Genesis 1"), std::string::npos);
  EXPECT_NE(drawn.find("Genesis 2"), std::string::npos);
  EXPECT_NE(drawn.find("Exodus 1"), std::string::npos);
  EXPECT_EQ(core.Verses().front().heading, true);
  EXPECT_EQ(core.Verses()[1].heading, false);

  const struct {
    int from;
    const char* op;
    int mode;
    int to;
  } moves[] = {
      {0, "up", 0, 0},         {6, "down", 0, 6},       {1, "page", kPageByChapter, 3},
      {3, "page", kPageByChapter, 5}, {5, "page", kPageByChapter, 5}, {4, "back", kPageByChapter, 3},
      {3, "back", kPageByChapter, 0}, {0, "back", kPageByChapter, 0}, {0, "page", kPageByBook, 5},
      {6, "back", kPageByBook, 5},    {5, "back", kPageByBook, 0},    {2, "page", kPageByGroup, 6},
      {6, "back", kPageByGroup, 0},   {99999, "none", 0, 6},          {-4, "none", 0, 0},
  };
  for (const auto& m : moves) {
    core.SetTop(m.from);
    const std::string op = m.op;
    if (op == "up") core.LineUp();
    if (op == "down") core.LineDown();
    if (op == "page") core.PageDown(m.mode, false);
    if (op == "back") core.PageUp(m.mode, false);
    EXPECT_EQ(core.GetTopVerse(), m.to) << m.from << " " << op << " " << m.mode;
  }
}

TEST(BibleView, NeverScrollsPastTheLastVerseIndex) {
  CBibleModule big;  // more verses than any window scrolls to
  ASSERT_TRUE(big.ParseDefinition("TDBFILE=\"BIG.dat\"\n{Big\txx31200}\n", ""));
  CVerseRun run;
  run.Reset([](int, std::string& t) { return (t = "word", true); }, big.GetVerseCount());
  CBibleViewCore core(Fonts(), kPixel);
  core.SetBible(&big, &run, "BIG");
  core.SetSize(kTextStart + 1000, 2000);
  core.ToBottom();
  EXPECT_EQ(core.GetTopVerse(), kLastVerseIndex);
  EXPECT_FALSE(core.LineDown());
  EXPECT_FALSE(core.PageDown(kPageByGroup, false));
  EXPECT_EQ(core.GetTopVerse(), kLastVerseIndex);
}

TEST(BibleView, PagingByLinesKeepsTheLineInsideTheTopVerse) {
  SmallBible b;
  for (std::string& t : b.texts) t = std::string(40, 'w') + " " + std::string(40, 'w');  // two lines each
  CBibleViewCore core(Fonts(), kPixel);
  core.SetBible(&b.bible, &b.run, "KJS");
  // Four lines tall: a page is three lines.
  core.SetSize(kTextStart + 41 * 120, 4 * core.Layout().LineHeight());
  core.SetTop(1);
  core.PageDown(kPageByGroup, true);
  EXPECT_EQ(core.GetTopVerse(), 2);
  EXPECT_EQ(core.GetLineOffset(), 1);
  core.PageUp(kPageByGroup, true);
  EXPECT_EQ(core.GetTopVerse(), 1);
  EXPECT_EQ(core.GetLineOffset(), 0);
}

TEST(BibleCopy, NumbersAndHeadingsGoWithVersesCopiedFromTheirStart) {
  SmallBible b;
  auto textOf = [&b](int i) { return b.Text(i); };
  const struct {
    CVerseSelection selection;
    const char* plain;
  } cases[] = {
      {{1, 4, 2, 7}, "the earth was without form.\n3 And God"},  // from the middle: no number
      {{2, 0, 3, 4}, "3 And God said.\nGenesis 2\n\n1 Thus"},
      {{0, 0, 0, 6}, "Genesis 1\n\n1 In the"},
      {{2, 5, 2, 5}, ""},  // nothing selected
  };
  for (const auto& c : cases) EXPECT_EQ(CopyVerses(b.bible, "KJS", c.selection, textOf).plain, c.plain) << c.plain;

  b.texts[0] = "In {the} \\beginning\xE9";
  const CBibleCopy copy = CopyVerses(b.bible, "KJS", WholeVerses(0, 0, textOf), textOf);
  EXPECT_EQ(copy.rtf,
            "{\\rtf1\\ansi\\deff0\\deftab720\n\n{}\n\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;"
            "\\red0\\green255\\blue0;\\red0\\green0\\blue255;}\n\n\\deflang1033\\plain\n"
            "\n\\qc\\plain\\fs28\nGenesis 1\n\\par\\pard\\plain\n"
            "\n\\pard\\par\n\\plain\\fs24\\cf3\n1 \n\\plain\\fs24\nIn \\{the\\} \\\\beginning\\'e9\n}");
}

TEST(BibleView, SelectionFollowsTheMouseInReadingOrder) {
  SmallBible b;
  CBibleViewCore core(Fonts(), kPixel);
  core.SetBible(&b.bible, &b.run, "KJS");
  core.SetSize(kTextStart + 60 * 120, 100000);
  const std::vector<CVerse>& verses = core.Verses();
  const int32_t y1 = verses[1].lines[0].y + 10, y2 = verses[2].lines[0].y + 10;
  core.BeginSelection(kTextStart + 4 * 120, y1);
  core.ExtendSelection(kTextStart + 3 * 120, y2);
  EXPECT_EQ(core.GetSelection().firstVerse, 1);
  EXPECT_EQ(core.GetSelection().firstChar, 4);
  EXPECT_EQ(core.GetSelection().lastVerse, 2);
  EXPECT_EQ(core.GetSelection().lastChar, 3);
  core.BeginSelection(kTextStart + 3 * 120, y2);  // dragged backwards
  core.ExtendSelection(kTextStart + 4 * 120, y1);
  EXPECT_EQ(core.GetSelection().firstVerse, 1);
  EXPECT_EQ(core.GetSelection().lastChar, 3);
}
