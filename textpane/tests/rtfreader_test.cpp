#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/coding.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/rtf/controlword.h"
#include "textpane/rtf/instream.h"
#include "treetext.h"

using namespace textpane;
using textpane::test::TreeText;

namespace {

std::string Read(CRtfDoc& doc, const std::string& data, FORMAT format = FORMAT_RTF) {
  doc.SetText(data.data(), data.size(), format);
  return TreeText(doc.Root());
}

std::string Read(const std::string& data, FORMAT format = FORMAT_RTF) {
  CRtfDoc doc;
  return Read(doc, data, format);
}

std::string Rtf(const std::string& body) { return "{\\rtf1 " + body + "}"; }

const CharFormat& FormatOf(const CRtfDoc& doc, char c) {
  for (const Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    const size_t i = p->Text().find(c);
    if (i != std::string::npos) return *p->FormatAt(i);
  }
  static const CharFormat none;
  ADD_FAILURE() << "no " << c;
  return none;
}

// Hands out a string a few bytes at a time, as an archive would.
struct Source {
  std::string data;
  size_t pos = 0;
  long chunk = 2048;
};
Source* g_source = nullptr;

DWORD ReadChunk(DWORD_PTR, char* buffer, long size, long* count) {
  const long n = static_cast<long>(std::min<size_t>(static_cast<size_t>(std::min(size, g_source->chunk)),
                                                    g_source->data.size() - g_source->pos));
  std::memcpy(buffer, g_source->data.data() + g_source->pos, static_cast<size_t>(n));
  g_source->pos += static_cast<size_t>(n);
  *count = n;
  return 0;
}

}  // namespace

TEST(ControlWords, TablesAreSortedAndFoundByName) {
  for (int t = 0; t < static_cast<int>(RtfTable::Count); ++t) {
    auto table = ControlWords(static_cast<RtfTable>(t));
    ASSERT_FALSE(table.empty());
    for (const ControlWord& w : table) EXPECT_EQ(&w, FindControlWord(table, w.name)) << w.name;
  }
  auto chars = ControlWords(RtfTable::Character);
  EXPECT_EQ(nullptr, FindControlWord(chars, "bb"));
  EXPECT_EQ(nullptr, FindControlWord(chars, ""));
  EXPECT_EQ(nullptr, FindControlWord(chars, "a"));
  EXPECT_EQ(nullptr, FindControlWord(chars, "zzz"));
}

TEST(InStream, CallbackStreamLooksAheadAcrossTheBufferBoundary) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += static_cast<char>('a' + i % 26);
  for (long chunk : {1L, 7L, 2048L}) {
    Source s{data, 0, chunk};
    g_source = &s;
    CallbackInStream in(ReadChunk, 0);
    std::string got;
    while (!in.AtEnd()) {
      // One byte further is always in reach, whatever the buffer it is in.
      if (got.size() + 1 < data.size()) {
        EXPECT_EQ(data[got.size() + 1], static_cast<char>(in.PeekAt(1)));
      }
      got += static_cast<char>(in.Peek());
      in.Advance();
    }
    EXPECT_EQ(data, got) << chunk;
    EXPECT_EQ(0, in.Peek());
    in.Advance();  // past the end stays there
    EXPECT_TRUE(in.AtEnd());
  }
  g_source = nullptr;
}

TEST(InStream, SkipPastTheEndStopsThere) {
  MemoryInStream m("abc", 3);
  m.Skip(2);
  EXPECT_EQ('c', m.Peek());
  EXPECT_EQ(0, m.PeekAt(1));
  m.Skip(1000);
  EXPECT_TRUE(m.AtEnd());
}

