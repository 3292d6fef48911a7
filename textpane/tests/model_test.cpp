#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "textpane/model/documentbuilder.h"
#include "textpane/model/levels.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "treetext.h"

using namespace textpane;
using textpane::test::TreeText;

namespace {

// Runs as "length:tag" where the tag is the format's font number.
std::string RunText(const Paragraph& p) {
  std::string out;
  for (const Run& r : p.Runs()) {
    if (!out.empty()) out += ' ';
    out += std::to_string(r.length) + ":" + std::to_string(r.format->font);
  }
  return out;
}

CharFormat Font(uint16_t n) {
  CharFormat f;
  f.font = n;
  return f;
}

}  // namespace

TEST(CharFormatPool, EqualRecordsShareOneEntryAndGoWithTheLastReference) {
  CharFormatPool pool;
  {
    CharFormatRef a = pool.Intern(Font(1));
    CharFormatRef b = pool.Intern(Font(1));
    EXPECT_TRUE(a == b);
    EXPECT_EQ(2u, a.RefCount());
    CharFormatRef c = pool.Intern(Font(2));
    EXPECT_FALSE(a == c);
    EXPECT_EQ(2u, pool.size());
    c.Reset();
    EXPECT_EQ(1u, pool.size());
  }
  EXPECT_EQ(0u, pool.size());
}

TEST(CharFormatPool, EveryFieldTellsRecordsApart) {
  auto link = MakeRef<LinkTarget>(1, "Gen 1:1");
  auto picture = MakeRef<Picture>();
  const std::vector<std::function<void(CharFormat&)>> changes = {
      [&](CharFormat& f) { f.link = link; },       [&](CharFormat& f) { f.picture = picture; },
      [](CharFormat& f) { f.level = -1; },         [](CharFormat& f) { f.background = 1; },
      [](CharFormat& f) { f.foreground = 1; },     [](CharFormat& f) { f.font = 1; },
      [](CharFormat& f) { f.size = 200; },         [](CharFormat& f) { f.kerning = 1; },
      [](CharFormat& f) { f.language = 1033; },    [](CharFormat& f) { f.linkType = 0; },
      [](CharFormat& f) { f.expansion = -5; },     [](CharFormat& f) { f.bold = 1; },
      [](CharFormat& f) { f.caps = 1; },           [](CharFormat& f) { f.smallCaps = 1; },
      [](CharFormat& f) { f.italic = 1; },         [](CharFormat& f) { f.strike = 1; },
      [](CharFormat& f) { f.underline = 1; },      [](CharFormat& f) { f.rightToLeft = 1; },
      [](CharFormat& f) { f.hidden = 1; },         [](CharFormat& f) { f.verticalPosition = 2; },
      [](CharFormat& f) { f.linkText = 1; },       [](CharFormat& f) { f.mark = 1; },
      [](CharFormat& f) { f.concordance = 2; },
  };
  CharFormatPool pool;
  std::vector<CharFormatRef> refs{pool.Intern(CharFormat{})};
  for (const auto& change : changes) {
    CharFormat f;
    change(f);
    refs.push_back(pool.Intern(f));
  }
  EXPECT_EQ(changes.size() + 1, pool.size());
  refs.clear();
  EXPECT_EQ(0u, pool.size());
  EXPECT_EQ(1u, link->RefCount()) << "the pool let go of the link with its record";
}

