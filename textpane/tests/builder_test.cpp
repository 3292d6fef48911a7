#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "textpane/model/documentbuilder.h"
#include "treetext.h"

using namespace textpane;
using textpane::test::TreeText;

namespace {

// A document being read; the builder goes before the document it writes.
struct Reading {
  CRtfDoc doc;
  std::unique_ptr<DocumentBuilder> b = std::make_unique<DocumentBuilder>(doc);

  void Type(const std::string& s) {
    for (char c : s) b->InsertChar(static_cast<unsigned char>(c));
  }
  void Row(int cells) {
    b->StartRow();
    for (int i = 1; i <= cells; ++i) {
      CellFormat c;
      c.rightBoundary = static_cast<int16_t>(1000 * i);
      b->AddCell(c);
    }
  }
  void InTable(bool on) { b->CurrentParaFormat().inTable = on ? 1 : 0; }
  std::string Tree() const { return TreeText(doc.Root()); }
  const Paragraph* Para(int n) const {
    const Paragraph* p = doc.FirstParagraph();
    while (n-- > 0 && p) p = NextLeaf(p);
    return p;
  }
  ~Reading() { b.reset(); }
};

}  // namespace

TEST(Builder, ParagraphMarksSplitTheTextAndTheTrailingEmptyParagraphGoes) {
  struct Case {
    const char* input;
    const char* tree;
  };
  const Case cases[] = {
      {"", "S{P()}"},
      {"\r", "S{P()}"},
      {"Hello", "S{P(Hello)}"},
      {"Hello\r", "S{P(Hello)}"},
      {"Hello\rWorld\r", "S{P(Hello) P(World)}"},
      {"\r\r", "S{P() P()}"},
      {"a\tb\nc\r", "S{P(a\tb\nc)}"},
  };
  for (const Case& c : cases) {
    Reading r;
    r.Type(c.input);
    r.b->Finish();
    EXPECT_EQ(c.tree, r.Tree()) << c.input;
  }
}

TEST(Builder, CarriageReturnInsideAParagraphIsIgnored) {
  Reading r;
  r.Type("Hello");
  r.b->SetCursor(2);
  r.Type("\rX");
  EXPECT_EQ("S{P(HeXllo)}", r.Tree());
  EXPECT_EQ(3, r.doc.PositionOf(r.b->Cursor()));
}

TEST(Builder, FormatChangesMidParagraphMakeRunsSharingRecords) {
  Reading r;
  r.Type("In ");
  r.b->CurrentCharFormat().bold = 1;
  r.Type("the");
  r.b->CurrentCharFormat().bold = 0;
  r.Type(" beginning\r");
  r.b->CurrentCharFormat().bold = 1;
  r.Type("God");
  r.b->Finish();
  const Paragraph* p = r.Para(0);
  ASSERT_EQ(3u, p->Runs().size());
  EXPECT_EQ(3u, p->Runs()[0].length);
  EXPECT_EQ(3u, p->Runs()[1].length);
  EXPECT_EQ(11u, p->Runs()[2].length) << "the mark joins the plain run";
  EXPECT_EQ(1, p->Runs()[1].format->bold);
  EXPECT_TRUE(p->Runs()[0].format == p->Runs()[2].format);
  EXPECT_TRUE(r.Para(1)->Runs()[0].format == p->Runs()[1].format) << "bold is one record in both paragraphs";
  EXPECT_EQ(2u, r.doc.CharFormats().size());
}

TEST(Builder, FormatsAreReleasedWhenTheLastRunGoes) {
  CRtfDoc doc;
  {
    DocumentBuilder b(doc);
    for (uint16_t f = 1; f <= 5; ++f) {
      b.CurrentCharFormat().font = f;
      b.InsertChar('x');
    }
    b.CurrentParaFormat().alignment = kAlignCentre;
    b.InsertChar('y');
    b.CurrentCharFormat() = CharFormat{};
    b.CurrentParaFormat() = ParaFormat{};
    b.Finish();
    EXPECT_EQ(6u, doc.CharFormats().size()) << "fonts 1-5 and the mark's";
    EXPECT_EQ(1u, doc.ParaFormats().size()) << "the default went when the paragraph was centred";
    EXPECT_EQ(kAlignCentre, doc.FirstParagraph()->Format()->alignment);
  }
  doc.DeleteContents();
  EXPECT_EQ(1u, doc.CharFormats().size());
  EXPECT_EQ(1u, doc.ParaFormats().size());
  EXPECT_EQ(kAlignLeft, doc.FirstParagraph()->Format()->alignment);
}

