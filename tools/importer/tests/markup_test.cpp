// The mapping of OSIS verse markup onto the verse-text markup, over fragments
// of the kinds the packaged modules hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/importer/markup.h"

namespace importer {
namespace {

struct TextCase {
  const char* name;
  std::string osis;
  std::string text;
  std::vector<std::string> notes;
};

class VerseText : public ::testing::TestWithParam<TextCase> {};

TEST_P(VerseText, Maps) {
  const TextCase& c = GetParam();
  OsisState state;
  const ConvertedVerse verse = ConvertOsisVerse(c.osis, state);
  EXPECT_EQ(verse.text, c.text);
  EXPECT_EQ(verse.notes, c.notes);
  EXPECT_TRUE(state.christMilestones.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, VerseText,
    ::testing::Values(
        TextCase{"lemmas", R"(In the <w lemma="strong:H7225">beginning</w> <w lemma="x" morph="y">God</w>.)",
                 "In the beginning God.", {}},
        TextCase{"added", R"(darkness <transChange type="added">was</transChange> upon)", "darkness [was] upon", {}},
        TextCase{"addedNested",
                 R"(Blessed <seg type="x-nested"><transChange type="added">are <transChange type="added">ye</transChange></transChange></seg> that)",
                 "Blessed [are ye] that", {}},
        TextCase{"addedEmpty", R"(a <transChange type="added"></transChange>b)", "a b", {}},
        TextCase{"addedEmptyAtEnd", R"(a <transChange type="added"> </transChange>)", "a", {}},
        TextCase{"divineEmpty", R"(a<divineName></divineName>, b <divineName/>c)", "a, b c", {}},
        TextCase{"otherChange", R"(a <transChange type="changed">b</transChange> c)", "a b c", {}},
        TextCase{"divineName", R"(the <divineName><w lemma="strong:H3068">LORD</w></divineName> God)",
                 "the <sc1>LORD<sc0> God", {}},
        TextCase{"divineNameCase", R"(<divineName>Lord</divineName> GOD)", "<sc1>Lord<sc0> GOD", {}},
        TextCase{"addedAroundDivine",
                 R"(is <transChange type="added">the <divineName>LORD</divineName></transChange>.)",
                 "is [the <sc1>LORD<sc0>].", {}},
        TextCase{"paragraphDivAndPilcrow",
                 R"(<div type="x-milestone" subType="x-preverse" sID="pv1"/><div sID="g1" type="x-p"/> <div type="x-milestone" subType="x-preverse" eID="pv1"/>¶ For God)",
                 "$For God", {}},
        TextCase{"paragraphMilestone", R"(<milestone type="x-p"/>And)", "$And", {}},
        TextCase{"paragraphLineBreak", R"(<lb type="x-p"/> <l level="1" sID="a"/>The ungodly)", "$The ungodly", {}},
        TextCase{"paragraphElement", "<p>And it came</p>", "$And it came", {}},
        TextCase{"paragraphEndIgnored", R"(the deep.  <div eID="gen3" type="x-p"/>)", "the deep.", {}},
        TextCase{"paragraphInside",
                 R"(face to face.<div eID="a" type="x-p"/> <div sID="b" type="x-p"/> Peace be to you.)",
                 "face to face. $Peace be to you.", {}},
        TextCase{"pilcrowInside", "one. ¶ Two", "one. $Two", {}},
        TextCase{"entities", "A &amp; B &lt;x&gt; &#233;&#xE9; &quot;q&apos; &bogus; &#0;",
                 "A & B \x8Bx\x9B \xE9\xE9 \"q' &bogus; &#0;", {}},
        TextCase{"entityInAttribute", R"(<w lemma="a&amp;b">word</w>)", "word", {}},
        TextCase{"note",
                 R"(God<note placement="foot"><reference type="annotateRef">1:1 </reference>The word “God”.</note><w>created</w>)",
                 "God{a} created", {"The word \x93God\x94."}},
        TextCase{"notesBetweenQuotations",
                 R"(<q who="Jesus">Woe,</q> <note>n</note> <q who="Jesus"> when </q> <note>m</note> <q who="Jesus">men</q>)",
                 "Woe,{a} when{b} men", {"n", "m"}},
        TextCase{"notesInOrder", R"(a<note>one</note><note>two</note> b<note>three</note>.)", "a{a}{b} b{c}.",
                 {"one", "two", "three"}},
        TextCase{"noteNested", R"(x<note>outer <note>inner</note> end</note> y)", "x{a} y", {"outer inner end"}},
        TextCase{"noteMarkupStripped",
                 R"(x<note>Heb. <transChange type="added">is</transChange> <divineName>JEHOVAH</divineName>~<catchWord>w</catchWord></note>)",
                 "x{a}", {"Heb. is JEHOVAH-w"}},
        TextCase{"noteEmpty", R"(x<note> <reference type="annotateRef">1:1</reference> </note> y)", "x y", {}},
        TextCase{"crossReferenceDropped",
                 R"(spirit, <note type="crossReference"><reference>Isaiah 57:15</reference></note> for)", "spirit, for",
                 {}},
        TextCase{"noteOnly", R"(<div sID="p" type="x-p"/><note>Some manuscripts add: it.</note>)", "{a}",
                 {"Some manuscripts add: it."}},
        TextCase{"headingDropped", R"(<title>The Creation</title><w>In</w> the)", "In the", {}},
        TextCase{"psalmTitleKept",
                 R"(<title canonical="true" type="psalm">A Psalm of David.</title> <lg sID="a"/> <l sID="b"/><divineName>LORD</divineName>, how)",
                 "A Psalm of David. <sc1>LORD<sc0>, how", {}},
        TextCase{"speakerDropped", "<speaker>Beloved</speaker> <l/>Let him kiss", "Let him kiss", {}},
        TextCase{"bookEnd",
                 R"(Amen.  <chapter eID="Rev.22"/> <div canonical="true" eID="g9" osisID="Rev" type="book"/> <div sID="g" type="glossary"/> <title>Glossary</title> Abaddon is Hebrew)",
                 "Amen.", {}},
        TextCase{"introductionSkipped", R"(a <div sID="i" type="introduction"/>intro<div eID="i" type="introduction"/> b)",
                 "a b", {}},
        TextCase{"literalMarkupCharacters", "a [b] {c} $5 ~", "a (b) (c) \xA4" "5 ~", {}},
        TextCase{"blanksCollapsed", "  a \t\n  b\r\x01\x02 c  ", "a b c", {}},
        TextCase{"strayLessThan", "a < b", "a \x8B b", {}},
        TextCase{"unterminatedTag", "a <w lemma=\"x", "a \x8Bw lemma=\"x", {}},
        TextCase{"strayEndTags", "a</w></note></q> b", "a b", {}},
        TextCase{"unclosedElements", R"(a <transChange type="added">b <divineName>c)", "a [b <sc1>c<sc0>]", {}},
        TextCase{"notUtf8", "caf\xC3 x\xFF", "caf? x?", {}},
        TextCase{"spanish", "<w>EN el principio</w> crió Dios; ¿Señor? ¡Amén! JEHOVÁ Ñ ü",
                 "EN el principio cri\xF3 Dios; \xBFSe\xF1or? \xA1" "Am\xE9n! JEHOV\xC1 \xD1 \xFC", {}}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

struct ChristCase {
  const char* name;
  std::vector<std::string> verses;                 // converted one after the other
  std::vector<std::vector<ChristRange>> ranges;  // per verse
};

class WordsOfChrist : public ::testing::TestWithParam<ChristCase> {};

TEST_P(WordsOfChrist, Ranges) {
  const ChristCase& c = GetParam();
  OsisState state;
  for (size_t i = 0; i < c.verses.size(); ++i) {
    const ConvertedVerse verse = ConvertOsisVerse(c.verses[i], state);
    EXPECT_EQ(verse.christ, c.ranges[i]) << "verse " << i << ": " << verse.text;
    const std::string shown = DisplayText(verse.text);
    for (const ChristRange& r : verse.christ) {
      EXPECT_LE(0, r.start);
      EXPECT_LT(r.start, r.end);
      EXPECT_LE(r.end, static_cast<int>(shown.size()));
    }
  }
  EXPECT_TRUE(state.christMilestones.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Quotations, WordsOfChrist,
    ::testing::Values(
        // "And he said, Come ye here." -> "Come ye here." starts at 13.
        ChristCase{"insideVerse",
                   {R"(And he said, <q marker="" who="Jesus">Come <transChange type="added">ye</transChange> here.</q>)"},
                   {{{13, 26}}}},
        ChristCase{"wholeVerse",
                   {R"(<div sID="a" type="x-p"/><q marker="" who="Jesus">¶ <w>For</w> God so loved.</q>)"},
                   {{{0, 17}}}},
        // "only born{a} Son, that x": the note's reference is not shown, and
        // the two halves make one range.
        ChristCase{"brokenByNote",
                   {R"(<q who="Jesus">only born</q><note>n</note><q who="Jesus"><w>Son</w>, that</q> x)"},
                   {{{0, 19}}}},
        ChristCase{"notesBetweenQuotations",
                   {R"(<q who="Jesus">Woe,</q> <note>n</note> <q who="Jesus"> when </q> <note>m</note> <q who="Jesus">men</q>)"},
                   {{{0, 13}}}},
        ChristCase{"twoQuotations",
                   {R"(<q who="Jesus">Go.</q> And he went. <q who="Jesus">Come.</q>)"}, {{{0, 3}, {17, 22}}}},
        ChristCase{"otherSpeaker", {R"(<q who="Peter">Lord</q>, said he.)"}, {{}}},
        ChristCase{"quotationInside",
                   {R"(<q who="Jesus">It is written, <q>Man shall not live</q>.</q>)"}, {{{0, 34}}}},
        ChristCase{"acrossVerses",
                   {R"(He said, <q sID="q1" who="Jesus"/>Verily)", "I say unto you.<q eID=\"q1\"/> Then",
                    "After."},
                   {{{9, 15}}, {{0, 15}}, {}}},
        ChristCase{"markerAtVerseEnd",
                   {R"(He said, <q sID="q2" who="Jesus"/>)", R"(Follow me.<q eID="q2"/>)"}, {{}, {{0, 10}}}},
        ChristCase{"unclosedContainer", {R"(<q who="Jesus">Peace)", "Next"}, {{{0, 5}}, {}}}),
    [](const ::testing::TestParamInfo<ChristCase>& info) { return std::string(info.param.name); });

struct CodePageCase {
  const char* name;
  std::string utf8;
  std::string windows1252;
  int unmappable;
};

class CodePage : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePage, Converts) {
  const CodePageCase& c = GetParam();
  int unmappable = 0;
  EXPECT_EQ(Utf8ToWindows1252(c.utf8, &unmappable), c.windows1252);
  EXPECT_EQ(unmappable, c.unmappable);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CodePage,
    ::testing::Values(CodePageCase{"ascii", "Plain text 123", "Plain text 123", 0},
                      CodePageCase{"spanishLetters", "áéíóúñÁÉÍÓÚÑüÜ¿¡", "\xE1\xE9\xED\xF3\xFA\xF1\xC1\xC9\xCD\xD3\xDA\xD1\xFC\xDC\xBF\xA1", 0},
                      CodePageCase{"typography", "“a” ‘b’ c–d—e…", "\x93" "a\x94 \x91" "b\x92 c\x96" "d\x97" "e\x85", 0},
                      CodePageCase{"high80to9F", "€‚ƒ„†‡ˆ‰Š‹ŒŽ•˜™š›œžŸ",
                                   "\x80\x82\x83\x84\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x95\x98\x99\x9A\x9B\x9C\x9E\x9F", 0},
                      CodePageCase{"latinExtended", "Ābēl Łódź", "Abel L\xF3" "dz", 4},
                      CodePageCase{"greek", "μονογενη Χριστός", "monogene Christos", 15},
                      CodePageCase{"hebrewPointsDropped", "אֱ", "?", 2},
                      CodePageCase{"spacesAndHyphens", "a\u2009b\u2011c\u200Bd", "a b-cd", 3},
                      CodePageCase{"emoji", "x😀y", "x?y", 1},
                      CodePageCase{"badBytes", "a\xFF" "b\xC3", "a?b?", 2},
                      CodePageCase{"overlong", "\xC0\xAF", "??", 2},
                      CodePageCase{"surrogate", "\xED\xA0\x80", "???", 3},
                      CodePageCase{"c1Controls", "\xC2\x81", "?", 1}),
    [](const ::testing::TestParamInfo<CodePageCase>& info) { return std::string(info.param.name); });

TEST(DisplayText, CleansVerseMarkup) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"$In the [beginning]", "In the beginning"},
      {"the <sc1>LORD<sc0> God", "the LORD God"},
      {"God{a} created", "God created"},
      {"word {a} next", "word next"},
      {"end. {a}{b}", "end. "},
      {"   lead$ing", "leading"},
      {"a<b>c", "abc"},
      {"x {unclosed", "x {unclosed"},
      {"", ""},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(DisplayText(text), shown) << text;
}

TEST(NoteLabel, LettersThenPairs) {
  EXPECT_EQ(NoteLabel(0), "a");
  EXPECT_EQ(NoteLabel(25), "z");
  EXPECT_EQ(NoteLabel(26), "aa");
  EXPECT_EQ(NoteLabel(27), "ab");
  EXPECT_EQ(NoteLabel(701), "zz");
  EXPECT_EQ(NoteLabel(702), "aaa");
}

TEST(VerseText, ManyNotesGetDistinctLabels) {
  std::string osis;
  for (int i = 0; i < 30; ++i) osis += "w<note>n" + std::to_string(i) + "</note> ";
  OsisState state;
  const ConvertedVerse verse = ConvertOsisVerse(osis, state);
  ASSERT_EQ(verse.notes.size(), 30u);
  EXPECT_NE(verse.text.find("{z}"), std::string::npos);
  EXPECT_NE(verse.text.find("{ad}"), std::string::npos);
  EXPECT_EQ(verse.notes[29], "n29");
}

}  // namespace
}  // namespace importer