TEST(RtfReader, HeaderDecidesBetweenRtfAndText) {
  struct Case {
    const char* input;
    FORMAT format;
    const char* tree;
  };
  const Case cases[] = {
      {"{\\rtf1 Hello}", FORMAT_RTF, "S{P(Hello)}"},
      {"{\\rtf2 Hello}", FORMAT_RTF, "S{P({\\rtf2 Hello})}"},
      {"Hello", FORMAT_RTF, "S{P(Hello)}"},
      {"{\\rtf1 Hello}", FORMAT_TEXT, "S{P({\\rtf1 Hello})}"},
      {"{\\rtf", FORMAT_RTF, "S{P({\\rtf)}"},
      {"", FORMAT_RTF, "S{P()}"},
      {"one\r\ntwo\r\n", FORMAT_TEXT, "S{P(one) P(two)}"},
      {"{\\rtf1 Hello", FORMAT_RTF_FROM_LEVEL, "S{P()}"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Read(c.input, c.format)) << c.input;
}

TEST(RtfReader, SymbolsEscapesAndDelimiters) {
  struct Case {
    const char* body;
    const char* tree;
  };
  const Case cases[] = {
      {"a\\par b", "S{P(a) P(b)}"},
      {"a\\par\r\nb", "S{P(a) P(b)}"},
      {"\\{ x\\}", "S{P({ x})}"},
      {"\\\\", "S{P(\\)}"},
      {"\\'e9\\'E9", "S{P(\xE9\xE9)}"},
      {"\\'e\r\n9", "S{P(\xE9)}"},
      {"\\'zz", "S{P(zz)}"},
      {"a\\tab b\\line c", "S{P(a\tb\nc)}"},
      {"\\~\\_\\-", "S{P(\xA0\x1E\x1F)}"},
      {"\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\endash\\emdash", "S{P(\x91\x92\x93\x94\x95\x96\x97)}"},
      {"\\emspace\\enspace x", "S{P(  x)}"},
      {"a\\unknownword12 b", "S{P(ab)}"},
      {"a{\\*\\unknown hidden {nested}}b", "S{P(ab)}"},
      {"a{\\unknown kept}b", "S{P(akeptb)}"},
      {"a{\\*\\fonttbl{\\f0 X;}}b", "S{P(ab)}"},
      {"a}b", "S{P(ab)}"},
      {"a\\Zb", "S{P(aZb)}"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Read(Rtf(c.body))) << c.body;
}

TEST(RtfReader, UnicodeCharactersTakeTheirCodePageByteOrTheirFallback) {
  struct Case {
    const char* body;
    const char* tree;
  };
  const Case cases[] = {
      // A byte of the code page replaces the character; its fallback goes.
      {"\\u8364?x", "S{P(\x80x)}"},
      {"\\u8218?\\u8230?\\u8482?\\u376?", "S{P(\x82\x85\x99\x9F)}"},
      {"\\u8220?\\u8221?\\u338?\\u339?", "S{P(\x93\x94\x8C\x9C)}"},
      {"\\u233 e\\u255?", "S{P(\xE9\xFF)}"},
      {"\\u160?\\u65?", "S{P(\xA0" "A)}"},
      // No byte: the fallback is the text.
      {"\\u937 O end", "S{P(O end)}"},
      {"\\u128a\\u159b\\u8c", "S{P(abc)}"},
      // Negative numbers count from 65536: -233 is U+FF17, not U+00E9.
      {"\\u-233?x", "S{P(?x)}"},
      {"\\u-8172?x", "S{P(?x)}"},
      // How many fallback characters follow, scoped to the group.
      {"\\uc2\\u233 ab\\u8364 cdx", "S{P(\xE9\x80x)}"},
      {"\\uc0\\u233 ab", "S{P(\xE9" "ab)}"},
      {"{\\uc3\\u233 abc}\\u233 ab", "S{P(\xE9\xE9" "b)}"},
      {"\\uc2 {\\uc0 }\\u233 abc", "S{P(\xE9" "c)}"},
      // A hex escape or a control word is one fallback character.
      {"\\uc2\\u8364\\'80\\'81x", "S{P(\x80x)}"},
      {"\\u233\\'e9x", "S{P(\xE9x)}"},
      {"\\uc2\\u233\\tab\\bullet x", "S{P(\xE9x)}"},
      // A brace ends the fallback early.
      {"\\uc3\\u233 a}b", "S{P(\xE9" "b)}"},
      {"{\\uc3\\u233 a}b", "S{P(\xE9" "b)}"},
      // Without a number these are no Unicode words.
      {"a\\u b\\uc c", "S{P(abc)}"},
      {"\\ul u", "S{P(u)}"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Read(Rtf(c.body))) << c.body;
}

TEST(RtfReader, PageBreakEndsTheParagraph) {
  struct Case {
    const char* body;
    const char* tree;
  };
  const Case cases[] = {
      {"a\\page b", "S{P(a) P(b)}"},
      {"a\\page\\par b", "S{P(a) P() P(b)}"},
      {"a\\pagebb b", "S{P(ab)}"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Read(Rtf(c.body))) << c.body;
}

TEST(RtfReader, HexEscapeAtTheEndInsertsNothing) {
  EXPECT_EQ("S{P(a)}", Read("{\\rtf1 a\\'"));
  EXPECT_EQ("S{P(a)}", Read("{\\rtf1 a\\"));
}

TEST(RtfReader, CharacterPropertiesAndTheirDefaults) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\b B}{\\b\\b0 N}{\\fs I}{\\fs30 J}{\\i\\ul\\strike\\v\\caps\\scaps K}{\\super U}{\\sub D}"
                "{\\cf2\\cb3\\f1\\lang1031 C}{\\expnd2 E}{\\expndtw-7 W}{\\kerning2 G}"));
  EXPECT_EQ(1, FormatOf(doc, 'B').bold);
  EXPECT_EQ(0, FormatOf(doc, 'N').bold);
  EXPECT_EQ(240, FormatOf(doc, 'I').size);
  EXPECT_EQ(300, FormatOf(doc, 'J').size);
  const CharFormat& k = FormatOf(doc, 'K');
  EXPECT_TRUE(k.italic && k.underline && k.strike && k.hidden && k.caps && k.smallCaps);
  EXPECT_EQ(kVertSuperscript, FormatOf(doc, 'U').verticalPosition);
  EXPECT_EQ(kVertSubscript, FormatOf(doc, 'D').verticalPosition);
  const CharFormat& c = FormatOf(doc, 'C');
  EXPECT_EQ(2, c.foreground);
  EXPECT_EQ(3, c.background);
  EXPECT_EQ(1, c.font);
  EXPECT_EQ(1031, c.language);
  EXPECT_EQ(10, FormatOf(doc, 'E').expansion);
  EXPECT_EQ(-7, FormatOf(doc, 'W').expansion);
  EXPECT_EQ(20, FormatOf(doc, 'G').kerning);
}

