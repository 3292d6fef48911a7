// The user's verse lists, the verse notes table, footnotes and maps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/studyaids/footnotes.h"
#include "app/studyaids/versefiles.h"
#include "app/studyaids/versenotes.h"
#include "biblefile/tests/biblefixture.h"

using namespace klmw;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(VerseLists, LinesAreReadWholeAndBadOnesPassedOver) {
  const struct {
    const char* text;
    std::vector<std::string> labels;
    std::vector<int> indexes;
  } cases[] = {
      {"Genesis 1:3 2\nJohn 3:16 26136\n", {"Genesis 1:3", "John 3:16"}, {2, 26136}},
      // Written with blanks by older copies; a missing line end at the end.
      {"Song of Songs 2:1 17056\r\n1Reyes 3:9 8899", {"Song of Songs 2:1", "1Reyes 3:9"}, {17056, 8899}},
      // Garbage, a missing index, a missing token, a negative index.
      {"garbage\nJohn 3:16\n3:16 12\nJohn 3:x 5\nJohn 3:16 -4\n\nJude 1:5 31000\n", {"Jude 1:5"}, {31000}},
  };
  for (const auto& c : cases) {
    const std::vector<CVerseEntry> entries = ParseVerseList(c.text);
    ASSERT_EQ(entries.size(), c.labels.size()) << c.text;
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].Label(), c.labels[i]);
      EXPECT_EQ(entries[i].verseIndex, c.indexes[i]);
    }
  }
}

TEST(VerseLists, TokensHaveNoBlanksAndReadBackInEitherLanguage) {
  const struct {
    const char* code;
    int book;
    const char* token;
  } cases[] = {{"KJS", 22, "SongofSongs"}, {"KJS", 46, "1Corinthians"}, {"RVR", 11, "1Reyes"}, {"WEB", 1, "Genesis"}};
  for (const auto& c : cases) {
    const std::string line = FormatVerseLine(VerseLineBookToken(c.code, c.book), 2, 4, 99);
    EXPECT_EQ(line, std::string(c.token) + " 2:4 99\n");
    const std::vector<CVerseEntry> entries = ParseVerseList(line);
    ASSERT_EQ(entries.size(), 1u);
    int book = 0, chapter = 0, verse = 0;
    ASSERT_TRUE(EntryPlace(entries[0], book, chapter, verse)) << c.token;
    EXPECT_EQ(book, c.book);
    EXPECT_EQ(chapter, 2);
    EXPECT_EQ(verse, 4);
  }
  int book, chapter, verse;
  EXPECT_FALSE(EntryPlace({"Nowhere", "1:1", 0}, book, chapter, verse));
  EXPECT_FALSE(EntryPlace({"John", "0:1", 0}, book, chapter, verse));
}

TEST(VerseLists, AddingAndRemovingKeepTheRest) {
  bibletest::TempDir dir;
  const std::string path = dir.Path() + kTaggedVersesFile;
  std::string error;
  EXPECT_TRUE(ReadVerseList(path).empty());
  ASSERT_TRUE(AppendVerseLine(path, FormatVerseLine("John", 3, 16, 26136), error)) << error;
  ASSERT_TRUE(AppendVerseLine(path, FormatVerseLine("Jude", 1, 5, 30707), error)) << error;
  ASSERT_TRUE(RemoveVerseEntry(path, 0, error));
  EXPECT_EQ(ReadAll(path), "Jude 1:5 30707\n");
  ASSERT_TRUE(RemoveVerseEntry(path, 5, error));  // no such entry: nothing changes
  EXPECT_EQ(ReadAll(path), "Jude 1:5 30707\n");
  // Removing the only entry leaves an empty file.
  ASSERT_TRUE(RemoveVerseEntry(path, 0, error));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadAll(path), "");
  // A file that cannot be written is reported and the old one kept.
  EXPECT_FALSE(AppendVerseLine(dir.Path() + "missing/list.dat", "x 1:1 0\n", error));
  EXPECT_FALSE(error.empty());
}