TEST(Builder, ParagraphFormatTakesEffectAtTheNextInsertionForTheCurrentParagraph) {
  Reading r;
  r.Type("one\r");
  r.b->CurrentParaFormat().alignment = kAlignCentre;
  r.b->CurrentParaFormat().leftIndent = 360;
  EXPECT_EQ(kAlignLeft, r.Para(1)->Format()->alignment) << "nothing committed before text arrives";
  r.Type("two\r");
  r.b->CurrentParaFormat() = ParaFormat{};
  r.Type("three");
  r.b->Finish();
  EXPECT_EQ(kAlignLeft, r.Para(0)->Format()->alignment);
  EXPECT_EQ(kAlignCentre, r.Para(1)->Format()->alignment);
  EXPECT_EQ(360, r.Para(1)->Format()->leftIndent);
  EXPECT_EQ(kAlignLeft, r.Para(2)->Format()->alignment);
  EXPECT_TRUE(r.Para(0)->Format() == r.Para(2)->Format());
}

TEST(Builder, TheMarkCarriesTheFormatWhereTheParagraphEnds) {
  Reading r;
  r.b->CurrentCharFormat().font = 3;
  r.Type("a\r");
  r.b->CurrentCharFormat().font = 0;
  r.Type("b");
  EXPECT_EQ(3u, r.Para(0)->MarkFormat()->font);
  EXPECT_EQ(3u, r.Para(1)->MarkFormat()->font);
  EXPECT_EQ(0u, r.Para(1)->FormatAt(0)->font);
}

TEST(Builder, CapsStoresUpperCaseWindows1252) {
  Reading r;
  r.b->CurrentCharFormat().caps = 1;
  r.Type("az\xe9\xff\x9a\x9c\x9e\xf7\xdf\xb5\x31");
  EXPECT_EQ("AZ\xc9\x9f\x8a\x8c\x8e\xf7\xdf\xb5\x31\r", r.Para(0)->Text());
}

TEST(Builder, LevelMinusOneDropsTextAndPictures) {
  Reading r;
  r.b->CurrentCharFormat().level = kDropLevel;
  r.Type("preface\r");
  r.b->InsertPicture(MakeRef<Picture>());
  r.b->CurrentCharFormat().level = 0;
  ASSERT_TRUE(r.b->RecordLevel(0));
  r.Type("Genesis");
  r.b->Finish();
  EXPECT_EQ("S{P(Genesis)}", r.Tree());
  EXPECT_EQ(0, r.b->LevelPosition(0));
}

TEST(Builder, LevelsRecordedOutOfOrderAreDropped) {
  Reading r;
  struct Step {
    const char* text;
    int32_t level;
    bool recorded;
  };
  const Step steps[] = {{"aa\r", 0, true}, {"bb\r", 2, false}, {"cc\r", 1, true}, {"dd\r", 1, false},
                        {"ee", 2, true}};
  for (const Step& s : steps) {
    EXPECT_EQ(s.recorded, r.b->RecordLevel(s.level)) << s.text;
    r.Type(s.text);
  }
  r.b->Finish();
  EXPECT_EQ(0, r.b->LevelPosition(0));
  EXPECT_EQ(6, r.b->LevelPosition(1));
  EXPECT_EQ(12, r.b->LevelPosition(2));
  EXPECT_EQ(0, r.b->LevelPosition(3)) << "unknown levels lead to the start";
  EXPECT_EQ(0, r.b->LevelPosition(-1));
}

TEST(Builder, ALevelInTheTrailingEmptyParagraphStaysInTheDocument) {
  Reading r;
  r.Type("aa\r");
  ASSERT_TRUE(r.b->RecordLevel(0));
  r.b->Finish();
  EXPECT_EQ("S{P(aa)}", r.Tree());
  EXPECT_EQ(2, r.b->LevelPosition(0));
  EXPECT_EQ(r.Para(0), r.doc.Levels().At(0).paragraph);
}

