#include <gtest/gtest.h>

#include <sstream>

#include "tools/colourdata/colourcore.h"
#include "tools/colourdata/navesreader.h"

namespace colourdata {
namespace {

TEST(Words, NumbersBlankDelimitedTokens) {
  const struct {
    const char* text;
    int offset;
    int word;
  } cases[] = {
      {"In the beginning", 0, 1},   {"In the beginning", 1, 1},  {"In the beginning", 2, 2},  // a blank: the next word
      {"In the beginning", 15, 3},  {"In the beginning", 16, 0},  {"  Jesus  wept.", 0, 1},
      {"  Jesus  wept.", 8, 2},     {"  Jesus  wept.", 13, 2},    {"", 0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(WordAt(SplitWords(c.text), c.offset), c.word) << c.text << " @" << c.offset;
  EXPECT_EQ(SplitWords("  Jesus  wept.").size(), 2u);
}

TEST(Underline, CharacterRangesBecomeWordEntries) {
  const uint8_t on = 1, more = 1 | kContinued;
  const std::string text = "And he said, Follow me, and I will make you fishers of men.";
  const struct {
    std::vector<std::pair<int, int>> ranges;
    Record entries;
  } cases[] = {
      {{{13, 22}}, {{4, more}, {5, on}}},                     // "Follow me"
      {{{13, 19}}, {{4, on}}},                                // one word
      {{{15, 17}}, {{4, on}}},                                // inside a word
      {{{0, static_cast<int>(text.size())}}, {{1, more}, {13, on}}},  // the whole verse
      {{{12, 13}}, {}},                                       // a blank only
      {{{13, 19}, {20, 22}}, {{4, more}, {5, on}}},           // adjacent words join
      {{{24, 27}, {0, 3}}, {{1, on}, {6, on}}},               // out of order
      {{{13, 24}}, {{4, more}, {5, on}}},                     // ends on the blank after "me,"
  };
  for (const auto& c : cases) EXPECT_EQ(UnderlineEntries(text, c.ranges), c.entries);
}

TEST(Limit, RecordsKeepTwentyEntriesOfWholeStretches) {
  // Twelve single-word stretches: each takes two entries, so ten fit.
  std::vector<std::pair<int, int>> stretches;
  for (int w = 1; w <= 23; w += 2) stretches.emplace_back(w, w);
  const Record colour = ColourEntries(3, stretches, 30);
  ASSERT_EQ(colour.size(), kMaxEntries);
  EXPECT_EQ(colour[18], (Entry{19, 3}));
  EXPECT_EQ(colour[19], (Entry{20, 0}));
  // A stretch reaching the last word needs no closing entry.
  EXPECT_EQ(ColourEntries(2, {{1, 1}, {4, 5}}, 5), (Record{{1, 2}, {2, 0}, {4, 2}}));

  // Twenty-five single words and words 6-9, which join 5 to 9 into one range.
  std::string text;
  for (int w = 0; w < 50; ++w) text += "word ";
  std::vector<std::pair<int, int>> ranges;
  for (int w = 0; w < 50; w += 2) ranges.emplace_back(w * 5, w * 5 + 4);
  ranges.emplace_back(5 * 5, 8 * 5 + 4);
  const Record underline = UnderlineEntries(text, ranges);
  ASSERT_EQ(underline.size(), kMaxEntries);
  EXPECT_EQ(underline[2], (Entry{5, 1 | kContinued}));
  EXPECT_EQ(underline[3], (Entry{9, 1}));
  EXPECT_EQ(underline[19], (Entry{41, 1}));

  std::string pip = EmptyPipFile();
  ASSERT_EQ(pip.size(), (kEnglishVerses + 1) * kRecordSize);
  PutRecord(pip, kEnglishVerses, colour);
  EXPECT_EQ(GetRecord(pip, kEnglishVerses), colour);
  EXPECT_EQ(pip.substr(kEnglishVerses * kRecordSize, 5), std::string("\x01\0\0\0\x03", 5));
  PutRecord(pip, 7, {{300, 0x81}});
  EXPECT_EQ(pip.substr(7 * kRecordSize, 6), std::string("\x2c\x01\0\0\x81\0", 6));
}

TEST(Topics, KeywordsAndTheChoiceOfColour) {
  std::istringstream file(
      "# two topics\n"
      "topic 1 God 255 228 140\nnaves GOD\nen god lord\nes dios señor\n"
      "topic 2 Love 255 200 215\nnaves LOVE\nnaves Brotherly love\nen love* beloved\nes amor amó\n");
  std::string error;
  const std::vector<Topic> topics = ReadTopics(file, error);
  ASSERT_EQ(topics.size(), 2u) << error;
  EXPECT_EQ(topics[1].naves, (std::vector<std::string>{"LOVE", "BROTHERLY LOVE"}));
  EXPECT_EQ(topics[0].keywords[kSpanish][1], "se\xF1or");

  const struct {
    const char* text;
    std::vector<int> claiming;
    Language language;
    int topic;
    bool whole;
    Record entries;
  } cases[] = {
      {"Beloved, let us love one another: for love is of God;", {1, 0}, kEnglish, 2, false,
       {{1, 2}, {2, 0}, {4, 2}, {5, 0}, {8, 2}, {9, 0}}},
      {"Beloved, let us love one another: for love is of God;", {0, 1}, kEnglish, 1, false, {{11, 1}}},
      {"Thou shalt LOVE the LORD", {1, 0}, kEnglish, 2, false, {{3, 2}, {4, 0}}},
      {"Lovely and pleasant in their lives", {1}, kEnglish, 2, false, {{1, 2}, {2, 0}}},
      {"Ye are the light of the world.", {1, 0}, kEnglish, 2, true, {{1, 2}}},
      {"Porque de tal manera am\xF3 Dios al mundo", {1, 0}, kSpanish, 2, false, {{5, 2}, {6, 0}}},
      {"Oye, Israel: Jehov\xE1 nuestro Dios, SE\xD1OR uno es", {0}, kSpanish, 1, false, {{5, 1}, {7, 0}}},
      {"Nothing claims this verse", {}, kEnglish, 0, false, {}},
  };
  for (const auto& c : cases) {
    const VerseColour v = ChooseColour(c.text, c.claiming, topics, c.language);
    EXPECT_EQ(v.topic, c.topic) << c.text;
    EXPECT_EQ(v.whole, c.whole) << c.text;
    EXPECT_EQ(v.entries, c.entries) << c.text;
  }

  for (const char* bad : {"naves GOD\n", "topic 2 God 1 2 3\n", "topic 1 God 1 2 300\n", "topic 1 God 1 2 3\nfr dieu\n"}) {
    std::istringstream in(bad);
    EXPECT_TRUE(ReadTopics(in, error).empty()) << bad;
  }
  EXPECT_EQ(PaletteText(topics), "Colors 2\nGod\t\t1\t255\t228\t140\nLove\t\t2\t255\t200\t215\n");
  Topic longName;
  longName.number = 1;
  longName.name = "Salvation";
  EXPECT_EQ(PaletteText({longName}), "Colors 1\nSalvation\t1\t255\t255\t255\n");
}

TEST(Naves, VerseLinksOfEachSection) {
  // An area as the book compiler writes it: one level per section.
  const std::string rtf =
      "{\\rtf1\\ansi \\soltstartlevel0 {\\pard\\b L\\par}\n"
      "\\soltstartlevel1 {\\pard\\b LOVE\\par}\n"
      "\\pard \\'95 OF GOD {\\soltlink 1Jo 4:8{\\soltlinkto4 62 4:8}}; {\\soltlink Joh 3:16-18"
      "{\\soltlinkto4 43 3:16-43 3:18}}; See {\\soltlink GOD{\\soltlinkto0 2048}}\\par\n"
      "\\soltstartlevel2 {\\pard\\b LOVEFEASTS\\par}\n"
      "\\pard {\\soltlink Jude 12{\\soltlinkto4 65 1:12}}; {\\soltlink bad{\\soltlinkto4 65 1}}\\par}";
  const auto links = LinksOfLevels(rtf, {1, 2, 0, 7});
  ASSERT_EQ(links.size(), 4u);
  EXPECT_EQ(links[0], (std::vector<textpane::Range>{textpane::Range({62, 4, 8}, {62, 4, 8}),
                                                    textpane::Range({43, 3, 16}, {43, 3, 18})}));
  EXPECT_EQ(links[1], (std::vector<textpane::Range>{textpane::Range({65, 1, 12}, {65, 1, 12})}));
  EXPECT_TRUE(links[2].empty());
  EXPECT_TRUE(links[3].empty());
}

}  // namespace
}  // namespace colourdata
