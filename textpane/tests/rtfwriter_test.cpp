#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/rtf/outstream.h"
#include "treetext.h"

using namespace textpane;
using textpane::test::TreeText;

namespace {

// Collects what a callback is handed, block by block.
std::vector<std::string>* g_blocks = nullptr;

DWORD Collect(DWORD_PTR cookie, char* buffer, long size, long* count) {
  EXPECT_EQ(42u, cookie);
  g_blocks->emplace_back(buffer, static_cast<size_t>(size));
  *count = size;
  return 0;
}

std::string Joined(const std::vector<std::string>& blocks) {
  std::string all;
  for (const std::string& b : blocks) all += b;
  return all;
}

std::string Rtf(const std::string& body) { return "{\\rtf1 " + body + "}"; }

std::string Describe(const CharFormat& f) {
  char buf[320];
  std::snprintf(buf, sizeof buf,
                "lvl%d cb%u cf%u f%u fs%u k%u lang%u lt%u x%d b%u c%u sc%u i%u s%u u%u rtl%u v%u vp%u ltext%u cc%u",
                f.level, f.background, f.foreground, f.font, f.size, f.kerning, f.language, f.linkType, f.expansion,
                f.bold, f.caps, f.smallCaps, f.italic, f.strike, f.underline, f.rightToLeft, f.hidden,
                f.verticalPosition, f.linkText, f.concordance);
  std::string s = buf;
  if (f.link) s += " link" + std::to_string(f.link->Type()) + "<" + f.link->Target() + ">";
  if (const Picture* p = f.picture.get()) {
    std::snprintf(buf, sizeof buf, " pict%d mm%d %dx%d goal%dx%d scale%d/%d bmp%d bpp%d bytes", static_cast<int>(p->kind),
                  p->mappingMode, p->width, p->height, p->goalWidth, p->goalHeight, p->scaleX, p->scaleY, p->bitmap,
                  p->bitsPerPixel);
    s += buf;
    for (uint8_t b : p->metafile) s += std::to_string(b) + ",";
  }
  return s;
}

std::string Describe(const BorderSpec& b) {
  return "[" + std::to_string(b.width) + "," + std::to_string(b.colour) + "," + std::to_string(b.space) + "," +
         std::to_string(b.style) + "]";
}

std::string Describe(const Shading& s) {
  return "<" + std::to_string(s.percentage) + "," + std::to_string(s.foreground) + "," +
         std::to_string(s.background) + "," + std::to_string(s.pattern) + ">";
}

std::string Describe(const ParaFormat& f) {
  std::string s = "fi" + std::to_string(f.firstIndent) + " li" + std::to_string(f.leftIndent) + " ri" +
                  std::to_string(f.rightIndent) + " sb" + std::to_string(f.spaceBefore) + " sa" +
                  std::to_string(f.spaceAfter) + " tbl" + std::to_string(f.inTable) + " rtl" +
                  std::to_string(f.rightToLeft) + " q" + std::to_string(f.alignment) + " tabs";
  for (const TabStop& t : f.tabs) s += "(" + std::to_string(t.position) + "," + std::to_string(t.kind) + "," +
                                       std::to_string(t.leader) + ")";
  for (const BorderSpec& b : f.borders) s += Describe(b);
  return s + Describe(f.shading);
}

// Everything a reader fills in, in a form a failing test can show.
std::string Snapshot(const CRtfDoc& doc) {
  std::string s = TreeText(doc.Root()) + "\n";
  const DocFormat& d = doc.Format();
  s += "doc " + std::to_string(d.language) + " " + std::to_string(d.defaultTab) + " " +
       std::to_string(d.marginBottom) + " " + std::to_string(d.marginTop) + " " + std::to_string(d.marginLeft) +
       " " + std::to_string(d.marginRight) + " " + std::to_string(d.paperHeight) + " " +
       std::to_string(d.paperWidth) + " " + std::to_string(d.landscape) + "\n";
  s += "deff " + std::to_string(doc.Fonts().defaultFont) + "\n";
  for (int32_t n : doc.Fonts().Numbers()) {
    const FontEntry& f = *doc.Fonts().Find(n);
    s += "font " + std::to_string(n) + " " + f.faceName + " h" + std::to_string(f.height) + " cs" +
         std::to_string(f.charSet) + " pf" + std::to_string(f.pitchAndFamily) + "\n";
  }
  for (size_t i = 0; i < doc.Colors().Size(); ++i) {
    s += "colour " + std::to_string(doc.Colors()[i].automatic) + " " + std::to_string(doc.Colors()[i].rgb) + "\n";
  }
  for (size_t n = 0; n < doc.Levels().Count(); ++n) {
    s += "level " + std::to_string(doc.LevelPosition(static_cast<int32_t>(n))) + "\n";
  }
  for (const Node* sec = doc.Root()->FirstChild(); sec; sec = sec->Next()) {
    const auto& f = static_cast<const SectionNode*>(sec)->format;
    s += "section " + std::to_string(f.breakKind) + " " + std::to_string(f.landscape) + "\n";
  }
  std::string previous;
  for (const Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    s += "para " + Describe(*p->Format()) + "\n";
    if (p->Parent()->Kind() == NodeKind::Cell) {
      const RowFormat& r = static_cast<const RowNode*>(p->Parent()->Parent())->format;
      s += "row " + std::to_string(r.height) + " " + std::to_string(r.left) + " " + std::to_string(r.halfGap) + " " +
           std::to_string(r.header) + std::to_string(r.keep) + std::to_string(r.alignment) + Describe(r.shading);
      for (const BorderSpec& b : r.borders) s += Describe(b);
      for (const CellFormat& c : r.cells) {
        s += " cell" + std::to_string(c.rightBoundary) + Describe(c.shading);
        for (const BorderSpec& b : c.borders) s += Describe(b);
      }
      s += "\n";
    }
    // The last paragraph's mark keeps the format it was created with when
    // no paragraph end followed it, which a reader of the output cannot tell.
    const size_t described = NextLeaf(p) ? p->Length() : p->Length() - 1;
    for (size_t i = 0; i < described; ++i) {
      const std::string now = Describe(*p->FormatAt(i));
      if (now != previous) s += "@" + std::to_string(i) + " " + now + "\n";
      previous = now;
    }
  }
  return s;
}

// Reads `rtf`, writes it, reads the result: both documents must agree in
// every respect the reader fills in.
void ExpectRoundTrip(const std::string& rtf) {
  SCOPED_TRACE(rtf);
  CRtfDoc first;
  first.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  const std::string written = first.GetText(FORMAT_RTF);
  CRtfDoc second;
  second.SetText(written.data(), written.size(), FORMAT_RTF);
  EXPECT_EQ(Snapshot(first), Snapshot(second)) << written;
  // Writing is stable: the second document writes out the same bytes.
  EXPECT_EQ(written, second.GetText(FORMAT_RTF));
}

std::string AsText(const std::string& rtf) {
  CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  return doc.GetText(FORMAT_TEXT);
}

}  // namespace