TEST(VerseNotes, NotesAreKeptPerVerseAndABadTableIsLeftAlone) {
  bibletest::TempDir dir;
  CVerseNotes notes(dir.Path() + kVerseNotesTable);
  std::string error;
  EXPECT_EQ(notes.Get(26135), "");
  ASSERT_TRUE(notes.Put(26135, "For God so loved", error)) << error;
  ASSERT_TRUE(notes.Put(0, "In the beginning", error)) << error;
  ASSERT_TRUE(notes.Put(26135, "Replaced", error)) << error;
  const struct {
    int index;
    const char* note;
  } cases[] = {{26135, "Replaced"}, {0, "In the beginning"}, {1, ""}, {31101, ""}, {40000, ""}, {-1, ""}};
  for (const auto& c : cases) EXPECT_EQ(CVerseNotes(notes.GetPath()).Get(c.index), c.note) << c.index;
  EXPECT_FALSE(notes.Put(-1, "x", error));
  // Not a table: reported, and the file stays as it was.
  const std::string bad = dir.Path() + "bad.dbf";
  std::ofstream(bad) << "not a table";
  EXPECT_FALSE(CVerseNotes(bad).Put(3, "x", error));
  EXPECT_EQ(ReadAll(bad), "not a table");
}

TEST(Footnotes, EveryEntryIsReadAndFoundByVerse) {
  std::string text;
  for (int i = 1; i <= 4000; ++i) text += std::to_string(i) + " note " + std::to_string(i) + " ~ \r\n";
  text += "20 moving: or, creeping ~ \r\n20 life: Heb. soul ~\r\n";
  CFootnotes notes;
  notes.Parse(text);
  EXPECT_EQ(notes.Count(), 4002u);
  EXPECT_EQ(notes.Find(3999), 3998);  // past the old limit of 2,996
  EXPECT_EQ(notes.Find(4001), -1);
  EXPECT_EQ(notes.AllOf(20).size(), 3u);
  EXPECT_EQ(notes.AllOf(20)[2]->text, "life: Heb. soul");
  // Without a closing ~ the reading ends; a bad number too.
  const struct {
    const char* text;
    size_t count;
  } cases[] = {{"4 light ~ 5 no tilde", 1}, {"x light ~", 0}, {"", 0}, {"7 ~ 8 two ~", 2}};
  for (const auto& c : cases) {
    notes.Parse(c.text);
    EXPECT_EQ(notes.Count(), c.count) << c.text;
  }
}

TEST(Footnotes, ReferencesAreNamedInTheBiblesBookNames) {
  const struct {
    const char* text;
    const char* code;
    std::vector<std::string> refs;
  } cases[] = {
      {"See Gen. 2:4, and 1 Cor. 13:4.", "KJS", {"Genesis 2:4", "1 Corinthians 13:4"}},
      {"Heb. between the light", "KJS", {}},
      {"Comp. Heb. 11:1; Ps 23:1", "KJS", {"Hebrews 11:1", "Psalms 23:1"}},
      {"Ver Juan 3:16", "RVR", {"Juan 3:16"}},
      {"at 3:16 alone, or x:y", "KJS", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FootnoteReferences(c.text, c.code), c.refs) << c.text;
}

TEST(Maps, TheMapOfAVerseIsTheFirstEndingAfterIt) {
  CMapList maps;
  maps.Parse("50 patriarchs.png The patriarchs in Canaan ~\n1534 exodus.png The Exodus ~\n28100 paul.png Paul ~\n");
  ASSERT_EQ(maps.Count(), 3u);
  EXPECT_EQ(maps.At(1).description, "The Exodus");
  const struct {
    int verse, map;
  } cases[] = {{1, 0}, {49, 0}, {50, 1}, {28099, 2}, {28100, -1}, {31102, -1}};
  for (const auto& c : cases) EXPECT_EQ(maps.MapFor(c.verse), c.map) << c.verse;
  EXPECT_EQ(MapPath("/data/", "@@", "exodus.png"), "/data/maps/exodus.png");
  EXPECT_EQ(MapPath("/data/", "/media/cd/", "exodus.png"), "/media/cd/iridel/maps/exodus.png");
  EXPECT_TRUE(IsPictureFile("A.JPG"));
  EXPECT_FALSE(IsPictureFile("scene.mpg"));
}
