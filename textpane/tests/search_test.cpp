#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/docview.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/refs/range.h"

namespace textpane {
namespace {

// A concordance span: hidden key, then visible text.
std::string Span(const std::string& key, const std::string& text) {
  return "{\\soltconcordanceon " + key + "}" + text + "\\soltconcordanceoff ";
}

void Load(CRtfDoc& doc, const std::string& body) {
  const std::string rtf = "{\\rtf1\\ansi " + body + "}";
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
}

// The document's words with each marked stretch in brackets; hidden text
// other than keys is left out, paragraphs are separated by "|".
std::string MarkedText(const CRtfDoc& doc) {
  std::string out;
  bool inMark = false;
  for (Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    for (size_t i = 0; i < p->Length(); ++i) {
      const CharFormat& f = *p->FormatAt(i);
      if (f.hidden && f.concordance != kConcordanceKey) continue;
      if (f.mark != inMark) out += f.mark ? '[' : ']';
      inMark = f.mark;
      const char c = p->Text()[i];
      out += c == '\r' ? '|' : c;
    }
  }
  return out;
}

TEST(SearchForPhrase, MatchesWordsOfSpansAsAUserWritesThem) {
  struct Case {
    const char* what;
    std::string body;
    const char* phrase;
    bool matchCase;
    int first, all;  // without and with countAll
  };
  const std::string levels = "\\soltstartlevel0 " + Span("", "love") + "\\par \\soltstartlevel1 " + Span("", "love love") +
                             "\\par \\soltstartlevel2 ";
  const Case cases[] = {
      {"text outside spans", "the love of God", "love", false, 0, 0},
      {"stem and star", Span("", "faith faithful unfaithful faithless hope"), "faith*", false, 1, 3},
      {"double star is one star", Span("", "faith faithful"), "faith**", false, 1, 2},
      {"star alone: every word", Span("", "one two, three"), "*", false, 1, 3},
      {"star inside a word", Span("", "unbelief belief relieve"), "*lief", false, 1, 2},
      {"stars take the shortest stretch", Span("", "abcabcabd abcabc"), "a*b*d", false, 1, 1},
      {"many stars in a long word", Span("", std::string(500, 'a')), "a*a*a*a*a*a*a*a*b", false, 0, 0},
      {"question mark: one letter", Span("", "man men mean min m"), "m?n", false, 1, 3},
      {"lower case finds a capital", Span("", "God"), "god", false, 1, 1},
      {"matchCase keeps them apart", Span("", "God"), "god", true, 0, 0},
      {"apostrophe and right quote", Span("", "the Lord\\'92s day"), "lord's day", false, 1, 1},
      {"hyphen and em dash", Span("", "well\\'97known"), "well-known", false, 1, 1},
      {"punctuation ends no inner word", Span("", "Lord's"), "lord", false, 0, 0},
      {"trailing comma ends the word", Span("", "Lord, God"), "lord god", false, 1, 1},
      {"numbers stay whole", Span("", "1,000 and 3.5"), "000", false, 0, 0},
      {"a number as a phrase", Span("", "1,000 and 3.5"), "3.5", false, 1, 1},
      {"words split across runs", Span("", "{\\b lo}ve l{\\i ove} other"), "love", false, 1, 2},
      {"a number split across runs", Span("", "1{\\b ,}000 2,{\\i 000}"), "000", false, 0, 0},
      {"words passed over by their first letter", Span("", "other, brother;the x-the the"), "the", false, 1, 1},
      {"several occurrences", Span("", "love, love; love"), "love", false, 1, 3},
      {"key where the span is entered", "before " + Span("Lord God", "the LORD") + " after", "lord god", false, 1, 1},
      {"key joins the visible text", Span("grace", "abounding"), "grace abounding", false, 1, 1},
      {"state change inside a word", Span("gra", "ce"), "grace", false, 0, 0},
      {"a match never leaves its span", Span("", "end") + Span("", "start"), "end start", false, 0, 0},
      {"hidden text skipped between words", Span("", "holy{\\v  secret} spirit"), "holy spirit", false, 1, 1},
      {"hidden text ends a word", Span("", "ho{\\v x}ly"), "holy", false, 0, 0},
      {"spaces of the phrase collapse", Span("", "in  the beginning"), " in   the beginning ", false, 1, 1},
      {"empty phrase", Span("", "word"), "  ", false, 0, 0},
      {"level 0 only", levels, "love", false, 1, 1},
  };
  for (const Case& c : cases) {
    CRtfDoc doc;
    Load(doc, c.body);
    EXPECT_EQ(doc.SearchForPhrase(0, c.phrase, c.matchCase, false), c.first) << c.what;
    EXPECT_EQ(doc.SearchForPhrase(0, c.phrase, c.matchCase, true), c.all) << c.what;
  }
  CRtfDoc doc;
  Load(doc, levels);
  EXPECT_EQ(doc.SearchForPhrase(1, "love", false, true), 2);
  EXPECT_EQ(doc.SearchForPhrase(2, "love", false, true), 0);  // a level with no text
  EXPECT_EQ(doc.SearchForPhrase(7, "love", false, true), 0);  // a level never recorded
}

TEST(MarkPhrases, MarksEachMatchWithTheFirstPhraseThatFits) {
  struct Case {
    std::string body;
    std::vector<std::string> phrases;
    std::string marked;
  };
  const Case cases[] = {
      {Span("", "love god and love"), {"love", "love god"}, "[love] god and [love]"},
      {Span("", "love god and love"), {"love god", "love"}, "[love god] and [love]"},
      {Span("Lord", "the LORD") + " outside Lord", {"lord"}, "[Lord]the [LORD] outside Lord"},
      {Span("", "faith") + "\\par " + Span("", "faithful"), {"faith*"}, "[faith]|[faithful]|"},
      {Span("", "nothing here"), {"absent"}, "nothing here|"},
  };
  for (const Case& c : cases) {
    CRtfDoc doc;
    Load(doc, c.body);
    doc.MarkPhrases(0, c.phrases, false);
    std::string want = c.marked;
    if (want.back() != '|') want += '|';
    EXPECT_EQ(MarkedText(doc), want) << c.body;
    doc.UnmarkAll();
    EXPECT_EQ(MarkedText(doc).find('['), std::string::npos) << c.body;
  }
}

TEST(MarkRanges, MarksLinksWhoseTargetsShareAVerse) {
  CRtfDoc doc;
  Load(doc,
       "{\\soltlink Ex 6:16-20{\\soltlinkto4 2 6:16-2 6:20}}; {\\soltlink Jos 21:4{\\soltlinkto4 6 21:4}}; "
       "{\\soltlink bad{\\soltlinkto4 2 6}}; {\\soltlink other{\\soltlinkto1 2 6:18}}");
  doc.MarkRanges(0, {Range({2, 6, 18}, {2, 6, 18}), Range({6, 21, 5}, {6, 22, 1})}, 0);
  EXPECT_EQ(MarkedText(doc), "[Ex 6:16-20]; Jos 21:4; bad; other|");
  doc.MarkRanges(0, {Range({6, 21, 1}, {6, 21, 4})}, 0);
  EXPECT_EQ(MarkedText(doc), "[Ex 6:16-20]; [Jos 21:4]; bad; other|");
}

TEST(Range, SetFromStringReadsTheNumericForm) {
  struct Case {
    const char* text;
    int result;
    Range range;
  };
  const Case cases[] = {
      {"19 1:1-19 1:6", 1, Range({19, 1, 1}, {19, 1, 6})},
      {"6 21:4", 1, Range({6, 21, 4}, {6, 21, 4})},
      {"2 6:16-2 6:20 3", 1, Range({2, 6, 16}, {2, 6, 20}, 3)},
      {"  2 6:16-2 6:20", 1, Range({2, 6, 16}, {2, 6, 20})},
      {"2 6:16 -2 6:20", 1, Range({2, 6, 16}, {2, 6, 16})},  // "-" must follow the verse
      {"2 6", 0, Range()},
      {"2 6:16-2", 0, Range()},
      {"2 6:16-2 6", 0, Range()},
      {"", 0, Range()},
      {"Ex 6:16", 0, Range()},
  };
  for (const Case& c : cases) {
    Range r;
    EXPECT_EQ(r.SetFromString(c.text), c.result) << c.text;
    EXPECT_EQ(r, c.range) << c.text;
  }
}

}  // namespace
}  // namespace textpane
