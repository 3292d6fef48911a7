// The workspace record against the settings file: defaults, damaged values,
// dropped windows, and save/restore round trips.
#include "app/shell/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <vector>

#include "app/shell/settings.h"
#include "app/shell/tests/shelltest.h"
#include "platform/profile.h"

namespace {

using klmw::CWhere;
using klmw::CWhereEntry;
using shelltest::TempDir;

struct Rect {
  int left, top, right, bottom;
};

Rect RectOf(const CWhereEntry& e) { return {e.left, e.top, e.right, e.bottom}; }
bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(WorkspaceTest, EmptySettingsGiveTheMainFrameAndOneBibleWindow) {
  TempDir dir;
  shelltest::WriteFile(dir.Ini(), "");
  CWhere where;
  ASSERT_EQ(where.Restore(dir.Ini(), 0), 2);
  const auto& e = where.GetEntries();
  EXPECT_TRUE((RectOf(e[0]) == Rect{0, 0, 600, 440}));
  EXPECT_TRUE((RectOf(e[1]) == Rect{0, 0, 500, 330}));
  EXPECT_EQ(e[1].treeWidth, 100);
  EXPECT_EQ(e[1].pageDownMode, 4);
  EXPECT_EQ(e[1].bookName, " ");
  EXPECT_EQ(e[1].searchString, " ");
  // No settings file at all reads the same.
  CWhere none;
  EXPECT_EQ(none.Restore(dir.Path() + "/missing.ini", 3), 2);
  EXPECT_EQ(none.GetEntries(), where.GetEntries());
}

TEST(WorkspaceTest, WindowCountsAreBounded) {
  const struct {
    const char* value;
    int count;
  } cases[] = {
      {"1", 2},          {"0", 2},           {"-7", 2},       {"abc", 2},   {"3", 3},
      {"  5 ", 5},       {"64", 64},         {"65", 64},      {"2147483647", 64},
      {"99999999999999999999", 64},          {"-2147483648", 2}, {"4x", 4},
  };
  for (const auto& c : cases) {
    TempDir dir;
    platform::WritePrivateProfileString("BookShelf2", "NumberWindows", c.value, dir.Ini());
    CWhere where;
    EXPECT_EQ(where.Restore(dir.Ini(), 2), c.count) << c.value;
  }
}

TEST(WorkspaceTest, WindowRecordsParseWithAnyBlanks) {
  const struct {
    const char* text;
    int numbers;
    int expect[10];
  } cases[] = {
      {"1, 2, 3, 4, 5, 6, 7, 8, 9,  10", 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"1,2,3,4,5,6,7,8,9,10", 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"  1 ,\t2 ,   3,4,5,6,7,8,9,    10   ", 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"-1, -2, 0, 0, 0, 0, -30, -40, 9, 10", 10, {-1, -2, 0, 0, 0, 0, -30, -40, 9, 10}},
      // Too few numbers, garbage, and numbers past int are cut short or
      // clamped, never read past the text.
      {"1, 2, 3", 3, {1, 2, 3, 0, 0, 0, 0, 0, 0, 0}},
      {"garbage", 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"1, x, 3", 1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"99999999999, 2", 2, {2147483647, 2, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"", 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"1,", 1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    CWhereEntry e;
    e.bookName = "kept";
    EXPECT_EQ(klmw::ParseWindowRecord(c.text, e), c.numbers) << c.text;
    const int got[10] = {e.bookIndex, e.sectionKey, e.showState, e.treeWidth, e.firstPosition,
                         e.pageDownMode, e.left, e.top, e.right, e.bottom};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(got[i], c.expect[i]) << c.text << " number " << i;
    EXPECT_EQ(e.bookName, "kept");
  }
  CWhereEntry e;
  klmw::ParseWindowRecord("1, 2, 3, 4, 5, 6, 7, 8, 9, 10", e);
  EXPECT_EQ(klmw::FormatWindowRecord(e), "1, 2, 3, 4, 5, 6, 7, 8, 9,  10");
}

TEST(WorkspaceTest, ShortRecordsKeepTheDefaultsForWhatTheyLack) {
  TempDir dir;
  const std::string ini = dir.Ini();
  platform::WritePrivateProfileString("BookShelf0", "NumberWindows", "3", ini);
  platform::WritePrivateProfileString("BookShelf0", "Window1", "5, 77", ini);
  platform::WritePrivateProfileString("BookShelf0", "Window2", "rubbish", ini);
  CWhere where;
  ASSERT_EQ(where.Restore(ini, 0), 3);
  const auto& e = where.GetEntries();
  EXPECT_EQ(e[1].bookIndex, 5);
  EXPECT_EQ(e[1].sectionKey, 77);
  EXPECT_EQ(e[1].treeWidth, 100);
  EXPECT_TRUE((RectOf(e[1]) == Rect{0, 0, 500, 330}));
  EXPECT_TRUE((RectOf(e[2]) == Rect{0, 0, 500, 330}));
}

// A window without a rectangle of its own is placed by the program (a first
// start takes most of the screen); one with a rectangle stays as saved.
TEST(WorkspaceTest, WhetherARectangleWasSaved) {
  const struct {
    const char* name;
    std::map<std::string, std::string> keys;  // of BookShelf0
    std::vector<bool> saved;                  // per entry, frame first
  } cases[] = {
      {"nothing saved", {}, {false, false}},
      {"frame and window", {{"Window0", "0,0,0,0,0,0, 5,6,700,500"}, {"Window1", "0,0,0,100,0,4, 1,2,300,200"}},
       {true, true}},
      {"window only", {{"Window1", "0,0,0,100,0,4, 1,2,300,200"}}, {false, true}},
      {"record cut short", {{"Window0", "0,0,0,0,0,0, 5,6,700"}, {"Window1", "0, 9"}}, {false, false}},
      {"garbage record", {{"Window0", "garbage"}}, {false, false}},
      // The keys of saved window 2 fill the slot of the dropped window 1.
      {"dropped window",
       {{"NumberWindows", "3"}, {"TextPath1", "/no/such/folder/"}, {"Window2", "0,0,0,100,0,4, 1,2,300,200"}},
       {false, true}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const auto& [key, value] : c.keys)
      platform::WritePrivateProfileString("BookShelf0", key.c_str(), value.c_str(), dir.Ini());
    CWhere where;
    ASSERT_EQ(where.Restore(dir.Ini(), 0), static_cast<int>(c.saved.size())) << c.name;
    for (size_t i = 0; i < c.saved.size(); ++i) EXPECT_EQ(where.WasRectSaved(static_cast<int>(i)), c.saved[i]) << c.name << " " << i;
    EXPECT_FALSE(where.WasRectSaved(static_cast<int>(c.saved.size()))) << c.name;
    EXPECT_FALSE(where.WasRectSaved(-1)) << c.name;
  }
}

TEST(WorkspaceTest, AVanishedTextPathDropsItsWindowAndTheLaterOnesMoveUp) {
  TempDir dir;
  const std::string ini = dir.Ini();
  const std::string a = dir.MakeDir("a"), c = dir.MakeDir("c");
  // A Bible's text path is folder/CODE/: what exists is folder/CODE.ixb.
  shelltest::WriteFile(dir.Path() + "/KJS.ixb", "x");
  const std::string sec = "BookShelf1";
  auto put = [&](const std::string& key, const std::string& value) {
    platform::WritePrivateProfileString(sec.c_str(), key.c_str(), value.c_str(), ini);
  };
  put("NumberWindows", "5");
  const std::string paths[] = {" ", a + "/", dir.Path() + "/gone/", c + "/", dir.Path() + "/also-gone/",
                               dir.Path() + "/KJS/"};
  put("NumberWindows", "6");
  for (int i = 0; i < 6; ++i) {
    put("BookName" + std::to_string(i), "Book" + std::to_string(i));
    put("TextPath" + std::to_string(i), paths[i]);
    put("Window" + std::to_string(i), "0, " + std::to_string(i * 10) + ", 0, 100, 3, 1, 1, 2, 3, 4");
    put((i == 3 ? "SearchString" : "StringToParse") + std::to_string(i), "find" + std::to_string(i));
  }
  CWhere where;
  ASSERT_EQ(where.Restore(ini, 1), 4);
  const auto& e = where.GetEntries();
  EXPECT_EQ(e[1].bookName, "Book1");
  EXPECT_EQ(e[2].bookName, "Book3");
  EXPECT_EQ(e[2].sectionKey, 30);  // the keys of saved window 3 fill slot 2
  EXPECT_EQ(e[2].searchString, "find3");
  EXPECT_EQ(e[2].firstPosition, 3);
  EXPECT_EQ(e[2].textPath, c + "/");
  EXPECT_EQ(e[3].bookName, "Book5");
}

TEST(WorkspaceTest, SaveAndRestoreRoundTrip) {
  TempDir dir;
  const std::string ini = dir.Ini();
  const std::string book = dir.MakeDir("book");
  // Keys of other sections and settings the workspace does not own stay.
  platform::WritePrivateProfileString("Options", "Sync", "1", ini);
  platform::WritePrivateProfileString("BookShelf0", "Unrelated", "keep me", ini);

  CWhere where;
  CWhereEntry frame;
  frame.left = 10, frame.top = 20, frame.right = 810, frame.bottom = 620;
  CWhereEntry bible;
  bible.bookIndex = 2, bible.sectionKey = 1234, bible.treeWidth = 140, bible.firstPosition = 9;
  bible.pageDownMode = 3, bible.left = 5, bible.top = 6, bible.right = 400, bible.bottom = 300;
  bible.bookName = "KJS", bible.textPath = book + "/", bible.searchString = "love & peace";
  CWhereEntry plain;
  plain.bookName = "A Book", plain.textPath = " ", plain.searchString = " ";
  plain.right = 100, plain.bottom = 50, plain.firstPosition = 12;
  where.GetEntries() = {frame, bible, plain};
  ASSERT_TRUE(where.Save(ini, 0));
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf0", "Window1", "", ini), "2, 1234, 0, 140, 9, 3, 5, 6, 400,  300");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf0", "StringToParse1", "", ini), "love & peace");

  CWhere back;
  ASSERT_EQ(back.Restore(ini, 0), 3);
  EXPECT_EQ(back.GetEntries(), where.GetEntries());
  EXPECT_EQ(platform::GetPrivateProfileString("Options", "Sync", "", ini), "1");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf0", "Unrelated", "", ini), "keep me");

  // Saving what is already there does not rewrite the file, so the frame
  // can save as often as windows change.
  struct stat before {}, after {};
  ASSERT_EQ(::stat(ini.c_str(), &before), 0);
  ASSERT_TRUE(back.Save(ini, 0));
  ASSERT_EQ(::stat(ini.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  // A change is written, and only to its own key.
  back.GetEntries()[1].sectionKey = 99;
  ASSERT_TRUE(back.Save(ini, 0));
  CWhere again;
  again.Restore(ini, 0);
  EXPECT_EQ(again.GetEntries()[1].sectionKey, 99);
  EXPECT_EQ(again.GetEntries()[2], where.GetEntries()[2]);
}

TEST(WorkspaceTest, SearchStringsAndTheFirstPositionValue) {
  const struct {
    const char* stringToParse;  // nullptr: no key
    const char* searchString;
    const char* search;
    int firstPosition;
  } cases[] = {
      {"saved", "older", "saved", 8}, {nullptr, "older", "older", 8}, {"", nullptr, " ", 8},
      {nullptr, nullptr, " ", 0},
  };
  for (const auto& c : cases) {
    TempDir dir;
    platform::WritePrivateProfileString("BookShelf0", "Window1", "0, 0, 0, 100, 8, 4, 0, 0, 500, 330", dir.Ini());
    if (c.stringToParse) platform::WritePrivateProfileString("BookShelf0", "StringToParse1", c.stringToParse, dir.Ini());
    if (c.searchString) platform::WritePrivateProfileString("BookShelf0", "SearchString1", c.searchString, dir.Ini());
    CWhere where;
    where.Restore(dir.Ini(), 0);
    EXPECT_EQ(where.GetEntries()[1].searchString, c.search);
    EXPECT_EQ(where.GetEntries()[1].firstPosition, c.firstPosition);
  }
}

TEST(WorkspaceTest, ChildrenShiftToTheOrigin) {
  CWhere where;
  CWhereEntry frame;
  frame.left = 300, frame.right = 900;
  CWhereEntry a, b;
  a.left = 50, a.top = 80, a.right = 150, a.bottom = 180;
  b.left = 20, b.top = 120, b.right = 40, b.bottom = 140;
  where.GetEntries() = {frame, a, b};
  where.ShiftChildrenToOrigin();
  const auto& e = where.GetEntries();
  EXPECT_TRUE((RectOf(e[0]) == Rect{300, 0, 900, 0}));
  EXPECT_TRUE((RectOf(e[1]) == Rect{30, 0, 130, 100}));
  EXPECT_TRUE((RectOf(e[2]) == Rect{0, 40, 20, 60}));
}

TEST(WorkspaceTest, WordsLikeSolt) {
  const struct {
    const char* stored;  // nullptr: no key
    std::vector<std::string> words;
    const char* after;
  } cases[] = {
      {"a,b", {"A", "B"}, "a,b"},
      {nullptr, {"SOLT"}, "SOLT"},
      {"", {"SOLT"}, "SOLT"},
      {",, ,", {"SOLT"}, "SOLT"},
      {"solt, Logos ,x", {"SOLT", "LOGOS", "X"}, "solt, Logos ,x"},
      {"one", {"ONE"}, "one"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.stored) platform::WritePrivateProfileString("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT", c.stored, dir.Ini());
    CWhere where;
    EXPECT_EQ(where.LoadWordsLikeSolt(dir.Ini()), c.words) << (c.stored ? c.stored : "(absent)");
    EXPECT_EQ(platform::GetPrivateProfileString("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT", "", dir.Ini()), c.after);
    EXPECT_TRUE(where.IsWordLikeSolt(c.words.front() == "SOLT" ? "Solt" : c.words.front()));
  }
}

TEST(WorkspaceTest, BookDocumentNames) {
  EXPECT_EQ(klmw::FormatBookDocumentName(3, 1200), "Book# 3 1200");
  const struct {
    const char* name;
    bool ok;
    int book, section;
  } cases[] = {
      {"Book# 3 1200", true, 3, 1200}, {"Book# 0 -1", true, 0, -1},   {"Book#  2   7 ", true, 2, 7},
      {"Book# 3", false, 0, 0},        {"Book 3 4", false, 0, 0},     {"Book# 3 4 5", false, 0, 0},
      {"KJS", false, 0, 0},            {"Book# x 4", false, 0, 0},    {"", false, 0, 0},
  };
  for (const auto& c : cases) {
    int b = -9, s = -9;
    EXPECT_EQ(klmw::ParseBookDocumentName(c.name, b, s), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(std::make_pair(b, s), std::make_pair(c.book, c.section)) << c.name;
    }
  }
}

TEST(WorkspaceTest, TreeDimensionsAndBookshelfNumber) {
  TempDir dir;
  int w = -1, h = -1;
  EXPECT_FALSE(klmw::ReadTreeDimensions(dir.Ini(), w, h));
  ASSERT_TRUE(klmw::WriteTreeDimensions(dir.Ini(), 10, 400));
  ASSERT_TRUE(klmw::ReadTreeDimensions(dir.Ini(), w, h));
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(30, 400));
  EXPECT_EQ(platform::GetPrivateProfileString("options", "tree_dimentions", "", dir.Ini()), "30,400");
  platform::WritePrivateProfileString("options", "tree_dimentions", "wide", dir.Ini());
  EXPECT_FALSE(klmw::ReadTreeDimensions(dir.Ini(), w, h));

  EXPECT_EQ(klmw::ReadCurrentBookshelf(dir.Ini()), 0);
  platform::WritePrivateProfileString("BookShelf", "Value", "-4", dir.Ini());
  EXPECT_EQ(klmw::ReadCurrentBookshelf(dir.Ini()), 0);
  klmw::WriteCurrentBookshelf(dir.Ini(), 3);
  EXPECT_EQ(klmw::ReadCurrentBookshelf(dir.Ini()), 3);
}

}  // namespace
