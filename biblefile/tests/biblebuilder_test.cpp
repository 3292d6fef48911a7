// The Bible builder against the module reader, its refusals, and soltkit's
// bible commands on what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "biblefile/biblemodule.h"
#include "biblefile/tests/biblefixture.h"
#include "biblefile/versetext.h"
#include "platform/dbf.h"
#include "platform/file.h"
#include "biblefile/biblebuilder.h"
#include "tools/tests/runprogram.h"

namespace {

using bibletest::TempDir;
using klmw::CBibleBuilder;

TEST(BibleBuilderTest, EveryVerseAndEveryWordReadsBack) {
  TempDir dir;
  CBibleBuilder builder = bibletest::SmallBible();
  std::string error;
  ASSERT_TRUE(builder.Write(dir.Path(), error)) << error;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().extension(), entry.path().extension() == ".tmp" ? ".none" : entry.path().extension());

  klmw::CBibleModule module;
  ASSERT_TRUE(module.Load(dir.Path() + "TST.ixb"));
  platform::File file;
  const auto& verses = builder.GetVerses();
  ASSERT_EQ(module.GetVerseCount(), static_cast<int>(verses.size()));
  std::set<std::string> distinct;
  klmw::CBibleWordList list = module.MakeWordList();
  for (size_t i = 0; i < verses.size(); ++i) {
    std::string shown;
    ASSERT_TRUE(module.GetVerseText(file, static_cast<int>(i + 1), shown));
    EXPECT_EQ(shown, klmw::CleanVerseForDisplay(verses[i].text));
    int b, c, v;
    ASSERT_TRUE(module.VerseToPlace(static_cast<int>(i + 1), b, c, v));
    EXPECT_EQ(std::make_tuple(b, c, v), std::make_tuple(verses[i].book, verses[i].chapter, verses[i].verse));
    for (const std::string& word : klmw::IndexWords(shown)) {
      distinct.insert(word);
      std::vector<uint16_t> found;
      ASSERT_TRUE(list.ReadVerseList(file, word, found)) << word;
      EXPECT_TRUE(std::is_sorted(found.begin(), found.end())) << word;
      EXPECT_NE(std::find(found.begin(), found.end(), i), found.end()) << word;
    }
  }
  EXPECT_EQ(list.CountEntries(), static_cast<int>(distinct.size()));
  // Markup never reaches the index: "beginning" without its bracket, no
  // footnote letter, LORD from between the small-capital markers.
  for (const char* word : {"BEGINNING", "LORD", "ARE"}) EXPECT_TRUE(distinct.count(word)) << word;
  EXPECT_FALSE(distinct.count("A"));
  EXPECT_FALSE(distinct.count("SC1"));

  // The word list comes out in ascending byte order.
  list.SetListPos(0);
  std::vector<std::string> words;
  std::string word;
  while (list.GetNextWord(word)) words.push_back(word);
  EXPECT_TRUE(std::is_sorted(words.begin(), words.end()));

  // The verse table: record n holds verse index n - 1, whole, as shown.
  platform::DbfTable table;
  table.Open(dir.Path() + "TST.dbf");
  ASSERT_EQ(table.RecordCount(), verses.size());
  const int field = table.FieldIndex("verse");
  ASSERT_GE(field, 0);
  for (size_t i = 0; i < verses.size(); ++i) {
    table.Go(static_cast<uint32_t>(i + 1));
    EXPECT_EQ(table.FieldText(field), klmw::CleanVerseForDisplay(verses[i].text)) << i;
  }
}

TEST(BibleBuilderTest, IndexWordsSplitAtNonLettersInUpperCase) {
  EXPECT_EQ(klmw::IndexWords("Se\xF1or, \xBFqu\xE9? God's  day-star 7"),
            (std::vector<std::string>{"SE\xD1OR", "QU\xC9", "GOD", "S", "DAY", "STAR", "7"}));
  EXPECT_TRUE(klmw::IndexWords(" .,;: ").empty());
}

TEST(BibleBuilderTest, SpanishBiblesGetSpanishLabels) {
  CBibleBuilder builder;
  std::string error;
  ASSERT_TRUE(builder.ReadSource("#code=RVR\n#language=spanish\n1\t1\t1\tEn el principio\n2\t1\t1\tx\n", error)) << error;
  klmw::BibleFiles files;
  ASSERT_TRUE(builder.Build(files, error)) << error;
  EXPECT_NE(files.definition.find("{G\xE9nesis\t"), std::string::npos);
  EXPECT_NE(files.definition.find("{Exodo\t"), std::string::npos);
  EXPECT_NE(files.definition.find("TDBFILE=\"RVR.dat\""), std::string::npos);
}