TEST(RtfReader, GroupsRestoreFormatsAndPlainResets) {
  CRtfDoc doc;
  Read(doc, Rtf("\\deff2 {\\fonttbl{\\f0 A;}{\\f2 B;}}a{\\b b{\\i c}d}e\\b\\i\\fs40 f\\plain g"));
  EXPECT_EQ(0, FormatOf(doc, 'a').bold);
  EXPECT_EQ(1, FormatOf(doc, 'b').bold);
  EXPECT_EQ(1, FormatOf(doc, 'c').italic);
  EXPECT_EQ(0, FormatOf(doc, 'd').italic);
  EXPECT_EQ(0, FormatOf(doc, 'e').bold);
  const CharFormat& g = FormatOf(doc, 'g');
  EXPECT_EQ(0, g.bold);
  EXPECT_EQ(240, g.size);
  EXPECT_EQ(2, g.font);
}

TEST(RtfReader, ParagraphProperties) {
  CRtfDoc doc;
  Read(doc, Rtf("\\qc\\fi-100\\li200\\ri300\\sb40\\sa50\\tqc\\tldot\\tx500\\tx100\\tb900 "
                "\\brdrb\\brdrs\\brdrw15\\shading500\\bghoriz a\\par\\pard b"));
  const Paragraph* a = doc.FirstParagraph();
  const ParaFormat& p = *a->Format();
  EXPECT_EQ(kAlignCentre, p.alignment);
  EXPECT_EQ(-100, p.firstIndent);
  EXPECT_EQ(200, p.leftIndent);
  EXPECT_EQ(300, p.rightIndent);
  EXPECT_EQ(40, p.spaceBefore);
  EXPECT_EQ(50, p.spaceAfter);
  ASSERT_EQ(3u, p.tabs.size());
  EXPECT_EQ((TabStop{100, kTabLeft, kLeaderNone}), p.tabs[0]);
  EXPECT_EQ((TabStop{500, kTabCentre, kLeaderDots}), p.tabs[1]);
  EXPECT_EQ((TabStop{900, kTabBar, kLeaderNone}), p.tabs[2]);
  EXPECT_EQ(kBorderSingle, p.borders[kSideBottom].style);
  EXPECT_EQ(15, p.borders[kSideBottom].width);
  EXPECT_EQ(kBorderNone, p.borders[kSideTop].style);
  EXPECT_EQ(500, p.shading.percentage);
  EXPECT_EQ(1, p.shading.pattern);
  EXPECT_EQ(ParaFormat{}, *NextLeaf(a)->Format());
}

TEST(RtfReader, DocumentWordsOnlyBeforeTheBody) {
  CRtfDoc doc;
  Read(doc, Rtf("\\paperw10000\\margl900\\landscape\\deftab360 \\b x\\paperw500 y"));
  EXPECT_EQ(10000, doc.Format().paperWidth);
  EXPECT_EQ(900, doc.Format().marginLeft);
  EXPECT_EQ(1, doc.Format().landscape);
  EXPECT_EQ(360, doc.Format().defaultTab);
}