TEST(Builder, TableRowsCellsAndTheRepeatedRowDefinition) {
  Reading r;
  r.Type("Before\r");
  r.Row(2);
  EXPECT_TRUE(r.b->TableOpen());
  r.InTable(true);
  r.Type("a");
  r.b->EndCell();
  r.Type("b");
  r.b->EndCell();
  r.b->EndRow();
  // A row without a definition of its own repeats the last one.
  r.Type("c");
  r.b->EndCell();
  r.Type("d");
  r.b->EndCell();
  r.b->EndRow();
  r.InTable(false);
  r.Type("After");
  EXPECT_FALSE(r.b->TableOpen());
  r.b->Finish();
  EXPECT_EQ("S{P(Before) T{R{C{P(a)} C{P(b)}} R{C{P(c)} C{P(d)}}} P(After)}", r.Tree());
  const Node* row2 = r.doc.Root()->FirstChild()->FirstChild()->Next()->FirstChild()->Next();
  ASSERT_EQ(NodeKind::Row, row2->Kind());
  const auto& cells = static_cast<const RowNode*>(row2)->format.cells;
  ASSERT_EQ(2u, cells.size());
  EXPECT_EQ(2000, cells[1].rightBoundary);
  EXPECT_EQ(2000, static_cast<const CellNode*>(row2->FirstChild()->Next())->format.rightBoundary);
  EXPECT_EQ("Before\ra\rb\rc\rd\rAfter\r", [&] {
    std::string s;
    for (const Paragraph* p = r.doc.FirstParagraph(); p; p = NextLeaf(p)) s += p->Text();
    return s;
  }());
}

TEST(Builder, EachRowWithItsOwnDefinitionReplacesTheRepeatedOne) {
  Reading r;
  for (int cells : {1, 3}) {
    r.Row(cells);
    r.InTable(true);
    for (int i = 0; i < cells; ++i) {
      r.Type(std::string(1, static_cast<char>('a' + i)));
      r.b->EndCell();
    }
    r.b->EndRow();
  }
  r.b->CurrentRowFormat().halfGap = 99;  // lands in the repeated row, which goes
  r.InTable(false);
  r.b->Finish();
  EXPECT_EQ("S{T{R{C{P(a)}} R{C{P(a)} C{P(b)} C{P(c)}}}}", r.Tree());
  EXPECT_FALSE(r.b->TableOpen());
}

TEST(Builder, TableStartedMidParagraphFollowsIt) {
  Reading r;
  r.Type("Intro");
  r.Row(1);
  r.InTable(true);
  r.Type("x");
  r.b->EndCell();
  r.b->EndRow();
  r.InTable(false);
  r.Type("Outro");
  r.b->Finish();
  EXPECT_EQ("S{P(Intro) T{R{C{P(x)}}} P(Outro)}", r.Tree());
}

TEST(Builder, EndCellCarriesTheParagraphAndMarkFormatOn) {
  Reading r;
  r.Row(2);
  r.InTable(true);
  r.b->CurrentParaFormat().alignment = kAlignRight;
  r.b->CurrentCharFormat().italic = 1;
  r.b->EndCell();
  const Paragraph* second = r.Para(1);
  EXPECT_EQ(second, r.b->Cursor().paragraph);
  EXPECT_EQ(kAlignRight, second->Format()->alignment);
  EXPECT_EQ(1, second->MarkFormat()->italic);
  EXPECT_EQ(kAlignRight, r.Para(0)->Format()->alignment);
}