// --- OutStream --------------------------------------------------------------

TEST(OutStream, FullLinesEndWithCrLfInRtfOnly) {
  for (FORMAT format : {FORMAT_RTF, FORMAT_TEXT}) {
    std::string out;
    {
      OutStream s(out, format);
      for (int i = 0; i < 1021; ++i) s.PutChar('x');
    }
    const std::string line(510, 'x');
    if (format == FORMAT_RTF) EXPECT_EQ(line + "\r\n" + line + "\r\nx", out);
    else EXPECT_EQ(std::string(1021, 'x'), out);
  }
}

TEST(OutStream, StringStartsANewLineWhenItWouldCrowdTheLine) {
  // 476 buffered + 2 + 32 reaches 510: the line ends first; 475 does not.
  struct Case {
    size_t buffered;
    bool breaks;
  } cases[] = {{475, false}, {476, true}, {0, false}};
  for (const Case& c : cases) {
    std::string out;
    OutStream s(out, FORMAT_RTF);
    for (size_t i = 0; i < c.buffered; ++i) s.PutChar('a');
    s.PutString("\\b");
    s.Flush();
    const std::string expected = std::string(c.buffered, 'a') + (c.breaks ? "\r\n" : "") + "\\b";
    EXPECT_EQ(expected, out) << c.buffered;
  }
}