TEST(RtfReader, FontTable) {
  CRtfDoc doc;
  Read(doc, Rtf("\\deff1{\\fonttbl{\\f1\\froman\\fcharset2\\fprq2 Times;}"
                "{\\f2\\fswiss{\\*\\panose 0203}Ar\\'e9al;}{\\f3 NoSemicolon}"
                "{\\f4 ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij;}{\\f1\\fmodern Courier;}}x"));
  const FontTable& f = doc.Fonts();
  EXPECT_EQ(1, f.defaultFont);
  ASSERT_NE(nullptr, f.Find(0));
  EXPECT_STREQ("Times New Roman", f.Find(0)->faceName);
  ASSERT_NE(nullptr, f.Find(1));
  EXPECT_STREQ("Courier", f.Find(1)->faceName);  // a number read again is overwritten
  EXPECT_EQ(0x30, f.Find(1)->pitchAndFamily);
  ASSERT_NE(nullptr, f.Find(2));
  EXPECT_STREQ("Ar\xE9" "al", f.Find(2)->faceName);
  EXPECT_EQ(0x20, f.Find(2)->pitchAndFamily);
  EXPECT_EQ(nullptr, f.Find(3));
  ASSERT_NE(nullptr, f.Find(4));
  EXPECT_EQ(31u, std::strlen(f.Find(4)->faceName));
  EXPECT_EQ("S{P(x)}", TreeText(doc.Root()));
}

TEST(RtfReader, FontTableCharsetAndPitch) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\fonttbl{\\f5\\fscript\\fcharset238\\fprq1 S;}}"));
  EXPECT_EQ(238, doc.Fonts().Find(5)->charSet);
  EXPECT_EQ(0x41, doc.Fonts().Find(5)->pitchAndFamily);
}

TEST(RtfReader, ColorTable) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\colortbl;\\red255\\green0\\blue0;\\red1\\green2\\blue3;\\green0;}x"));
  const ColorTable& c = doc.Colors();
  ASSERT_EQ(4u, c.Size());
  EXPECT_FALSE(c.Lookup(0).has_value());
  EXPECT_EQ(255u, c.Lookup(1).value_or(0));
  EXPECT_EQ(1u + 2u * 256 + 3u * 65536, c.Lookup(2).value_or(0));
  EXPECT_EQ(0u, c.Lookup(3).value_or(99));
  EXPECT_FALSE(c.Lookup(4).has_value());
}

TEST(RtfReader, SkippedDestinationsTakeTheirText) {
  EXPECT_EQ("S{P(body)}", Read(Rtf("{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}"
                                   "{\\header H}{\\footer F}{\\*\\generator G;}body")));
}

TEST(RtfReader, LinksFinishOrCancelThePendingText) {
  CRtfDoc doc;
  Read(doc, Rtf("see {\\soltlink John 3:16{\\soltlinkto1 Jn 3:16}} and {\\soltlink X{\\soltlinkto Gone}}"
                " and {\\soltlink Y{\\soltlinkto7 Gone}}, {\\soltlink Q{\\soltlinkto2 a\\}b}}"));
  EXPECT_EQ("S{P(see John 3:16 and X and Y, Q)}", TreeText(doc.Root()));
  const CharFormat& j = FormatOf(doc, 'J');
  EXPECT_EQ(1, j.linkType);
  ASSERT_TRUE(j.link);
  EXPECT_EQ("Jn 3:16", j.link->Target());
  EXPECT_FALSE(FormatOf(doc, 'a').link);  // text after the link is not link text
  for (char c : {'X', 'Y'}) {
    EXPECT_EQ(0, FormatOf(doc, c).linkText) << c;
    EXPECT_FALSE(FormatOf(doc, c).link) << c;
  }
  ASSERT_TRUE(FormatOf(doc, 'Q').link);
  EXPECT_EQ("a\\}b", FormatOf(doc, 'Q').link->Target());
}

TEST(RtfReader, SecondLinkStopsAtTheFirst) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\soltlink A{\\soltlinkto1 one}}{\\soltlink B{\\soltlinkto2 two}}"));
  EXPECT_EQ("one", FormatOf(doc, 'A').link->Target());
  EXPECT_EQ("two", FormatOf(doc, 'B').link->Target());
}

TEST(RtfReader, LinkTextSpanningAParagraphMark) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\soltlink A\\par B{\\soltlinkto0 t}}"));
  EXPECT_EQ(0, FormatOf(doc, 'A').linkType);
  EXPECT_EQ(0, FormatOf(doc, 'B').linkType);
}

TEST(RtfReader, BookStateSurvivesTheEndOfAGroup) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\soltlink\\soltstartlevel0\\b a}b"));
  const CharFormat& b = FormatOf(doc, 'b');
  EXPECT_EQ(1, b.linkText);
  EXPECT_EQ(0, b.bold);
}

