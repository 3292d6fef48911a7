// The mapping of dictionary and commentary markup onto book source text:
// references (and the broken ones the modules hold), cross-references,
// script, the grouping of a commentary's verse slots into sections, and the
// mends of the modules' configurations.
#include <gtest/gtest.h>

#include "tools/bookimport/bookmarkup.h"

namespace {

using namespace bookimport;

TEST(OsisRefs, ParsedOrRefused) {
  struct Case {
    const char* text;
    bool ok;
    int book = 0, chapter = 0, verse = 0, lastChapter = 0, lastVerse = 0;
  };
  const Case cases[] = {
      {"Gen.1.1", true, 1, 1, 1, 1, 1},
      {"Exod.6.16-Exod.6.20", true, 2, 6, 16, 6, 20},
      {"Exod.6.16-Exod.7.2", true, 2, 6, 16, 7, 2},
      {"Gen.1.1-5", true, 1, 1, 1, 1, 5},
      {"Mic.2", true, 33, 2, 0, 2, 0},
      {"Rev.22.21", true, 66, 22, 21, 22, 21},
      {"2John.1.1", true, 63, 1, 1, 1, 1},
      {"Foo.1.1", false},
      {"Gen.0.1", false},
      {"Gen.1.0", false},
      {"Gen.1.5-Gen.1.2", false},
      {"Gen.1.1-Exod.1.1", false},
      {"Gen.1.1-Gen.2", false},
      {"Gen.1.1x", false},
      {"Gen", false},
      {"", false},
      {"Gen.99999999999.1", true, 1, 100000, 1, 100000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    OsisRef ref;
    ASSERT_EQ(ParseOsisRef(c.text, ref), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(ref.book, c.book);
    EXPECT_EQ(ref.chapter, c.chapter);
    EXPECT_EQ(ref.verse, c.verse);
    EXPECT_EQ(ref.lastChapter, c.lastChapter);
    EXPECT_EQ(ref.lastVerse, c.lastVerse);
  }
  EXPECT_EQ(OsisBookNumber("Ps"), 19);
  EXPECT_STREQ(EnglishBookName(22), "Song of Solomon");
  EXPECT_STREQ(OsisBookName(67), "");
}

// Verses exist up to chapter 5, verse 30 of every book.
LinkContext SmallBible() {
  LinkContext context;
  context.verseExists = [](int book, int chapter, int verse) {
    return book >= 1 && book <= 66 && chapter >= 1 && chapter <= 5 && verse >= 1 && verse <= 30;
  };
  context.entryKey = [](std::string_view target, std::string_view text) {
    if (target == "Nave:NEBO" || text == "G5368") return 7;
    return -1;
  };
  return context;
}

TEST(EntryMarkup, LinksTextAndLayout) {
  struct Case {
    const char* name;
    const char* raw;
    const char* contains;
    int verseLinks, entryLinks, repaired, dropped, unresolved;
  };
  const Case cases[] = {
      {"verse", R"(<ref osisRef="John.3.16">Joh 3:16</ref>)", "{\\soltlink Joh 3:16{\\soltlinkto4 43 3:16}}", 1, 0, 0, 0, 0},
      {"osis reference", R"(<reference osisRef="Ps.3.1">Psalm 3:1</reference>)",
       "{\\soltlink Psalm 3:1{\\soltlinkto4 19 3:1}}", 1, 0, 0, 0, 0},
      {"range", R"(<ref osisRef="Exod.3.16-Exod.3.20">Ex 3:16-20</ref>)",
       "{\\soltlinkto4 2 3:16-2 3:20}}", 1, 0, 0, 0, 0},
      {"range over chapters", R"(<ref osisRef="Exod.3.16-Exod.4.2">Ex 3:16-4:2</ref>)",
       "{\\soltlinkto4 2 3:16-2 4:2}}", 1, 0, 0, 0, 0},
      {"chapter", R"(<ref osisRef="Mic.2">Micah 2</ref>)", "{\\soltlinkto4 33 2:1-33 2:30}}", 1, 0, 0, 0, 0},
      {"chapters", R"(<ref osisRef="Mic.2-Mic.3">Micah 2-3</ref>)", "{\\soltlinkto4 33 2:1-33 3:30}}", 1, 0, 0, 0, 0},
      {"chapter that does not exist", R"(<ref osisRef="Mic.9">Micah 9</ref>)", "Micah 9", 0, 0, 0, 1, 0},
      {"verse outside the link", R"(x <ref osisRef="Jude.1.1">Jude 1</ref>:14,15; y)",
       "{\\soltlink Jude 1:14{\\soltlinkto4 65 1:14}}, {\\soltlink 15{\\soltlinkto4 65 1:15}}; y", 2, 0, 1, 0, 0},
      {"verse range outside the link", R"(<ref osisRef="Jude.1.1">Jude 1</ref>:8-13</def>)",
       "{\\soltlink Jude 1:8-13{\\soltlinkto4 65 1:8-65 1:13}}", 1, 0, 1, 0, 0},
      {"2 John", R"(<ref osisRef="2John.1.1">2Jo  1</ref>:7 <lb/>)", "{\\soltlinkto4 63 1:7}}", 1, 0, 1, 0, 0},
      {"one-chapter book, verse 1 meant", R"(<ref osisRef="Jude.1.1">Jude 1</ref>; more)",
       "{\\soltlink Jude 1{\\soltlinkto4 65 1:1}}; more", 1, 0, 0, 0, 0},
      {"colon after another book is text", R"(<ref osisRef="Gen.1.1">Ge 1</ref>:3)",
       "{\\soltlinkto4 1 1:1}}:3", 1, 0, 0, 0, 0},
      // A list's separators stay visible and breakable however the module
      // spaces them; other punctuation next to a link is left as written.
      {"list without spaces",
       R"(<ref osisRef="Ps.3.2">3:2</ref>,<ref osisRef="Ps.3.8">8</ref>;<ref osisRef="Ps.4.1">4:1</ref>)",
       "3:2{\\soltlinkto4 19 3:2}}, {\\soltlink 8{\\soltlinkto4 19 3:8}}; {\\soltlink 4:1", 3, 0, 0, 0, 0},
      {"list with spaces", R"(<ref osisRef="Ps.3.2">3:2</ref>,  <ref osisRef="Ps.3.8">8</ref> <ref target="Nave:NEBO">N</ref>)",
       "3:2}}, {\\soltlink 8{\\soltlinkto4 19 3:8}} {\\soltlink N", 2, 1, 0, 0, 0},
      {"colon between links", R"(<ref osisRef="Jude.1.5">Jude 1:5</ref>:<ref osisRef="Jude.1.23">23</ref>)",
       "1:5}}:{\\soltlink 23", 2, 0, 0, 0, 0},
      {"reference kept as text in a list", R"(<ref osisRef="Ps.3.2">3:2</ref>,<ref osisRef="Ps.9.9">9:9</ref>,<ref osisRef="Ps.3.8">8</ref>)",
       "3:2}}, 9:9, {\\soltlink 8", 2, 0, 0, 1, 0},
      {"no such verse", R"(<ref osisRef="Gen.9.1">Ge 9:1</ref>)", "Ge 9:1", 0, 0, 0, 1, 0},
      {"repaired verse that does not exist", R"(<ref osisRef="Jude.1.1">Jude 1</ref>:99)", "Jude 1:99", 0, 0, 1, 1, 0},
      {"unreadable reference", R"(<ref osisRef="Nowhere.1">N 1</ref>)", "N 1", 0, 0, 0, 1, 0},
      {"see", R"(See <ref target="Nave:NEBO">NEBO</ref>)", "See {\\soltlink NEBO{\\soltlinkto0 7}}", 0, 1, 0, 0, 0},
      {"see nothing", R"(See <ref target="Nave:NOWHERE">NOWHERE</ref>)", "See NOWHERE", 0, 0, 0, 0, 1},
      {"braces and backslashes are text", "{immediate} a\\b", "\\{immediate\\} a\\\\b", 0, 0, 0, 0, 0},
      {"italic and bold", R"(<hi rend="italic">father</hi> <hi type="bold">Verses 1-2</hi>)",
       "{\\i father} {\\b Verses 1-2}", 0, 0, 0, 0, 0},
      {"line breaks are paragraphs", "a<lb/>b", "a\\par\\pard\\sa120 b", 0, 0, 0, 0, 0},
      {"list items are indented", "<list><item>one</item><item>two</item></list>",
       "one\\par\\pard\\sa120\\li360 two", 0, 0, 0, 0, 0},
      {"entities", "A &amp; B &lt;c&gt; &#233;", "A & B <c> \\'e9", 0, 0, 0, 0, 0},
      {"bad entity is text", "A &bogus; &#xZZ; &", "A &bogus; &#xZZ; &", 0, 0, 0, 0, 0},
      {"blanks collapse", "  a \t\n  b  ", "\\pard\\sa120 a b", 0, 0, 0, 0, 0},
      {"arrow is a bullet", "\xE2\x86\x92 Lineage", "\\'95 Lineage", 0, 0, 0, 0, 0},
      {"ascii coding of greek dropped", R"(<orth type="writing">*A</orth><orth rend="bold" type="trans">A</orth>)",
       "{\\b\\i A}", 0, 0, 0, 0, 0},
      {"table rows are paragraphs", "<table><row><cell>Light.</cell><cell>(3-5)</cell></row><row><cell>Sea.</cell></row></table>",
       "Light. (3-5) \\par\\pard\\sa120 Sea.", 0, 0, 0, 0, 0},
      {"title", R"(<title type="x-s2">Chapter 36</title>Esau)", "{\\b Chapter 36}\\par\\pard\\sa120 Esau", 0, 0, 0, 0, 0},
      {"unclosed reference", R"(<ref osisRef="Gen.1.1">Ge 1:1)", "{\\soltlinkto4 1 1:1}}", 1, 0, 0, 0, 0},
      {"stray angle bracket", "a < b <> c", "a < b <> c", 0, 0, 0, 0, 0},
      {"unbalanced hi", "</hi><hi rend=\"italic\">x", "{\\i x}", 0, 0, 0, 0, 0},
  };
  const LinkContext context = SmallBible();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MarkupStats stats;
    const std::string rtf = EntryToRtf(c.raw, context, stats);
    EXPECT_NE(rtf.find(c.contains), std::string::npos) << rtf;
    EXPECT_EQ(stats.verseLinks, c.verseLinks);
    EXPECT_EQ(stats.entryLinks, c.entryLinks);
    EXPECT_EQ(stats.repairedRefs, c.repaired);
    EXPECT_EQ(stats.droppedRefs, c.dropped);
    EXPECT_EQ(stats.unresolvedRefs, c.unresolved);
    // Groups always balance.
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
      if (rtf[i] == '\\') {
        ++i;
        continue;
      }
      depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
      ASSERT_GE(depth, 0) << rtf;
    }
    EXPECT_EQ(depth, 0) << rtf;
  }
}

TEST(EntryMarkup, ScriptSpeltInLatinLetters) {
  struct Case {
    const char* utf8;
    const char* windows;
    int transliterated;
  };
  const Case cases[] = {
      {"\xE1\xBC\x80\xCE\xB3\xCE\xAC\xCF\x80\xCE\xB7", "agape", 5},       // ἀγάπη
      {"\xE1\xBC\x88\xCE\xB1\xCF\x81\xE1\xBD\xBD\xCE\xBD", "Aaron", 5},   // Ἀαρών
      {"\xD7\x90\xD7\x91", "'b", 2},                                        // אב
      {"\xD7\xA9\xD7\x81\xD7\x9C\xD7\x95\xD7\x9D", "shlwm", 4},             // שׁלום
      {"Aar\xE1\xB9\x93n", "Aaron", 0},                                     // Aarṓn
      {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9", 0},                               // été
      {"\xE2\x80\x94", "\x97", 0},                                         // em dash
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    int count = 0;
    EXPECT_EQ(ToWindows1252(c.utf8, &count), c.windows);
    EXPECT_EQ(count, c.transliterated);
  }
  MarkupStats stats;
  EXPECT_NE(EntryToRtf("<orth>\xD7\x90\xD7\x91</orth>", SmallBible(), stats).find("{\\b 'b}"), std::string::npos);
  EXPECT_EQ(stats.transliterated, 2);
  EXPECT_EQ(ElementText(R"(<orth>X</orth> <orth rend="bold" type="trans"> &amp;b </orth>)", "orth", "type", "trans"),
            "&b");
  EXPECT_EQ(ElementText(R"(<orth type="trans">t</orth><orth>X</orth>)", "orth"), "X");
  EXPECT_EQ(ElementText("<orth>unclosed", "orth"), "unclosed");
  EXPECT_EQ(ElementText("none", "orth"), "");
}

TEST(Strongs, KeysAreUnpadded) {
  EXPECT_EQ(StrongsKey('G', "00025"), "G25");
  EXPECT_EQ(StrongsKey('H', "0175"), "H175");
  EXPECT_EQ(StrongsKey('H', "430"), "H430");
  EXPECT_EQ(StrongsKey('G', "G5368"), "G5368");
  EXPECT_EQ(StrongsKey('G', "abc"), "");
  EXPECT_EQ(StrongsKey('G', ""), "");
}

TEST(Topics, LooseNamesFindTheirTopic) {
  const std::map<std::string, int> topics = {{"ABLUTION", 1},          {"ACCUSATION, FALSE", 2},
                                             {"AFFLICTIONS AND ADVERSITIES", 3}, {"ANGEL (A SPIRIT)", 4},
                                             {"ANGEL OF THE CHURCHES", 5}, {"ASS (DONKEY)", 6},
                                             {"ASSASSINATION", 7},     {"SIN", 8}};
  const std::pair<const char*, int> cases[] = {
      {"ABLUTION", 1}, {"ABLUTIONS", 1}, {"ACCUSATION", 2}, {"AFFLICTIONS", 3}, {"AFFLICTION", 3},
      {"ANGEL", 4},    {"ASS", 6},       {"SINS", 8},       {"AFFILICTION", -1}, {"", -1}, {"S", -1},
  };
  for (const auto& [name, key] : cases) EXPECT_EQ(FindTopic(topics, name), key) << name;
}

TEST(Commentary, SlotsGroupIntoSections) {
  auto slot = [](int book, int chapter, int verse, bool text, bool linked) {
    VerseSlot s;
    s.book = book;
    s.chapter = chapter;
    s.verse = verse;
    s.hasText = text;
    s.linkedToPrevious = linked;
    return s;
  };
  const std::vector<VerseSlot> slots = {
      slot(1, 1, 1, true, false), slot(1, 1, 2, true, true),  // a span
      slot(1, 1, 3, true, false), slot(1, 1, 4, false, true),  // an empty slot the module calls linked
      slot(1, 1, 5, true, true),                               // text after an empty slot starts anew
      slot(1, 2, 1, false, false), slot(1, 2, 2, true, false), slot(1, 2, 3, true, true),
      slot(1, 3, 1, false, false), slot(1, 3, 2, false, true),  // a chapter with no text
      slot(2, 1, 1, true, true),  // linked over a book's end: a new section all the same
      slot(3, 1, 1, false, false),  // a book with no text at all
  };
  const std::vector<CommentarySection> sections = GroupCommentary(slots);
  ASSERT_EQ(sections.size(), 5u);
  struct Expect {
    size_t slot;
    int book, chapter;
    const char* title;
    std::vector<VerseRange> covers;
  };
  const Expect expected[] = {
      {0, 1, 1, "Verses 1-2", {{1, 1, 1, 2}}},
      {2, 1, 1, "Verses 3-4", {{1, 1, 3, 4}}},
      {4, 1, 1, "Verse 5", {{1, 1, 5, 5}}},
      {6, 1, 2, "Verses 1-3", {{1, 2, 1, 3}, {1, 3, 1, 2}}},
      {10, 2, 1, "Verse 1", {{2, 1, 1, 1}}},
  };
  for (size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sections[i].textSlot, expected[i].slot);
    EXPECT_EQ(sections[i].book, expected[i].book);
    EXPECT_EQ(sections[i].chapter, expected[i].chapter);
    EXPECT_EQ(sections[i].title, expected[i].title);
    EXPECT_EQ(sections[i].covers, expected[i].covers);
  }
  EXPECT_TRUE(GroupCommentary({}).empty());
  // An empty slot before any text in its chapter goes to the next section there.
  const auto late = GroupCommentary({slot(3, 19, 1, false, false), slot(3, 19, 2, true, false)});
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].title, "Verses 1-2");
}