TEST(OutStream, ForcedLineEndsAndHexAndBinary) {
  std::string out;
  OutStream s(out, FORMAT_TEXT);
  s.PutText("ab");
  s.EndLine(true);
  s.EndLine(false);  // not forced: plain text gets no line end
  const unsigned char bytes[] = {0x00, 0x7f, 0xAB, 0xff};
  s.PutHex(bytes, sizeof bytes);
  s.PutBinary("\x01z", 2);
  EXPECT_EQ("ab\r\n007fabff\x01z", out);
  std::string longHex;
  OutStream h(longHex, FORMAT_RTF);
  std::vector<unsigned char> data(300, 0x5a);
  h.PutHex(data.data(), data.size());
  h.Flush();
  EXPECT_EQ(std::string(510, '5').size() + 2 + 90, longHex.size());
  EXPECT_EQ("\r\n", longHex.substr(510, 2));
}

TEST(OutStream, CallbackGetsEachLineWithItsLineEnd) {
  std::vector<std::string> blocks;
  g_blocks = &blocks;
  {
    OutStream s(Collect, 42, FORMAT_RTF);
    for (int i = 0; i < 600; ++i) s.PutChar('q');
  }
  ASSERT_EQ(2u, blocks.size());
  EXPECT_EQ(512u, blocks[0].size());
  EXPECT_EQ(90u, blocks[1].size());
  g_blocks = nullptr;
}

// --- plain text ------------------------------------------------------------