TEST(RtfReader, ConcordanceSpanHasAHiddenKeyAndEndsWithAHiddenSpace) {
  CRtfDoc doc;
  Read(doc, Rtf("x{\\soltconcordanceon key}Text\\soltconcordanceoff y{\\soltconcordanceon}z"));
  const Paragraph* p = doc.FirstParagraph();
  EXPECT_EQ("xkeyText yz\r", p->Text());
  const CharFormat& k = FormatOf(doc, 'k');
  EXPECT_EQ(kConcordanceKey, k.concordance);
  EXPECT_EQ(1, k.hidden);
  const CharFormat& t = FormatOf(doc, 'T');
  EXPECT_EQ(kConcordanceInside, t.concordance);
  EXPECT_EQ(0, t.hidden);
  EXPECT_EQ(1, p->FormatAt(8)->hidden);  // the closing space
  EXPECT_EQ(kConcordanceOutside, p->FormatAt(8)->concordance);
  EXPECT_EQ(kConcordanceInside, FormatOf(doc, 'z').concordance);
}

TEST(RtfReader, ConcordanceWordsIgnoreANumber) {
  // A number after the words must not leave the text as hidden key text.
  CRtfDoc doc;
  Read(doc, Rtf("{\\soltconcordanceon2}Text\\soltconcordanceoff5 y"));
  EXPECT_EQ(kConcordanceInside, FormatOf(doc, 'T').concordance);
  EXPECT_EQ(kConcordanceOutside, FormatOf(doc, 'y').concordance);
}

TEST(RtfReader, LevelsAndReadingFromTheFirstLevel) {
  CRtfDoc doc;
  Read(doc, "{\\rtf1 preface\\par\\soltstartlevel0 one\\par\\soltstartlevel2 x\\soltstartlevel1 two}",
       FORMAT_RTF_FROM_LEVEL);
  EXPECT_EQ("S{P(one) P(xtwo)}", TreeText(doc.Root()));
  EXPECT_EQ(2u, doc.Levels().Count());
  EXPECT_EQ(0, doc.LevelPosition(0));
  EXPECT_EQ(5, doc.LevelPosition(1));
  EXPECT_EQ(0, doc.LevelPosition(2));
}

TEST(RtfReader, TablesAndSections) {
  EXPECT_EQ("S{T{R{C{P(a)} C{P(b)}} R{C{P(c)} C{P(d)}}} P(after)}",
            Read(Rtf("\\trowd\\trgaph100\\clbrdrt\\brdrs\\cellx1000\\cellx2000 \\pard\\intbl a\\cell b\\cell\\row "
                     "\\intbl c\\cell d\\cell\\row\\pard after")));
  EXPECT_EQ("S{P(a)} S{P(b)}", Read(Rtf("a\\sect b")));
  // A row definition at the very end, with no cell: nothing to fall back on.
  EXPECT_NO_FATAL_FAILURE(Read(Rtf("\\trowd\\trgaph878\\trleft-108")));
}

TEST(RtfReader, RowDefinitionFillsRowAndCellFormats) {
  CRtfDoc doc;
  Read(doc, Rtf("\\trowd\\trleft-50\\trqc\\trbrdrt\\brdrdb\\brdrw20\\clbrdrl\\brdrdot\\clshdng250\\cellx1500 "
                "\\intbl a\\cell\\row"));
  const Node* row = doc.Root()->FirstChild()->FirstChild()->FirstChild();
  ASSERT_EQ(NodeKind::Row, row->Kind());
  const RowFormat& f = static_cast<const RowNode*>(row)->format;
  EXPECT_EQ(-50, f.left);
  EXPECT_EQ(kAlignCentre, f.alignment);
  EXPECT_EQ(kBorderDouble, f.borders[kSideTop].style);
  EXPECT_EQ(20, f.borders[kSideTop].width);
  ASSERT_EQ(1u, f.cells.size());
  EXPECT_EQ(1500, f.cells[0].rightBoundary);
  EXPECT_EQ(kBorderDotted, f.cells[0].borders[kSideLeft].style);
  EXPECT_EQ(250, f.cells[0].shading.percentage);
}