TEST(Builder, ALevelInTheRepeatedRowMovesWithTheText) {
  struct Case {
    const char* name;
    bool newDefinition;
    std::string expectText;
  };
  for (const Case& c : {Case{"table closed", false, "after"}, Case{"new row", true, "y"}}) {
    Reading r;
    r.Row(1);
    r.InTable(true);
    r.Type("x");
    r.b->EndCell();
    r.b->EndRow();
    ASSERT_TRUE(r.b->RecordLevel(0));
    if (c.newDefinition) {
      r.Row(1);
      r.Type("y");
      r.b->EndCell();
      r.b->EndRow();
    }
    r.InTable(false);
    r.Type("after");
    r.b->Finish();
    const TextPoint at = r.doc.PointAt(r.b->LevelPosition(0));
    ASSERT_NE(nullptr, at.paragraph) << c.name;
    EXPECT_EQ(c.expectText + "\r", at.paragraph->Text()) << c.name;
    EXPECT_EQ(0u, at.offset) << c.name;
  }
}

TEST(Builder, ALevelBeforeTextThatLeavesATableIsAfterTheTable) {
  Reading r;
  r.Row(1);
  r.InTable(true);
  r.Type("x");
  r.b->EndCell();
  r.b->EndRow();
  r.InTable(false);
  ASSERT_TRUE(r.b->RecordLevel(0));
  r.Type("Psalm");
  r.b->Finish();
  EXPECT_EQ("S{T{R{C{P(x)}}} P(Psalm)}", r.Tree());
  EXPECT_EQ(2, r.b->LevelPosition(0));
}

TEST(Builder, SectionsStartAfterTheCurrentOneWithACopyOfTheFormat) {
  Reading r;
  r.Type("one\r");
  r.b->CurrentSectionFormat().breakKind = kBreakNone;
  r.b->StartSection();
  r.b->CurrentSectionFormat().landscape = 1;
  r.Type("two");
  r.b->Finish();
  EXPECT_EQ("S{P(one)} S{P(two)}", r.Tree());
  const auto* s2 = static_cast<const SectionNode*>(r.doc.Root()->FirstChild()->Next());
  EXPECT_EQ(kBreakNone, s2->format.breakKind);
  EXPECT_EQ(1, s2->format.landscape);
}

TEST(Builder, FinishedLinksShareOneTarget) {
  Reading r;
  r.Type("see ");
  r.b->CurrentCharFormat().linkText = 1;
  r.Type("Gen");
  r.b->CurrentCharFormat().bold = 1;
  r.Type(" 1");
  r.b->AddLink(1, "gen 1:1");
  r.b->CurrentCharFormat().bold = 0;
  r.Type(" and ");
  r.b->CurrentCharFormat().linkText = 1;
  r.Type("Ex 2");
  r.b->AddLink(2, "ex 2:1");
  r.Type(".");
  EXPECT_EQ(0, r.b->CurrentCharFormat().linkText);
  EXPECT_EQ(kNoLinkType, r.b->CurrentCharFormat().linkType);

  const Paragraph* p = r.Para(0);
  ASSERT_EQ("see Gen 1 and Ex 2.\r", p->Text());
  struct Expect {
    size_t offset;
    int type;
    const char* target;
  };
  const Expect expects[] = {{3, kNoLinkType, nullptr}, {4, 1, "gen 1:1"}, {8, 1, "gen 1:1"},
                            {9, kNoLinkType, nullptr}, {14, 2, "ex 2:1"},  {18, kNoLinkType, nullptr}};
  for (const Expect& e : expects) {
    const CharFormat& f = *p->FormatAt(e.offset);
    EXPECT_EQ(e.type, f.linkType) << e.offset;
    if (e.target) {
      ASSERT_TRUE(f.link) << e.offset;
      EXPECT_EQ(e.target, f.link->Target());
      EXPECT_EQ(e.type, f.link->Type());
    } else {
      EXPECT_FALSE(f.link) << e.offset;
    }
  }
  EXPECT_EQ(p->FormatAt(4)->link.get(), p->FormatAt(8)->link.get()) << "plain and bold parts of one link";
}

TEST(Builder, LinkTypeFiveOrMoreCancelsThePendingLinkText) {
  for (int type : {5, 9}) {
    Reading r;
    r.b->CurrentCharFormat().linkText = 1;
    r.Type("abc");
    r.b->AddLink(type, "x");
    const Paragraph* p = r.Para(0);
    EXPECT_TRUE(p->FormatAt(0) == p->MarkFormat()) << type << ": plain text again";
    EXPECT_EQ(0, p->FormatAt(0)->linkText) << type;
    EXPECT_FALSE(p->FormatAt(0)->link) << type;
  }
}

