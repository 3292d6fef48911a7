// Bible modules: places, verse texts, cleaning, damaged files, missing texts.
#include <gtest/gtest.h>

#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"
#include "biblefile/tests/biblefixture.h"
#include "biblefile/versetext.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/volumes.h"

namespace {

using bibletest::Header;
using bibletest::TempDir;
using bibletest::WriteBytes;
using klmw::CBibleModule;

class BibleModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(bibletest::SmallBible().Write(m_dir.Path(), error)) << error;
    ASSERT_TRUE(m_module.Load(m_dir.Path() + "TST.ixb")) << m_module.GetLoadError();
  }
  TempDir m_dir;
  CBibleModule m_module;
  platform::File m_file;
};

TEST_F(BibleModuleTest, LoadsDefinitionAndHeader) {
  EXPECT_EQ(m_module.GetCode(), "TST");
  EXPECT_EQ(m_module.GetTextPath(), m_dir.Path() + "TST.dat");
  EXPECT_EQ(m_module.GetBookCount(), 2);
  EXPECT_EQ(m_module.GetCumulative(), (std::vector<int>{0, 5, 7}));
  EXPECT_EQ(m_module.GetBookLabel(2), "Exodus");
  EXPECT_EQ(m_module.GetWordListText().size(), static_cast<size_t>(m_module.GetHeader(1) - m_module.GetHeader(0)));
}