TEST(RtfReader, MetafilePictures) {
  CRtfDoc doc;
  Read(doc, Rtf("a{\\pict\\wmetafile8\\picw100\\pich200\\picscalex50 01Ab\r\nff}b"
                "{\\pict\\wmetafile8\\bin3 {}}}c{\\pict\\dibitmap0 00}d"));
  const Paragraph* p = doc.FirstParagraph();
  EXPECT_EQ(std::string("a\0b\0cd\r", 7), p->Text());
  const Picture* pic = p->FormatAt(1)->picture.get();
  ASSERT_NE(nullptr, pic);
  EXPECT_EQ((std::vector<uint8_t>{0x01, 0xAB, 0xFF}), pic->metafile);
  EXPECT_EQ(8, pic->mappingMode);
  EXPECT_EQ(100, pic->width);
  EXPECT_EQ(200, pic->height);
  EXPECT_EQ(50, pic->scaleX);
  EXPECT_EQ(100, pic->scaleY);
  const Picture* bin = p->FormatAt(3)->picture.get();
  ASSERT_NE(nullptr, bin);
  EXPECT_EQ((std::vector<uint8_t>{'{', '}', '}'}), bin->metafile);
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char buf[3];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", b);
    out += buf;
  }
  return out;
}

// A BITMAPINFOHEADER (40 bytes) for w x h at bpp with `colors` palette
// entries, followed by the palette and `bits` pixel bytes.
std::vector<uint8_t> Dib(int32_t w, int32_t h, int bpp, int colors, size_t bits) {
  std::vector<uint8_t> d(40, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0, 40, 4);
  put(4, static_cast<uint32_t>(w), 4);
  put(8, static_cast<uint32_t>(h), 4);
  put(12, 1, 2);
  put(14, static_cast<uint32_t>(bpp), 2);
  put(32, static_cast<uint32_t>(colors), 4);
  for (int i = 0; i < colors; ++i) d.insert(d.end(), {uint8_t(0x10 * i), 0x20, 0x30, 0});
  d.insert(d.end(), bits, 0x5A);
  return d;
}