TEST(Builder, ALinkReachesBackAcrossParagraphsButNotIntoTheLinkBefore) {
  Reading r;
  r.b->CurrentCharFormat().linkText = 1;
  r.Type("first");
  r.b->AddLink(0, "one");
  r.b->CurrentCharFormat().linkText = 1;
  r.Type("sec\rond");
  r.b->AddLink(3, "two");
  const Paragraph* p0 = r.Para(0);
  const Paragraph* p1 = r.Para(1);
  EXPECT_EQ("one", p0->FormatAt(0)->link->Target());
  EXPECT_EQ("two", p0->FormatAt(5)->link->Target());
  EXPECT_EQ("two", p0->MarkFormat()->link->Target());
  EXPECT_EQ("two", p1->FormatAt(2)->link->Target());
  EXPECT_EQ(3, p1->FormatAt(0)->linkType);
}

TEST(Builder, LinkTargetsGoWithTheirText) {
  CRtfDoc doc;
  RefPtr<LinkTarget> target;
  {
    DocumentBuilder b(doc);
    b.CurrentCharFormat().linkText = 1;
    b.InsertChar('x');
    b.AddLink(1, "t");
    target = doc.FirstParagraph()->FormatAt(0)->link;
  }
  EXPECT_EQ(2u, target->RefCount());
  doc.DeleteContents();
  EXPECT_EQ(1u, target->RefCount());
}

TEST(Builder, APictureIsOneZeroCharacterReferringToIt) {
  Reading r;
  auto pic = MakeRef<Picture>();
  pic->width = 100;
  r.b->CurrentCharFormat().bold = 1;
  r.Type("a");
  r.b->InsertPicture(pic);
  r.Type("b");
  const Paragraph* p = r.Para(0);
  ASSERT_EQ(std::string("a\0b\r", 4), p->Text());
  EXPECT_EQ(pic.get(), p->FormatAt(1)->picture.get());
  EXPECT_EQ(1, p->FormatAt(1)->bold);
  EXPECT_FALSE(p->FormatAt(2)->picture);
  EXPECT_TRUE(p->FormatAt(0)->picture == p->FormatAt(2)->picture);
  EXPECT_EQ(4u, p->Runs().size()) << "a, the picture, b, the mark";
  EXPECT_EQ(2u, pic->RefCount());
}

TEST(Builder, MarkingARangeAcrossParagraphsAndClearingItLeavesTheRunsAsRead) {
  Reading r;
  r.Type("In the\rbeginning ");
  r.b->CurrentCharFormat().italic = 1;
  r.Type("God");
  r.b->Finish();
  r.b.reset();
  auto runs = [&] {
    std::string out;
    for (const Paragraph* p = r.doc.FirstParagraph(); p; p = NextLeaf(p)) {
      for (const textpane::Run& run : p->Runs()) {
        out += std::to_string(run.length) + (run.format->mark ? "m" : "") + (run.format->italic ? "i" : "") + " ";
      }
      out += "| ";
    }
    return out;
  };
  const std::string asRead = runs();
  EXPECT_EQ("7 | 10 3i 1 | ", asRead);
  struct Case {
    TextPos begin, end;
    const char* marked;
  };
  const Case cases[] = {
      {3, 10, "3 4m | 3m 7 3i 1 | "},
      {0, 100, "7m | 10m 3mi 1m | "},
      {16, 18, "7 | 9 1m 1mi 2i 1 | "},
      {5, 5, "7 | 10 3i 1 | "},
  };
  for (const Case& c : cases) {
    r.doc.ChangeCharFormats(c.begin, c.end, [](CharFormat& f) { f.mark = 1; });
    EXPECT_EQ(c.marked, runs()) << c.begin << "-" << c.end;
    r.doc.ChangeCharFormats(0, r.doc.Length(), [](CharFormat& f) { f.mark = 0; });
    EXPECT_EQ(asRead, runs());
    EXPECT_EQ(2u, r.doc.CharFormats().size());
  }
}