TEST(CharFormatPool, InterningManyDistinctRecordsStaysFast) {
  // A book's text yields very many runs; a pool that searched its records one
  // by one would take minutes here.
  CharFormatPool pool;
  std::vector<CharFormatRef> refs;
  const auto start = std::chrono::steady_clock::now();
  for (int32_t i = 0; i < 100000; ++i) {
    CharFormat f;
    f.level = i;
    refs.push_back(pool.Intern(f));
  }
  for (int32_t i = 0; i < 100000; i += 7) {
    CharFormat f;
    f.level = i;
    ASSERT_TRUE(pool.Intern(f) == refs[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(100000u, pool.size());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ParaFormat, TabStopsStaySortedAndKeepReadingOrderAtEqualPositions) {
  ParaFormat f;
  f.AddTabStop({2000, kTabLeft, 0});
  f.AddTabStop({500, kTabCentre, 0});
  f.AddTabStop({2000, kTabRight, 0});
  f.AddTabStop({1000, kTabBar, 0});
  std::vector<std::pair<int, int>> got;
  for (const TabStop& t : f.tabs) got.emplace_back(t.position, t.kind);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{500, kTabCentre}, {1000, kTabBar}, {2000, kTabLeft}, {2000, kTabRight}}),
            got);
}

struct InsertStep {
  size_t offset;
  std::string text;
  uint16_t font;
};

struct InsertCase {
  const char* name;
  std::vector<InsertStep> steps;
  std::string text;
  std::string runs;
};

TEST(Paragraph, InsertKeepsRunsMinimalAndTheMarkLast) {
  const std::vector<InsertCase> cases = {
      {"empty paragraph", {}, "\r", "1:0"},
      {"same format as the mark joins it", {{0, "abc", 0}}, "abc\r", "4:0"},
      {"appending in one format", {{0, "ab", 1}, {2, "cd", 1}}, "abcd\r", "4:1 1:0"},
      {"format change mid-paragraph", {{0, "ab", 1}, {2, "cd", 2}}, "abcd\r", "2:1 2:2 1:0"},
      {"inside a run of another format", {{0, "abcd", 1}, {2, "X", 2}}, "abXcd\r", "2:1 1:2 2:1 1:0"},
      {"inside a run of its own format", {{0, "abcd", 1}, {2, "X", 1}}, "abXcd\r", "5:1 1:0"},
      {"at a run start, joining the run before", {{0, "ab", 1}, {2, "cd", 2}, {2, "X", 1}}, "abXcd\r",
       "3:1 2:2 1:0"},
      {"at the very start", {{0, "ab", 1}, {0, "X", 2}}, "Xab\r", "1:2 2:1 1:0"},
  };
  for (const auto& c : cases) {
    CharFormatPool chars;
    ParaFormatPool paras;
    auto p = MakeRef<Paragraph>(paras.Intern({}), chars.Intern({}));
    for (const auto& s : c.steps) p->Insert(s.offset, s.text, chars.Intern(Font(s.font)));
    EXPECT_EQ(c.text, p->Text()) << c.name;
    EXPECT_EQ(c.runs, RunText(*p)) << c.name;
    p = nullptr;
    EXPECT_EQ(0u, chars.size()) << c.name;
  }
}

TEST(Paragraph, RunsLongerThanSixteenBitsAreSplit) {
  CharFormatPool chars;
  ParaFormatPool paras;
  auto p = MakeRef<Paragraph>(paras.Intern({}), chars.Intern({}));
  const auto f = chars.Intern(Font(1));
  p->Insert(0, std::string(70000, 'a'), f);
  p->Insert(70000, std::string(65535, 'b'), f);
  size_t total = 0;
  for (const textpane::Run& r : p->Runs()) total += r.length;
  EXPECT_EQ(p->Length(), total);
  EXPECT_EQ(4u, p->Runs().size()) << RunText(*p);
  EXPECT_EQ('b', p->Text()[p->Length() - 2]);
  EXPECT_EQ(1u, p->FormatAt(135534)->font);
  EXPECT_EQ(0u, p->FormatAt(135535)->font);
}