TEST(BibleBuilderTest, SourcesOutOfOrderOrMalformedAreRefused) {
  const struct {
    const char* source;
    const char* error;  // a piece of the message, "" when the source is good
  } cases[] = {
      {"#code=TST\n1\t1\t1\ta\n1\t1\t2\tb\n1\t2\t1\tc\n2\t1\t1\td\n", ""},
      {"#code=TST\n\n# comment\r\n1\t1\t1\ta\r\n1\t1\t2\t\r\n", ""},
      {"#code=TST\n1\t1\t2\ta\n", "line 2: verse 1 1:2 does not follow the start"},
      {"#code=TST\n2\t1\t1\ta\n", "does not follow"},
      {"#code=TST\n1\t1\t1\ta\n1\t1\t3\tc\n", "line 3: verse 1 1:3 does not follow 1 1:1"},
      {"#code=TST\n1\t1\t1\ta\n1\t1\t1\ta\n", "does not follow"},
      {"#code=TST\n1\t1\t1\ta\n1\t3\t1\tc\n", "does not follow"},
      {"#code=TST\n1\t1\t1\ta\n3\t1\t1\tc\n", "does not follow"},
      {"#code=TST\n1\t1\t1\ta\n1\t2\t2\tc\n", "does not follow"},
      {"#code=TST\n1\t1\t1\n", "line 2: expected BOOK<TAB>CHAPTER<TAB>VERSE<TAB>TEXT"},
      {"#code=TST\n67\t1\t1\ta\n", "line 2: book (1-66)"},
      {"#code=TST\n1\t0\t1\ta\n", "line 2: book (1-66)"},
      {"#code=TST\n1\t1\tx\ta\n", "line 2: book (1-66)"},
      {"#code=TST\n1\t1\t99999999999\ta\n", "line 2: book (1-66)"},
      {"#code=TST\n#language=latin\n", "line 2: language must be english or spanish"},
  };
  for (const auto& c : cases) {
    CBibleBuilder builder;
    std::string error;
    bool ok = builder.ReadSource(c.source, error);
    EXPECT_EQ(ok, *c.error == '\0') << c.source;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.source << " gave " << error;
  }
}

TEST(BibleBuilderTest, BuildRefusesBadSettings) {
  const struct {
    const char* code;
    const char* name;
    bool verses;
    const char* error;
  } cases[] = {
      {"TST", "Good", true, ""},
      {"TS", "", true, "the code must be three letters or digits"},
      {"TSTX", "", true, "the code must be three letters or digits"},
      {"T/T", "", true, "the code must be three letters or digits"},
      {"", "", true, "the code must be three letters or digits"},
      {"TST", "A {brace}", true, "the name must not hold braces"},
      {"TST", "", false, "the source has no verses"},
  };
  for (const auto& c : cases) {
    CBibleBuilder builder;
    builder.SetCode(c.code);
    builder.SetName(c.name);
    std::string error;
    if (c.verses) {
      ASSERT_TRUE(builder.AddVerse(1, 1, 1, "text", error));
    }
    klmw::BibleFiles files;
    EXPECT_EQ(builder.Build(files, error), *c.error == '\0') << c.code;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.code << " gave " << error;
  }
}

TEST(BibleBuilderTest, TooManyVersesForSixteenBitIndexes) {
  CBibleBuilder builder;
  builder.SetCode("TST");
  std::string error;
  int count = 0;
  for (int book = 1; book <= 66 && count <= 65536; ++book)
    for (int chapter = 1; chapter <= 999 && count <= 65536; ++chapter)
      for (int verse = 1; verse <= 2 && count <= 65536; ++verse, ++count)
        ASSERT_TRUE(builder.AddVerse(book, chapter, verse, "", error)) << error;
  klmw::BibleFiles files;
  EXPECT_FALSE(builder.Build(files, error));
  EXPECT_NE(error.find("65,536"), std::string::npos);
}

using Ran = testrun::Run;

// args are blank-separated words (the test's paths have no blanks).
Ran Soltkit(const std::string& args) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string word; in >> word;) words.push_back(word);
  return testrun::RunProgram(SOLTKIT_PATH, words);
}

TEST(SoltkitBibleTest, CommandsOnTheSampleBible) {
  TempDir dir;
  Ran made = Soltkit(std::string("make-bible ") + SAMPLE_BIBLE_SOURCE + " " + dir.Path() + "out");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "");
  const std::string ixb = dir.Path() + "out/SMP.ixb";
  const struct {
    std::string args;
    int status;
    std::string out;
  } cases[] = {
      {"info", 0, "code: SMP\ntext-file: " + dir.Path() + "out/SMP.dat\nbooks: 2\nverses: 13\nwords: 83\n"},
      {"place 9", 0, "1\t2\t4\n"},
      {"place 10", 0, "2\t1\t1\n"},
      {"place 14", 0, "none\n"},
      {"index 1 0 1", 0, "10\n"},
      {"index 2 0 0", 0, "-1\n"},
      {"verse 11", 0, "Reuben, Simeon, Levi, and Judah,\n"},
      {"verse 12", 0, "\n"},
      {"text 8 2", 0, "And God blessed the seventh day, and sanctified it: because that in it he had rested from all his "
                      "work which God created and made.\nThese are the generations of the heavens and of the earth when "
                      "they were created, in the day that the LORD God made the earth and the heavens,\n"},
      {"find LIGHT", 0, "2\n3\n4\n"},
      {"find LIG", 0, ""},
      {"words LIGX --count 3", 0, "LIGHT\nLORD\nMADE\n"},
      {"place", 2, ""},
      {"frobnicate", 2, ""},
      {"place x", 2, ""},
  };
  for (const auto& c : cases) {
    Ran run = Soltkit("bible " + ixb + " " + c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    if (c.status == 0) {
      EXPECT_EQ(run.out, c.out) << c.args;
    }
  }

  std::filesystem::remove(dir.Path() + "out/SMP.dat");
  Ran missing = Soltkit("bible " + ixb + " info");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("soltkit: Could not find Bible SMP on your hard drive."), std::string::npos)
      << missing.err;
  Ran bad = Soltkit("bible " + dir.Path() + "nothing.ixb info");
  EXPECT_EQ(bad.status, 1);
}

}  // namespace