TEST(RtfReader, DeviceIndependentBitmapsBecomeMetafiles) {
  struct Case {
    const char* name;
    std::vector<uint8_t> dib;
    std::string words;
    bool shown;
    int width, height, scale;  // twips at 96 pixels per inch
    size_t palette;
  } cases[] = {
      {"8-bit with palette", Dib(2, 3, 8, 2, 12), "", true, 30, 45, 100, 2},
      {"top-down 24-bit", Dib(4, -2, 24, 0, 24), "", true, 60, 30, 100, 0},
      {"1-bit full palette", Dib(8, 1, 1, 0, 12), "", true, 120, 15, 100, 2},
      {"extent from picw when header says 0", Dib(0, 0, 24, 0, 3), "\\picw5\\pich6", true, 75, 90, 100, 0},
      {"wide picture scaled down", Dib(3000, 10, 24, 0, 0), "", true, 45000, 150, 71, 0},
      {"impossible extent", Dib(40000, 1, 24, 0, 0), "", false, 0, 0, 0, 0},
      {"header longer than data", std::vector<uint8_t>{200, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "", false, 0, 0, 0, 0},
      {"too short", std::vector<uint8_t>{40, 0}, "", false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRtfDoc doc;
    Read(doc, Rtf("a{\\pict\\dibitmap0" + c.words + " " + Hex(c.dib) + "}b"));
    const Paragraph* p = doc.FirstParagraph();
    if (!c.shown) {
      EXPECT_EQ("ab\r", p->Text());
      continue;
    }
    ASSERT_EQ(std::string("a\0b\r", 4), p->Text());
    const Picture* pic = p->FormatAt(1)->picture.get();
    ASSERT_NE(nullptr, pic);
    EXPECT_TRUE(pic->bitmap);
    EXPECT_EQ(8, pic->mappingMode);
    EXPECT_EQ(c.width, pic->width);
    EXPECT_EQ(c.height, pic->height);
    EXPECT_EQ(c.scale, pic->scaleX);
    EXPECT_EQ(c.scale, pic->scaleY);
    EXPECT_EQ(c.palette, pic->palette.size());
    // The metafile ends with the end record and carries the bitmap whole.
    const auto& m = pic->metafile;
    ASSERT_GT(m.size(), c.dib.size() + 18);
    EXPECT_EQ((std::vector<uint8_t>{3, 0, 0, 0, 0, 0}), std::vector<uint8_t>(m.end() - 6, m.end()));
    EXPECT_NE(std::search(m.begin(), m.end(), c.dib.begin(), c.dib.end()), m.end());
    EXPECT_EQ(m.size() / 2, platform::DecodeFixed32(m.data() + 6)) << "header gives the size in words";

    // Written back it is a metafile and reads back the same.
    CRtfDoc again;
    std::string rtf = doc.GetText(FORMAT_RTF);
    again.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
    const Picture* back = again.FirstParagraph()->FormatAt(1)->picture.get();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(m, back->metafile);
    EXPECT_EQ(pic->width, back->width);
    EXPECT_EQ(pic->height, back->height);
  }
  // A device-dependent bitmap is not shown.
  CRtfDoc doc;
  Read(doc, Rtf("a{\\pict\\wbitmap0\\picw2\\pich2 " + Hex(Dib(2, 2, 8, 0, 4)) + "}b"));
  EXPECT_EQ("ab\r", doc.FirstParagraph()->Text());
}

// The start of a PNG file: signature and IHDR chunk (CRC not checked here).
std::vector<uint8_t> Png(uint32_t w, uint32_t h) {
  std::vector<uint8_t> d = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {w, h}) {
    for (int shift = 24; shift >= 0; shift -= 8) d.push_back(static_cast<uint8_t>(v >> shift));
  }
  d.insert(d.end(), {8, 6, 0, 0, 0, 0x12, 0x34, 0x56, 0x78});
  return d;
}

// A JPEG file's segments up to its frame header: an APP0 segment, a fill byte
// and a progressive frame header (SOF2).
std::vector<uint8_t> Jpeg(uint16_t w, uint16_t h) {
  std::vector<uint8_t> d = {0xFF, 0xD8, 0xFF, 0xE0, 0, 7, 'J', 'F', 'I', 'F', 0};
  d.insert(d.end(), {0xFF, 0xFF, 0xC2, 0, 11, 8, uint8_t(h >> 8), uint8_t(h), uint8_t(w >> 8), uint8_t(w), 1, 1,
                     0x11, 0, 0xFF, 0xD9});
  return d;
}

TEST(RtfReader, PngAndJpegPicturesKeepTheirFile) {
  using Kind = Picture::Kind;
  auto cut = [](std::vector<uint8_t> d, size_t n) {
    d.resize(n);
    return d;
  };
  auto with = [](std::vector<uint8_t> d, size_t at, uint8_t b) {
    d[at] = b;
    return d;
  };
  struct Case {
    const char* name;
    std::string words;
    std::vector<uint8_t> data;
    Kind kind;
    int width, height, goalWidth, goalHeight, scaleX, scaleY;
  } cases[] = {
      // The size from the header at 96 pixels per inch.
      {"png", "\\pngblip", Png(2, 3), Kind::Png, 2, 3, 30, 45, 100, 100},
      {"jpeg", "\\jpegblip", Jpeg(640, 480), Kind::Jpeg, 640, 480, 9600, 7200, 100, 100},
      // What the writer gave wins over the header.
      {"sizes given", "\\pngblip\\picw10\\pich20\\picwgoal1440\\pichgoal720\\picscalex50", Png(2, 3), Kind::Png, 10,
       20, 1440, 720, 50, 100},
      {"goal from picw", "\\jpegblip\\picw96\\pich48", Jpeg(1, 1), Kind::Jpeg, 96, 48, 1440, 720, 100, 100},
      // Kept undecoded however large; brought into 16-bit coordinates.
      {"huge png", "\\pngblip", Png(100000, 100000), Kind::Png, 100000, 100000, 1500000, 1500000, 2, 2},
      {"largest png", "\\pngblip", Png(0x7FFFFFFF, 1), Kind::Png, 0x7FFFFFFF, 1, 0x7FFFFFFF, 15, 1, 1},
      // A header that cannot be trusted gives no size; the picture stays.
      {"png cut in its header", "\\pngblip", cut(Png(2, 3), 23), Kind::Png, 0, 0, 0, 0, 100, 100},
      {"png bad signature", "\\pngblip", with(Png(2, 3), 1, 'p'), Kind::Png, 0, 0, 0, 0, 100, 100},
      {"png first chunk not IHDR", "\\pngblip", with(Png(2, 3), 12, 'i'), Kind::Png, 0, 0, 0, 0, 100, 100},
      {"png zero width", "\\pngblip", Png(0, 3), Kind::Png, 0, 0, 0, 0, 100, 100},
      {"png width over 2^31", "\\pngblip", Png(0x80000000u, 3), Kind::Png, 0, 0, 0, 0, 100, 100},
      {"jpeg cut in its frame header", "\\jpegblip", cut(Jpeg(5, 5), 19), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
      {"jpeg segment past the end", "\\jpegblip", with(Jpeg(5, 5), 5, 200), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
      {"jpeg segment length 0", "\\jpegblip", with(Jpeg(5, 5), 5, 0), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
      {"jpeg scan before any frame", "\\jpegblip", with(Jpeg(5, 5), 13, 0xDA), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
      {"jpeg without SOI", "\\jpegblip", with(Jpeg(5, 5), 1, 0xD9), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
      {"png bytes called jpeg", "\\jpegblip", Png(2, 3), Kind::Jpeg, 0, 0, 0, 0, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRtfDoc doc;
    Read(doc, Rtf("a{\\pict" + c.words + " " + Hex(c.data) + "}b"));
    const Paragraph* p = doc.FirstParagraph();
    ASSERT_EQ(std::string("a\0b\r", 4), p->Text());
    const Picture* pic = p->FormatAt(1)->picture.get();
    ASSERT_NE(nullptr, pic);
    EXPECT_EQ(c.kind, pic->kind);
    EXPECT_EQ(c.data, pic->metafile);
    EXPECT_EQ(c.width, pic->width);
    EXPECT_EQ(c.height, pic->height);
    EXPECT_EQ(c.goalWidth, pic->GoalWidth());
    EXPECT_EQ(c.goalHeight, pic->GoalHeight());
    EXPECT_EQ(c.scaleX, pic->scaleX);
    EXPECT_EQ(c.scaleY, pic->scaleY);
  }
  // Without data there is nothing to show.
  EXPECT_EQ("ab\r", [] {
    CRtfDoc doc;
    Read(doc, Rtf("a{\\pict\\pngblip\\picw5\\pich5 }b"));
    return doc.FirstParagraph()->Text();
  }());
}

TEST(RtfReader, CallbackAndMemoryReadTheSame) {
  std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Times;}}";
  for (int i = 0; i < 2000; ++i) rtf += "{\\b word}\\'e9 \\par ";
  rtf += "}";
  CRtfDoc fromMemory;
  Read(fromMemory, rtf);
  for (long chunk : {1L, 3L, 2048L}) {
    Source s{rtf, 0, chunk};
    g_source = &s;
    CRtfDoc fromCallback;
    fromCallback.SetText(ReadChunk, 0, FORMAT_RTF);
    EXPECT_TRUE(TreeText(fromMemory.Root()) == TreeText(fromCallback.Root())) << chunk;
    EXPECT_EQ(fromMemory.Length(), fromCallback.Length()) << chunk;
  }
  g_source = nullptr;
}

TEST(RtfReader, HostileInputReadsInLinearTime) {
  struct Case {
    const char* name;
    std::string data;
  };
  const size_t n = 1'000'000;
  const Case cases[] = {
      {"open braces", "{\\rtf1 " + std::string(n, '{') + "x"},
      {"alternating formats", "{\\rtf1 " + [&] {
         std::string s;
         for (size_t i = 0; i < n / 8; ++i) s += i % 2 ? "{\\b0 " : "{\\b ";
         return s;
       }()},
      {"close braces", "{\\rtf1 " + std::string(n, '}') + "x"},
      {"endless word", "{\\rtf1 \\" + std::string(n, 'a') + " x}"},
      {"huge parameter", "{\\rtf1 \\fs" + std::string(n, '9') + " x}"},
      {"bin past the end", "{\\rtf1 {\\pict\\wmetafile8\\bin999999999 abc"},
      {"bad hex", "{\\rtf1 " + [&] {
         std::string s;
         for (size_t i = 0; i < n / 4; ++i) s += "\\'zq";
         return s;
       }()},
      {"font table without semicolon", "{\\rtf1 {\\fonttbl{\\f0 " + std::string(n, 'x')},
      {"many fonts", "{\\rtf1 {\\fonttbl" + [&] {
         std::string s;
         for (size_t i = 0; i < n / 10; ++i) s += "\\f" + std::to_string(i) + " F;";
         return s;
       }() + "}x}"},
      {"link target", "{\\rtf1 \\soltlink a{\\soltlinkto1 " + std::string(n, 't')},
      {"skipped group", "{\\rtf1 {\\*\\x " + std::string(n, '{')},
      {"many levels", "{\\rtf1 " + [&] {
         std::string s;
         for (size_t i = 0; i < n / 20; ++i) s += "\\soltstartlevel" + std::to_string(i) + " ";
         return s;
       }()},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    CRtfDoc doc;
    doc.SetText(c.data.data(), c.data.size(), FORMAT_RTF);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 5000) << c.name;
    EXPECT_NE(nullptr, doc.FirstParagraph()) << c.name;
  }
}

TEST(RtfReader, ReadingAgainStartsFromAnEmptyDocument) {
  CRtfDoc doc;
  Read(doc, Rtf("{\\colortbl;\\red1;}\\soltstartlevel0 first"));
  EXPECT_EQ("S{P(second)}", Read(doc, Rtf("second")));
  EXPECT_EQ(0u, doc.Colors().Size());
  EXPECT_EQ(0u, doc.Levels().Count());
}