TEST(Paragraph, ChangingARangeSplitsAndChangingItBackMerges) {
  CharFormatPool chars;
  ParaFormatPool paras;
  auto p = MakeRef<Paragraph>(paras.Intern({}), chars.Intern(Font(1)));
  p->Insert(0, "In the beginning", chars.Intern(Font(1)));
  auto mark = [&](uint8_t on) {
    return [&chars, on](const CharFormatRef& old) {
      CharFormat f = *old;
      f.mark = on;
      return chars.Intern(f);
    };
  };
  p->ChangeFormats(3, 6, mark(1));
  ASSERT_EQ(3u, p->Runs().size());
  EXPECT_EQ(3u, p->Runs()[1].length);
  EXPECT_EQ(1, p->Runs()[1].format->mark);
  EXPECT_EQ(2u, chars.size());
  p->ChangeFormats(0, 100, mark(0));
  EXPECT_EQ("17:1", RunText(*p));
  EXPECT_EQ(1u, chars.size()) << "the marked record went with its last run";
}

TEST(Paragraph, MarkFormatIsTheLastRunOnly) {
  CharFormatPool chars;
  ParaFormatPool paras;
  auto p = MakeRef<Paragraph>(paras.Intern({}), chars.Intern(Font(1)));
  p->Insert(0, "ab", chars.Intern(Font(1)));
  p->SetMarkFormat(chars.Intern(Font(2)));
  EXPECT_EQ("2:1 1:2", RunText(*p));
  p->SetMarkFormat(chars.Intern(Font(1)));
  EXPECT_EQ("3:1", RunText(*p));
}

namespace {

// root{ S{ P(a) T{ R{ C{P(b) P(c)} C{} } R{} } P(d) } S{} S{ P(e) } }
struct SampleTree {
  CharFormatPool chars;
  ParaFormatPool paras;
  RefPtr<Node> root = MakeRef<RootNode>();
  std::vector<Paragraph*> leaves;
  Node* table = nullptr;
  Node* emptyCell = nullptr;

  SampleTree() {
    auto para = [&](const char* text) {
      auto p = MakeRef<Paragraph>(paras.Intern({}), chars.Intern({}));
      p->Insert(0, text, chars.Intern({}));
      leaves.push_back(p.get());
      return p;
    };
    auto s1 = MakeRef<SectionNode>();
    s1->AppendChild(para("a"));
    auto t = MakeRef<TableNode>();
    table = t.get();
    auto r1 = MakeRef<RowNode>();
    auto c1 = MakeRef<CellNode>();
    c1->AppendChild(para("b"));
    c1->AppendChild(para("c"));
    r1->AppendChild(std::move(c1));
    auto c2 = MakeRef<CellNode>();
    emptyCell = c2.get();
    r1->AppendChild(std::move(c2));
    t->AppendChild(std::move(r1));
    t->AppendChild(MakeRef<RowNode>());
    s1->AppendChild(std::move(t));
    s1->AppendChild(para("d"));
    root->AppendChild(std::move(s1));
    root->AppendChild(MakeRef<SectionNode>());
    auto s3 = MakeRef<SectionNode>();
    s3->AppendChild(para("e"));
    root->AppendChild(std::move(s3));
  }
  ~SampleTree() { root = nullptr; }
};

}  // namespace

TEST(Tree, LeavesComeInReadingOrderPassingOverEmptyNodes) {
  SampleTree t;
  EXPECT_EQ("S{P(a) T{R{C{P(b) P(c)} C{}} R{}} P(d)} S{} S{P(e)}", TreeText(t.root.get()));
  std::vector<Paragraph*> forward, backward;
  for (Paragraph* p = FirstLeaf(t.root.get()); p; p = NextLeaf(p)) forward.push_back(p);
  for (Paragraph* p = LastLeaf(t.root.get()); p; p = PrevLeaf(p)) backward.insert(backward.begin(), p);
  EXPECT_EQ(t.leaves, forward);
  EXPECT_EQ(t.leaves, backward);
  EXPECT_EQ(t.leaves[1], NextLeaf(t.table)) << "a node with children leads to its first leaf";
  EXPECT_EQ(t.leaves[3], NextLeaf(t.emptyCell));
  EXPECT_TRUE(t.table->Contains(t.leaves[2]));
  EXPECT_FALSE(t.table->Contains(t.leaves[3]));
}