TEST_F(BibleModuleTest, VerseNumbersBecomePlacesAtEveryBoundary) {
  const struct {
    int verse;
    bool ok;
    int book, chapter, inChapter;
  } cases[] = {
      {-1, false, 0, 0, 0}, {0, false, 0, 0, 0}, {1, true, 1, 1, 1}, {3, true, 1, 1, 3},
      {4, true, 1, 2, 1},   {5, true, 1, 2, 2},  {6, true, 2, 1, 1}, {7, true, 2, 1, 2},
      {8, false, 0, 0, 0},  {1 << 30, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int b = 0, ch = 0, v = 0;
    EXPECT_EQ(m_module.VerseToPlace(c.verse, b, ch, v), c.ok) << c.verse;
    if (c.ok) {
      EXPECT_EQ(std::make_tuple(b, ch, v), std::make_tuple(c.book, c.chapter, c.inChapter)) << c.verse;
    }
  }
}

TEST_F(BibleModuleTest, IndexFormsRoundTripAndRefuseOtherPlaces) {
  for (int index = 0; index < m_module.GetVerseCount(); ++index) {
    int b = -1, c = -1, v = -1;
    ASSERT_TRUE(m_module.IndexToPlace(index, b, c, v));
    EXPECT_EQ(m_module.PlaceToIndex(b, c, v), index);
  }
  int b, c, v;
  EXPECT_FALSE(m_module.IndexToPlace(7, b, c, v));
  EXPECT_FALSE(m_module.IndexToPlace(-1, b, c, v));
  const int refused[][3] = {{0, 0, 3}, {0, 2, 0}, {2, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {1, 1, 0}};
  for (const auto& p : refused) EXPECT_EQ(m_module.PlaceToIndex(p[0], p[1], p[2]), -1) << p[0] << p[1] << p[2];
}

TEST_F(BibleModuleTest, ChapterAndVerseCountsAreZeroOutsideTheBible) {
  const struct {
    int book, chapter, chapters, verses;
  } cases[] = {{0, 0, 2, 3}, {0, 1, 2, 2}, {0, 2, 2, 0}, {1, 0, 1, 2}, {1, 1, 1, 0},
               {2, 0, 0, 0}, {-1, 0, 0, 0}, {0, -1, 2, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(m_module.GetChapterCount(c.book), c.chapters) << c.book;
    EXPECT_EQ(m_module.GetChapterVerseCount(c.book, c.chapter), c.verses) << c.book << " " << c.chapter;
  }
}

TEST_F(BibleModuleTest, CopiedTextsBreakLinesAtParagraphsAndChapters) {
  std::string text;
  EXPECT_EQ(m_module.GetVerses(m_file, 1, 7, text), 7);
  EXPECT_EQ(text,
            "\nIn the beginning God created the heaven and the earth."
            " And the earth was without form; and the LORD saw."
            " And God said, Let there be light: \nand there was light. {a} So."
            "\nThus the heavens were finished."
            " And on the seventh day God ended his work."
            "\nNow these are the names.");
}

TEST_F(BibleModuleTest, FetchIsCutAtTheLastVerse) {
  const struct {
    int first, count, appended;
  } cases[] = {{6, 10, 2}, {7, 1, 1}, {8, 1, 0}, {0, 3, 0}, {-5, 3, 0}, {1, 0, 0}, {2, -1, 0}, {1, 1 << 30, 7}};
  for (const auto& c : cases) {
    std::string text;
    EXPECT_EQ(m_module.GetVerses(m_file, c.first, c.count, text), c.appended) << c.first << " " << c.count;
  }
}

TEST_F(BibleModuleTest, DisplayFormOfOneVerse) {
  const struct {
    int verse;
    const char* text;
  } cases[] = {
      {1, "In the beginning God created the heaven and the earth."},
      {2, "And the earth was without form; and the LORD saw."},
      {3, "And God said, Let there be light: and there was light. So."},
      {7, ""},
  };
  for (const auto& c : cases) {
    std::string text = "old";
    EXPECT_TRUE(m_module.GetVerseText(m_file, c.verse, text));
    EXPECT_EQ(text, c.text);
  }
  std::string text;
  EXPECT_FALSE(m_module.GetVerseText(m_file, 8, text));
  EXPECT_FALSE(m_module.GetVerseText(m_file, 0, text));
}

TEST(VerseTextTest, EveryCleaningRule) {
  const struct {
    const char* stored;
    const char* copied;
    bool paragraph;
    const char* displayed;
  } cases[] = {
      {"In the [beginning]", "In the beginning", false, "In the beginning"},
      {"the <sc1>LORD<sc0>", "the LORD", false, "the LORD"},
      {"   $$Text", "Text", true, "   Text"},
      {"  Text", "Text", false, "  Text"},
      {"one$two$", "one\ntwo\n", false, "onetwo"},
      {"a <b> c", "a b c", false, "a b c"},
      {"x <sc2> y", "x sc2 y", false, "x sc2 y"},
      {"<sc1", "sc1", false, "sc1"},
      {"word {a} next", "word {a} next", false, "word next"},
      {"word{a} next", "word{a} next", false, "word next"},
      {"word {a}", "word {a}", false, "word "},
      {"word {a}{b} next", "word {a}{b} next", false, "word next"},
      {"an {unclosed brace", "an {unclosed brace", false, "an {unclosed brace"},
      {"[{<sc1>}]", "{}", false, ""},
      {"", "", false, ""},
  };
  for (const auto& c : cases) {
    bool paragraph = !c.paragraph;
    EXPECT_EQ(klmw::CleanVerseForCopy(c.stored, paragraph), c.copied) << c.stored;
    EXPECT_EQ(paragraph, c.paragraph) << c.stored;
    EXPECT_EQ(klmw::CleanVerseForDisplay(c.stored), c.displayed) << c.stored;
  }
}

TEST(VerseText, FootnoteLettersFollowTheirWord) {
  const struct {
    const char* stored;
    const char* shown;
    std::vector<std::pair<int32_t, int32_t>> marks;  // start, length
  } cases[] = {
      {"word {a} next", "worda next", {{4, 1}}},
      {"word{b} next", "wordb next", {{4, 1}}},
      {"one {a}{bb} two", "oneabb two", {{3, 1}, {4, 2}}},
      {"{a}At the start", "aAt the start", {{0, 1}}},
      {"an {unclosed brace", "an {unclosed brace", {}},
      {"empty {} label", "empty label", {}},
  };
  for (const auto& c : cases) {
    std::vector<klmw::CFootnoteMark> marks;
    EXPECT_EQ(klmw::CleanVerseForDisplay(c.stored, marks), c.shown) << c.stored;
    std::vector<std::pair<int32_t, int32_t>> got;
    for (const auto& m : marks) got.emplace_back(m.start, m.length);
    EXPECT_EQ(got, c.marks) << c.stored;
  }
}

// Loads a definition and a text file written by hand; the text file is
// TST.dat beside the definition.
bool LoadHandMade(const std::string& definition, const std::string* text, CBibleModule& module) {
  TempDir dir;
  WriteBytes(dir.Path() + "TST.ixb", definition);
  if (text) WriteBytes(dir.Path() + "TST.dat", *text);
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  return module.Load(dir.Path() + "TST.ixb");
}

TEST(BibleModuleLoadTest, DamagedDefinitionsAreRefused) {
  const std::string text = Header(32, 32, 32, 40) + std::string(8, '\0');
  const struct {
    const char* definition;
    bool ok;
    int verses;
  } cases[] = {
      {"TDBFILE=\"TST.dat\"\n{Genesis\tV:3,2}\n", true, 5},
      {"{Genesis\tV:3,2}\n", false, 0},
      {"TDBFILE=\"TST.dat\"\nno blocks at all\n", false, 0},
      // A block without a tab is a book without verses.
      {"TDBFILE=\"TST.dat\"\n{Genesis V:3,2}\n", false, 0},
      {"TDBFILE=\"TST.dat\"\n{Genesis V:3,2}\n{Exodus\tV:4}\n", true, 4},
      {"TDBFILE=\"TST.dat\"\n{Genesis\tV:3,2\n", false, 0},
      {"TDBFILE=\"\"\n{Genesis\tV:3,2}\n", false, 0},
      {"TDBFILE=", false, 0},
      {"TDBFILE=\"TST.dat\"\n{Genesis\tV:99999999999999999999}\n", false, 0},
      {"TDBFILE=\"TST.dat\"\n{Genesis\tV:999999,999999}\n", false, 0},
      // Every digit run of a chapter counts; a trailing comma adds nothing.
      {"TDBFILE=\"TST.dat\"\n{Genesis\tV:3 2,1,}\n", true, 6},
      {"TDBFILE=\"TST.dat\"\n{Genesis\t}\n{Exodus\tV:2}", true, 2},
  };
  for (const auto& c : cases) {
    CBibleModule module;
    EXPECT_EQ(LoadHandMade(c.definition, &text, module), c.ok) << c.definition;
    if (c.ok) {
      EXPECT_EQ(module.GetVerseCount(), c.verses) << c.definition;
    }
  }
}

TEST(BibleModuleLoadTest, AtMostNinetyNineBooksAreRead) {
  std::string definition = "TDBFILE=\"TST.dat\"\n";
  for (int i = 0; i < 120; ++i) definition += "{Book\tV:1}\n";
  const std::string text = Header(32, 32, 32, 40) + std::string(8, '\0');
  CBibleModule module;
  ASSERT_TRUE(LoadHandMade(definition, &text, module));
  EXPECT_EQ(module.GetBookCount(), 99);
}

TEST(BibleModuleLoadTest, TextFilesShorterThanTheirHeaderAreRefused) {
  const std::string definition = "TDBFILE=\"TST.dat\"\n{Genesis\tV:1}\n";
  const std::string words = " A +0 ";
  const struct {
    std::string text;
    bool ok;
  } cases[] = {
      {Header(32, 38, 40, 48) + words + std::string("\1\0", 2) + std::string(8, '\0'), true},
      {std::string(10, '\0'), false},
      {Header(32, 38, 40, 48), false},
      {Header(32, 38, 40, 48) + words, false},
      {Header(38, 32, 40, 48) + words + std::string(10, '\0'), false},
      {Header(-4, 38, 40, 48) + words + std::string(10, '\0'), false},
      {Header(32, 38, 40, 4096) + words + std::string(10, '\0'), false},
      {Header(32, 0x7FFFFFFF, 0x7FFFFFFF, 48) + words, false},
  };
  for (const auto& c : cases) {
    CBibleModule module;
    EXPECT_EQ(LoadHandMade(definition, &c.text, module), c.ok) << testing::PrintToString(c.text);
    if (!c.ok) {
      EXPECT_TRUE(module.GetWordListText().empty());
      EXPECT_EQ(module.GetVerseCount(), 0);
      int b, ch, v;
      EXPECT_FALSE(module.VerseToPlace(1, b, ch, v));
    }
  }
}

TEST(BibleModuleLoadTest, DamagedOffsetsFailTheVerseNotTheProgram) {
  TempDir dir;
  WriteBytes(dir.Path() + "TST.ixb", "TDBFILE=\"TST.dat\"\n{Genesis\tV:4}\n");
  // Offsets from h3: verse 1 "ab", verse 2 runs backwards, verse 3 past the
  // end, verse 4 is good again but the table has no end for it.
  std::string table;
  for (int32_t e : {0, 2, 1, 100}) platform::PutFixed32(table, static_cast<uint32_t>(e));
  const std::string text = Header(32, 32, 32, 48) + table + "abcd";
  WriteBytes(dir.Path() + "TST.dat", text);
  CBibleModule module;
  ASSERT_TRUE(module.Load(dir.Path() + "TST.ixb"));
  platform::File file;
  std::string verse;
  EXPECT_TRUE(module.GetVerseText(file, 1, verse));
  EXPECT_EQ(verse, "ab");
  EXPECT_FALSE(module.GetVerseText(file, 2, verse));
  EXPECT_FALSE(module.GetVerseText(file, 3, verse));
  EXPECT_FALSE(module.GetVerseText(file, 4, verse));
  std::string copied;
  EXPECT_EQ(module.GetVerses(file, 1, 4, copied), 1);
  EXPECT_EQ(copied, "\nab");
}

class FixedTypeVolumes : public platform::Volumes {
 public:
  explicit FixedTypeVolumes(platform::DriveType type) : m_type(type) {}
  platform::DriveType GetDriveType(const std::string&) override { return m_type; }
  bool GetVolumeLabel(const std::string&, std::string& label) override {
    label.clear();
    return true;
  }
  std::string GetVolumeRoot(const std::string&) override { return "/"; }

 private:
  platform::DriveType m_type;
};

TEST(BibleModuleLoadTest, MissingTextFileIsReportedByDriveType) {
  const std::string cd =
      "Bible TST was not found on the CD drive.  Make sure the correct CD is in the drive.  "
      "If the correct CD is in the drive, run Bookcase to fix the problem. ";
  const std::string disk = "Could not find Bible TST on your hard drive.  Rub Bookcase to fix the problem.";
  const struct {
    platform::DriveType type;
    const std::string& text;
  } cases[] = {
      {platform::DriveType::CdRom, cd},       {platform::DriveType::Removable, cd},
      {platform::DriveType::Fixed, disk},     {platform::DriveType::Remote, disk},
      {platform::DriveType::NoRootDir, disk},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir.Path() + "TST.ixb", "TDBFILE=\"TST.dat\"\n{Genesis\tV:1}\n");
    FixedTypeVolumes volumes(c.type);
    platform::ScopedVolumes scopedVolumes(&volumes);
    platform::RecordingMessages messages;
    platform::ScopedMessages scopedMessages(&messages);
    CBibleModule module;
    EXPECT_FALSE(module.Load(dir.Path() + "TST.ixb"));
    ASSERT_EQ(messages.m_shown.size(), 1u);
    EXPECT_EQ(messages.m_shown[0].text, c.text);

    // A fetch that has to open the file says the same and gives nothing.
    module.ParseDefinition("TDBFILE=\"TST.dat\"\n{Genesis\tV:1}\n", dir.Path());
    platform::File file;
    std::string text;
    EXPECT_EQ(module.GetVerses(file, 1, 1, text), 0);
    ASSERT_EQ(messages.m_shown.size(), 2u);
    EXPECT_EQ(messages.m_shown[1].text, c.text);
  }
}

TEST(BibleModuleLoadTest, DefinitionWithoutTextNameSaysNothing) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  CBibleModule module;
  EXPECT_FALSE(module.ParseDefinition("{Genesis\tV:1}", ""));
  EXPECT_FALSE(module.Load("/nonexistent/folder/TST.ixb"));
  EXPECT_TRUE(messages.m_shown.empty());
}

TEST(BibleModuleListTest, FindsByCodeIgnoringCase) {
  klmw::CBibleModuleList list;
  for (const char* name : {"KJS.dat", "rvr.dat"}) {
    auto module = std::make_unique<CBibleModule>();
    ASSERT_TRUE(module->ParseDefinition(std::string("TDBFILE=\"") + name + "\"\n{Genesis\tV:1}", ""));
    list.Add(std::move(module));
  }
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.Find("kjs"), list.Get(0));
  EXPECT_EQ(list.Find("RVR"), list.Get(1));
  EXPECT_EQ(list.Find("NIV"), nullptr);
  EXPECT_EQ(list.Find("KJ"), nullptr);
  EXPECT_EQ(list.Get(2), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(BookNamesTest, SpanishForRvrOnly) {
  EXPECT_STREQ(klmw::GetBookName("RVR", 1), "G\xE9nesis");
  EXPECT_STREQ(klmw::GetBookName("rvr", 2), "Exodo");
  EXPECT_STREQ(klmw::GetBookName("RVR", 66), "Apocalipsis");
  EXPECT_STREQ(klmw::GetBookName("KJS", 1), "Genesis");
  EXPECT_STREQ(klmw::GetBookName("NIV", 22), "Song of Songs");
  EXPECT_STREQ(klmw::GetBookName("KJS", 66), "Revelation");
  EXPECT_STREQ(klmw::GetBookName("KJS", 0), "");
  EXPECT_STREQ(klmw::GetBookName("RVR", 67), "");
}

TEST(BookNamesTest, TokensNameBooksWithoutBlanksOrCase) {
  const struct {
    const char* token;
    int book;
  } cases[] = {{"1Samuel", 9},  {"1 samuel", 9}, {"SONG OF SONGS", 22}, {"songofsongs", 22}, {"1Reyes", 11},
               {"Apocalipsis", 66}, {"gen", 1},  {"apoc", 66},          {"John", 43},       {"3john", 64},
               {"Jude", 65},    {"x", 0},        {"", 0},               {"Genesiss", 0}};
  for (const auto& c : cases) EXPECT_EQ(klmw::FindBookByToken(c.token), c.book) << c.token;
}

}  // namespace