TEST(Commentary, EntriesPartAtTheirHeadings) {
  struct Case {
    const char* name;
    const char* raw;
    const char* book;
    const char* chapter;
    const char* section;
  };
  const Case cases[] = {
      {"book, chapter and verses",
       R"(<m/><title type="x-ms">John</title> Intro <title type="x-s2">Chapter 1</title> Outline <hi type="bold">Verses 1-5</hi> Text)",
       "<m/> Intro ", " Outline ", "<hi type=\"bold\">Verses 1-5</hi> Text"},
      {"chapter and verses", R"(<m/><title type="x-s2">Chapter 3</title> Outline <hi type="bold">Verses 1-8</hi> T)", "",
       "<m/> Outline ", "<hi type=\"bold\">Verses 1-8</hi> T"},
      {"book and verses", R"(<title type="x-ms">Jude</title> Intro <hi type="bold">Verse 1</hi> T)", " Intro ", "",
       "<hi type=\"bold\">Verse 1</hi> T"},
      {"no heading", R"(<title type="x-s">Psalm 23 OVERVIEW</title> Text)", "", "",
       R"(<title type="x-s">Psalm 23 OVERVIEW</title> Text)"},
      {"text before the heading without titles stays", "Lead <hi type=\"bold\">Verses 2-3</hi> T", "", "",
       "Lead <hi type=\"bold\">Verses 2-3</hi> T"},
      {"unclosed title", R"(<title type="x-s2">Chapter 3 <hi type="bold">Verses 1-8</hi>)", "",
       R"(<title type="x-s2">Chapter 3 )", "<hi type=\"bold\">Verses 1-8</hi>"},
      {"empty", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CommentaryParts parts = SplitCommentaryEntry(c.raw);
    EXPECT_EQ(parts.book, c.book);
    EXPECT_EQ(parts.chapter, c.chapter);
    EXPECT_EQ(parts.section, c.section);
  }
}

TEST(Configuration, MendsOnlyWhatIsWrong) {
  struct Case {
    const char* module;
    std::map<std::string, std::string> config;
    std::vector<std::pair<std::string, std::string>> mends;
  };
  const Case cases[] = {
      {"MHCC", {{"ModDrv", "zCom4"}}, {{"ModDrv", "zCom"}}},
      {"MHCC", {{"ModDrv", "zCom"}}, {}},
      {"StrongsHebrew", {{"ModDrv", "zLD"}}, {{"Encoding", "UTF-8"}, {"SourceType", "TEI"}}},
      {"StrongsGreek", {{"Encoding", "UTF-8"}, {"SourceType", "TEI"}}, {}},
      {"Nave", {{"ModDrv", "zLD"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    EXPECT_EQ(ConfigMends(c.module, c.config), c.mends);
  }
}

}  // namespace