TEST(Tree, AHeldNodeOutlivesItsTree) {
  SampleTree t;
  RefPtr<Node> held(t.leaves[2]);
  EXPECT_EQ(2u, held->RefCount());
  t.root = nullptr;
  EXPECT_EQ(1u, held->RefCount());
  EXPECT_EQ(nullptr, held->Parent());
  EXPECT_EQ(nullptr, held->Prev());
  EXPECT_EQ("c\r", held->AsParagraph()->Text());
}

TEST(RtfDoc, PositionsAndPointsConvertBothWays) {
  CRtfDoc doc;
  Paragraph* first = doc.FirstParagraph();
  first->Insert(0, "ab", doc.CharFormats().Intern({}));
  auto second = MakeRef<Paragraph>(doc.ParaFormats().Intern({}), doc.CharFormats().Intern({}));
  second->Insert(0, "xyz", doc.CharFormats().Intern({}));
  Paragraph* p2 = second.get();
  first->Parent()->AppendChild(std::move(second));
  ASSERT_EQ(7, doc.Length());
  for (TextPos pos = 0; pos < 7; ++pos) {
    TextPoint at = doc.PointAt(pos);
    EXPECT_EQ(pos < 3 ? first : p2, at.paragraph) << pos;
    EXPECT_EQ(pos, doc.PositionOf(at));
  }
  EXPECT_EQ((TextPoint{first, 0}), doc.PointAt(-5));
  EXPECT_EQ((TextPoint{p2, 3}), doc.PointAt(7)) << "past the end: before the last mark";
  EXPECT_EQ((TextPoint{p2, 3}), doc.PointAt(1000));
}

// The index of paragraph starts must answer as walking the paragraphs does,
// in every document shape, after the tree is replaced, and while a builder
// is still adding to it.
TEST(RtfDoc, PositionIndexAnswersAsAWalkDoes) {
  auto expectLikeAWalk = [](const CRtfDoc& doc) {
    std::vector<Paragraph*> paragraphs;
    std::vector<TextPos> starts;
    TextPos length = 0;
    for (Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
      paragraphs.push_back(p);
      starts.push_back(length);
      length += static_cast<TextPos>(p->Length());
    }
    ASSERT_EQ(length, doc.Length());
    ASSERT_EQ(paragraphs.size(), doc.ParagraphCount());
    EXPECT_EQ(nullptr, doc.ParagraphAt(paragraphs.size()));
    for (size_t i = 0; i < paragraphs.size(); ++i) {
      EXPECT_EQ(paragraphs[i], doc.ParagraphAt(i));
      EXPECT_EQ(i, doc.ParagraphIndexOf(paragraphs[i]));
      EXPECT_EQ(starts[i], doc.ParagraphStart(paragraphs[i]));
    }
    Paragraph* last = paragraphs.back();
    for (TextPos pos = -2; pos <= length + 2; ++pos) {
      size_t i = 0;
      while (i + 1 < starts.size() && starts[i + 1] <= pos) ++i;
      const TextPoint expected = pos <= 0        ? TextPoint{paragraphs[0], 0}
                                 : pos >= length ? TextPoint{last, last->Length() - 1}
                                                 : TextPoint{paragraphs[i], static_cast<size_t>(pos - starts[i])};
      EXPECT_EQ(expected, doc.PointAt(pos)) << pos;
      if (pos >= 0 && pos < length) {
        EXPECT_EQ(pos, doc.PositionOf(expected)) << pos;
      }
    }
  };
  const std::string documents[] = {
      "",
      "one",
      "{\\rtf1 a\\par bc\\par\\par d}",
      "{\\rtf1 before\\par\\trowd\\cellx900\\cellx1800\\pard\\intbl x\\cell yy\\cell\\row\\pard after\\sect s}",
  };
  CRtfDoc doc;
  for (const std::string& d : documents) {
    SCOPED_TRACE(d);
    doc.SetText(d.data(), d.size(), FORMAT_RTF);  // replaces a tree already asked about
    expectLikeAWalk(doc);
    doc.ChangeCharFormats(0, doc.Length(), [](CharFormat& f) { f.mark = 1; });
    expectLikeAWalk(doc);
  }

  // A paragraph of another document lies past the end of this one.
  CRtfDoc other;
  EXPECT_EQ(CRtfDoc::kNoParagraph, doc.ParagraphIndexOf(other.FirstParagraph()));
  EXPECT_EQ(doc.Length() + 1, doc.PositionOf({other.FirstParagraph(), 1}));

  CRtfDoc building;
  {
    DocumentBuilder b(building);
    for (const char* text : {"ab", "\r", "cde\r", "f"}) {
      for (const char* c = text; *c; ++c) b.InsertChar(static_cast<unsigned char>(*c));
      expectLikeAWalk(building);
    }
  }
  expectLikeAWalk(building);
}