TEST(TextWriter, WritesWhatAReaderOfPlainTextExpects) {
  struct Case {
    const char* rtf;
    const char* text;
  } cases[] = {
      {"a\\par b", "a\r\n\r\nb"},
      {"a\\line b", "a\r\nb"},
      {"a{\\v hidden}b", "ab"},
      {"{\\scaps small \\'e9}x", "SMALL \xC9x"},
      {"\\caps up", "UP"},
      {"a\\_b\\-c\\~d", "a-b-c d"},
      {"\\tab q\\lquote\\emdash", "\tq\x91\x97"},
      {"{\\b bold}\\par\\par", "bold\r\n\r\n"},
      {"x{\\soltconcordanceon key}span\\soltconcordanceoff y", "xspany"},
      {"\\trowd\\cellx100\\cellx200\\pard\\intbl a\\cell b\\cell\\row\\pard c", "a\r\n\r\nb\r\n\r\nc"},
      {"a{\\pict\\wmetafile8 01}b{\\pict\\pngblip 02}\\'00c", "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, AsText(Rtf(c.rtf))) << c.rtf;
}

TEST(TextWriter, LongParagraphIsNotBroken) {
  const std::string words(5000, 'w');
  EXPECT_EQ(words, AsText(Rtf(words)));
}

// --- RTF -------------------------------------------------------------------

TEST(RtfWriter, HeaderParagraphsAndTheDefaultDocument) {
  CRtfDoc empty;
  EXPECT_EQ("{\\rtf1\\ansi \\plain\\par \r\n}", empty.GetText(FORMAT_RTF));
  CRtfDoc doc;
  const std::string in = Rtf("one\\par two");
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  EXPECT_EQ("{\\rtf1\\ansi \\plain one\\par \r\ntwo\\par \r\n}", doc.GetText(FORMAT_RTF));
  EXPECT_EQ(doc.GetText(FORMAT_RTF), doc.GetText(FORMAT_RTF_FROM_LEVEL));
}

TEST(RtfWriter, EveryByteComesBack) {
  std::string all;
  for (int c = 1; c < 256; ++c) {
    if (c != '\r' && c != '\n') all += static_cast<char>(c);
  }
  CRtfDoc doc;
  doc.SetText(all.data(), all.size(), FORMAT_TEXT);
  const std::string rtf = doc.GetText(FORMAT_RTF);
  CRtfDoc back;
  back.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  EXPECT_EQ(all + "\r", back.FirstParagraph()->Text());
  // Non-ASCII bytes are escaped, so the output is 7-bit.
  for (char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 128u);
}

TEST(RtfWriter, NoLineOfOutputIsLongerThanTheBuffer) {
  std::string body;
  for (int i = 0; i < 3000; ++i) body += (i % 7 == 0) ? "{\\b x}\\'e9 " : "word ";
  CRtfDoc doc;
  const std::string in = Rtf(body);
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  std::vector<std::string> blocks;
  g_blocks = &blocks;
  doc.GetText(Collect, 42, FORMAT_RTF);
  g_blocks = nullptr;
  ASSERT_GT(blocks.size(), 20u);
  for (const std::string& b : blocks) EXPECT_LE(b.size(), 512u);
  EXPECT_EQ(doc.GetText(FORMAT_RTF), Joined(blocks));
}

TEST(RtfWriter, RoundTripsCharacterFormats) {
  const char* cases[] = {
      "plain {\\b bold} {\\i it\\b0 alic} {\\ul u}{\\strike s}{\\caps caps}{\\scaps sc}",
      "{\\sub 2}{\\super 3}{\\up6\\nosupersub n}",
      "{\\fs36 big}{\\fs17 odd}{\\kerning12 k}{\\expnd3 e}{\\expndtw7 t}{\\expndtw-4 c}{\\lang1033 en}",
      "{\\cf2 red}{\\cb1 back}{\\f1 font}{\\rtlch r}",
      "{\\b\\i\\ul all}\\plain\\b0 none",
      "mark {\\b bold mark\\par}next",
      "{\\b a\\b0\\b b}",
      "{\\soltconcordanceon}\\v1\\b1 x\\v0 y",
  };
  for (const char* c : cases) {
    ExpectRoundTrip(Rtf(std::string("{\\fonttbl{\\f1\\froman Georgia;}}{\\colortbl;\\red1\\green2\\blue3;\\red255\\green0\\blue0;}") + c));
  }
}

TEST(RtfWriter, HiddenTextOutsideSpansIsDropped) {
  CRtfDoc doc;
  const std::string in = Rtf("a{\\v secret}b");
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  const std::string out = doc.GetText(FORMAT_RTF);
  EXPECT_EQ(std::string::npos, out.find("secret"));
  CRtfDoc back;
  back.SetText(out.data(), out.size(), FORMAT_RTF);
  EXPECT_EQ("S{P(ab)}", TreeText(back.Root()));
}

TEST(RtfWriter, RoundTripsParagraphFormats) {
  const char* cases[] = {
      "\\pard\\qc centre\\par\\pard\\qr right\\par\\pard\\qj just\\par\\pard left",
      "\\fi-200\\li720\\ri360\\sb120\\sa240 indents\\par\\pard back to default",
      "\\tx720\\tqc\\tx1440\\tqr\\tldot\\tx2880\\tqdec\\tlhyph\\tx3000\\tb4000\\tlul\\tx5000\\tlth\\tx5100\\tleq\\tx5200 tabs",
      "\\box\\brdrs\\brdrw15\\brsp20\\brdrcf1 boxed\\par\\pard\\brdrt\\brdrdb\\brdrb\\brdrdot\\brdrw5 top",
      "\\brdrl\\brdrth\\brdrr\\brdrsh\\brdrt\\brdrdash\\brdrb\\brdrhair sides",
      "\\shading2500\\cfpat1\\cbpat2\\bgdkcross shaded\\par\\pard\\bghoriz h",
      "\\rtlpar rtl\\par\\pard one\\par\\par\\par three empty",
      "\\li100 same\\par same format\\par\\pard\\li200 other",
  };
  for (const char* c : cases) ExpectRoundTrip(Rtf(c));
}

TEST(RtfWriter, RoundTripsTablesFontsColoursAndDocumentFormat) {
  const char* cases[] = {
      "{\\fonttbl{\\f0\\fswiss\\fcharset0\\fprq2 Arial;}{\\f3\\fmodern\\fcharset2\\fprq1 Courier New;}"
      "{\\f4\\fdecor Odd\\'3bName\\'7b;}{\\f5\\fscript Script;}}\\deff3 {\\f3 mono}",
      "{\\colortbl;;\\red0\\green128\\blue255;}{\\cf2 c}",
      "\\paperw11906\\paperh16838\\margl1000\\margr1100\\margt900\\margb800\\landscape\\deftab360\\deflang1031 doc",
      "a\\sect\\sectd\\sbknone\\lndscpsxn b\\sect\\sectd\\sbkodd c\\sect d",
      "\\trowd\\trgaph108\\trleft-108\\trrh400\\trhdr\\trkeep\\trqc\\trbrdrt\\brdrs\\brdrw10\\trbrdrh\\brdrdb"
      "\\shading500\\clbrdrl\\brdrdot\\clshdng1000\\clcfpat1\\clbgdkhor\\cellx1500\\clbrdrb\\brdrs\\cellx3000 "
      "\\pard\\intbl  lead\\cell two\\par paras\\cell\\row\\intbl c\\cell \\cell\\row\\pard after",
      "before\\par\\trowd\\trqr\\cellx900\\pard\\intbl x\\cell\\row",
  };
  for (const char* c : cases) ExpectRoundTrip(Rtf(c));
}

TEST(RtfWriter, RoundTripsLinksLevelsAndSpans) {
  const char* cases[] = {
      "see {\\soltlink John 3:16{\\soltlinkto1 Joh 3,16}} now",
      "{\\soltlink a}{\\soltlinkto2 t1}{\\soltlink b{\\soltlinkto3 t2}}",
      "{\\soltlink over\\par two{\\soltlinkto0 x\\}y}}",
      "{\\soltlink cancelled{\\soltlinkto7 x}} {\\soltlink {\\b bold} link{\\soltlinkto4 }}",
      "{\\soltlink pending\\par",
      "\\soltstartlevel0 one\\par\\soltstartlevel1 two\\soltstartlevel5 x\\par\\soltstartlevel2\\par",
      "\\soltstartlevel0\\soltstartlevel1 both at the start",
      "x{\\soltconcordanceon}Text\\soltconcordanceoff y{\\soltconcordanceon}z",
      "{\\soltconcordanceon}{\\v hidden inside}{\\b b\\soltconcordanceoff} out",
      "{\\soltconcordanceon}a\\par b\\soltconcordanceoff c",
  };
  for (const char* c : cases) ExpectRoundTrip(Rtf(c));
}

TEST(RtfWriter, ConcordanceKeysAreDroppedButSpansStay) {
  CRtfDoc doc;
  const std::string in = Rtf("x{\\soltconcordanceon key}Text\\soltconcordanceoff y");
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  const std::string out = doc.GetText(FORMAT_RTF);
  EXPECT_EQ(std::string::npos, out.find("key"));
  CRtfDoc back;
  back.SetText(out.data(), out.size(), FORMAT_RTF);
  const Paragraph* p = back.FirstParagraph();
  EXPECT_EQ("xText y\r", p->Text());
  EXPECT_EQ(kConcordanceInside, p->FormatAt(1)->concordance);
  EXPECT_EQ(1, p->FormatAt(5)->hidden);
  EXPECT_EQ(0, p->FormatAt(6)->hidden);
}

// Keys are dropped on writing, so the first reading and the second differ;
// what must not differ is the RTF written from each.
TEST(RtfWriter, WritingWhatWasWrittenGivesTheSameRtf) {
  const char* cases[] = {
      // A key inside an open span, across a level mark.
      "\\soltstartlevel0 {\\soltconcordanceon}a\\soltstartlevel1 {\\soltconcordanceon k}b\\soltconcordanceoff c",
      "{\\soltconcordanceon}a{\\soltconcordanceon k}b\\soltconcordanceoff c",
      // Spans that hold a key and no text.
      "x{\\soltconcordanceon k}\\soltconcordanceoff y",
      "a{\\soltconcordanceon k}\\soltconcordanceoff\\par b",
      "{\\soltconcordanceon k}{\\v h}\\soltconcordanceoff c",
      "\\soltstartlevel0 {\\soltconcordanceon k}\\soltstartlevel1 b\\soltconcordanceoff c",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    CRtfDoc first;
    const std::string in = Rtf(c);
    first.SetText(in.data(), in.size(), FORMAT_RTF);
    const std::string once = first.GetText(FORMAT_RTF);
    CRtfDoc second;
    second.SetText(once.data(), once.size(), FORMAT_RTF);
    EXPECT_EQ(once, second.GetText(FORMAT_RTF));
  }
}

TEST(RtfWriter, RoundTripsPictures) {
  std::string hex;
  for (int i = 0; i < 2000; ++i) hex += "0123456789abcdef"[i % 16];
  // The starts of a PNG file of 2 x 3 and of 100000 x 100000 pixels and of a
  // JPEG file of 2 x 4 pixels.
  const std::string png = "89504e470d0a1a0a0000000d49484452000000020000000308060000001a2b3c4d";
  const std::string hugePng = "89504e470d0a1a0a0000000d49484452000186a0000186a008060000001a2b3c4d";
  const std::string jpeg = "ffd8ffc0000b0800040002010111ffd9";
  const std::string cases[] = {
      "a{\\pict\\wmetafile8\\picw100\\pich200 01abff}b",
      "{\\pict\\wmetafile1\\picw-5\\pich7\\picwgoal1440\\pichgoal720\\picscalex50\\picscaley150\\picbmp\\picbpp8 " +
          hex + "}",
      "{\\b{\\pict\\wmetafile8\\picw1\\pich1 00}}{\\pict\\wmetafile8\\picw1\\pich1 00}",
      // Sizes made up from the header are written and read back as given.
      "a{\\pict\\pngblip " + png + "}b{\\pict\\jpegblip " + jpeg + "}",
      "{\\pict\\pngblip " + hugePng + "}",
      "{\\pict\\jpegblip\\picw10\\pich20\\picwgoal300\\pichgoal600\\picscalex50\\picscaley75 " + jpeg + hex + "}",
      // A header that gives no size stays without one.
      "{\\pict\\pngblip " + hex + "}",
  };
  for (const std::string& c : cases) ExpectRoundTrip(Rtf(c));
}

TEST(RtfWriter, CallbackAndMemoryWriteTheSame) {
  CRtfDoc doc;
  const std::string in = Rtf("{\\b a}\\par b\\tab c");
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  for (FORMAT f : {FORMAT_RTF, FORMAT_TEXT}) {
    std::vector<std::string> blocks;
    g_blocks = &blocks;
    doc.GetText(Collect, 42, f);
    g_blocks = nullptr;
    EXPECT_EQ(doc.GetText(f), Joined(blocks));
  }
}

TEST(RtfWriter, WritesTensOfMegabytesASecond) {
  std::string body;
  for (int i = 0; i < 40000; ++i) body += "{\\b In the beginning} God created the heaven and the earth.\\par ";
  CRtfDoc doc;
  const std::string in = Rtf(body);
  doc.SetText(in.data(), in.size(), FORMAT_RTF);
  const auto start = std::chrono::steady_clock::now();
  const std::string rtf = doc.GetText(FORMAT_RTF);
  const std::string text = doc.GetText(FORMAT_TEXT);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(rtf.size(), 2'000'000u);
  EXPECT_GT(text.size(), 2'000'000u);
  // Generous enough for sanitizer builds; an unoptimised loop per byte
  // through allocations would still miss it.
  EXPECT_LT(seconds, 3.0);
}