TEST(RtfDoc, DeleteContentsLeavesOneEmptyParagraphAndReleasesFormats) {
  CRtfDoc doc;
  CharFormat bold;
  bold.bold = 1;
  doc.FirstParagraph()->Insert(0, "x", doc.CharFormats().Intern(bold));
  doc.Levels().Record(0, {doc.FirstParagraph(), 1});
  EXPECT_EQ(2u, doc.CharFormats().size());
  doc.DeleteContents();
  EXPECT_EQ("S{P()}", TreeText(doc.Root()));
  EXPECT_EQ(1u, doc.CharFormats().size());
  EXPECT_EQ(1u, doc.ParaFormats().size());
  EXPECT_EQ(0u, doc.Levels().Count());
}

TEST(LevelTable, GrowsByAnEighthBetweenFourAndTenTwentyFour) {
  LevelTable levels;
  std::vector<size_t> capacities;
  for (int32_t n = 0; n < 20000; ++n) {
    const bool full = levels.Count() == levels.Capacity();
    ASSERT_TRUE(levels.Record(n, {}));
    if (full) capacities.push_back(levels.Capacity());
  }
  ASSERT_GE(capacities.size(), 12u);
  EXPECT_EQ((std::vector<size_t>{4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 45, 50}),
            std::vector<size_t>(capacities.begin(), capacities.begin() + 12));
  for (size_t i = 1; i < capacities.size(); ++i) EXPECT_LE(capacities[i] - capacities[i - 1], 1024u);
  EXPECT_EQ(1024u, capacities.back() - capacities[capacities.size() - 2]);
}

TEST(Picture, BitmapExtentBecomesTwipsAndOversizedPicturesShrink) {
  struct Case {
    int width, height, ppi;
    int twipsW, twipsH, scale;
  };
  const Case cases[] = {
      {96, 48, 96, 1440, 720, 100},
      {100, 100, 0, 100, 100, 100},  // no resolution: left alone
      {2222, 100, 100, 31996, 1440, 100},  // just under the limit
      {2223, 100, 100, 32011, 1440, 99},
      {100, 6400, 96, 1500, 96000, 33},
  };
  for (const Case& c : cases) {
    Picture p;
    p.width = c.width;
    p.height = c.height;
    p.FitBitmapExtent(c.ppi);
    EXPECT_EQ(c.twipsW, p.width) << c.width << "x" << c.height;
    EXPECT_EQ(c.twipsH, p.height) << c.width << "x" << c.height;
    EXPECT_EQ(c.scale, p.scaleX);
    EXPECT_EQ(c.scale, p.scaleY);
  }
  Picture p;
  p.width = 300;
  p.height = 200;
  EXPECT_EQ(300, p.GoalWidth());
  p.goalHeight = 50;
  EXPECT_EQ(50, p.GoalHeight());
}
