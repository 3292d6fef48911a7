#include "bookcase/bookcaselogic.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bookcase/tests/bookcasetest.h"

namespace bookcase {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

std::vector<std::string> BookTexts(const CDataSetItem& dataSet) {
  std::vector<std::string> texts;
  for (const CBookItem& book : dataSet.m_books) texts.push_back(book.GetText());
  return texts;
}

TEST(BookCaseDefPath, IsTheDescriptionsOwnFolder) {
  struct Case {
    std::string description;
    std::string path;
    std::string expected;
  } cases[] = {
      // Whatever the length of the description's name.
      {"/lib/books/volume.ini", ".", "/lib/books"},
      {"/lib/books/a-much-longer-description.ini", ".", "/lib/books"},
      {"/lib/books/v.ini", ".", "/lib/books"},
      {"/lib/books/v.ini", "", "/lib/books"},
      {"/lib/books/v.ini", "kjv", "/lib/books/kjv"},
      {"/lib/books/v.ini", "kjv/", "/lib/books/kjv"},
      {"/lib/books/v.ini", "notes\\part 2", "/lib/books/notes/part 2"},
      {"/lib/books/v.ini", "\\kjv", "/lib/books/kjv"},
      {"/lib/books/v.ini", "./kjv", "/lib/books/kjv"},
      {"/lib/books/v.ini", "../other", "/lib/other"},
      {"/lib/books/./v.ini", ".", "/lib/books"},
      {"/volume.ini", ".", "/"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MakeDefPath(c.description, c.path), c.expected) << c.description << " + " << c.path;
}

TEST(BookCaseDefPath, RelativeDescriptionBecomesAbsolute) {
  std::string expected = fs::current_path().string() + "/lib";
  EXPECT_EQ(MakeDefPath("lib/volume.ini", "."), expected);
  EXPECT_EQ(MakeDefPath("volume.ini", "x"), fs::current_path().string() + "/x");
}

using BookCaseAdd = BookCaseTest;

TEST_F(BookCaseAdd, NewDataSetWritesEveryKey) {
  std::string desc = WriteDescription(
      "volume.ini", Description("Sample", {{"7", "Alpha", ".", "verse", "3"}, {"8", "Beta", "beta", "word", "4"}}));
  CBookCase bookCase(Home(), &m_volumes);
  CAddResult result = bookCase.AddDescription(desc);
  ASSERT_EQ(result.m_status, AddStatus::Added);
  EXPECT_EQ(result.m_dataSet, 1u);
  ASSERT_EQ(result.m_books.size(), 2u);
  EXPECT_EQ(result.m_books[1].m_section, "BOOK_1_2");

  EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), "1");
  EXPECT_EQ(Get("DATASET_1", "DATASETNAME"), "Sample");
  EXPECT_EQ(Get("DATASET_1", "PUBLISHERNAME"), "Public domain");
  EXPECT_EQ(Get("DATASET_1", "BOOKCOUNT"), "2");
  EXPECT_EQ(Get("BOOK_1_1", "BOOKNAME"), "Alpha");
  EXPECT_EQ(Get("BOOK_1_1", "DEFPATH"), Lib());  // Path ".": no trailing slash
  EXPECT_EQ(Get("BOOK_1_1", "DEFVOLUMEID"), "BOOKS");
  EXPECT_EQ(Get("BOOK_1_1", "DEFMEDIATYPE"), "FIXED");
  EXPECT_EQ(Get("BOOK_1_1", "SYNCTYPE"), "verse");
  EXPECT_EQ(Get("BOOK_1_1", "BOOKID"), "7");
  EXPECT_EQ(Get("BOOK_1_1", "IGNORE"), "N");
  EXPECT_EQ(Get("BOOK_1_1", "PUBLISHERID"), "3");
  EXPECT_EQ(Get("BOOK_1_2", "DEFPATH"), Lib() + "/beta");
  EXPECT_EQ(Get("BOOK_1_2", "SYNCTYPE"), "word");
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(BookCaseAdd, MediaTypeAndLabelFollowTheDrive) {
  using platform::DriveType;
  struct Case {
    DriveType type;
    const char* mediaType;  // nullptr: no key
  } cases[] = {
      {DriveType::Fixed, "FIXED"},    {DriveType::Removable, "REMOVABLE"}, {DriveType::CdRom, "REMOVABLE"},
      {DriveType::Remote, nullptr},   {DriveType::RamDisk, nullptr},       {DriveType::Unknown, nullptr},
      {DriveType::NoRootDir, nullptr},
  };
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "Book"}}));
  for (const Case& c : cases) {
    fs::remove(Settings());
    m_volumes.m_type = c.type;
    CBookCase bookCase(Home(), &m_volumes);
    ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
    EXPECT_EQ(Get("BOOK_1_1", "DEFMEDIATYPE", "(none)"), c.mediaType ? c.mediaType : "(none)")
        << static_cast<int>(c.type);
  }
  // A volume that cannot be asked has no label.
  fs::remove(Settings());
  m_volumes.m_labelKnown = false;
  m_volumes.m_label = "STALE";
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
  EXPECT_EQ(Get("BOOK_1_1", "DEFVOLUMEID", "(none)"), "");
}

TEST_F(BookCaseAdd, DescriptionsThatAddNothing) {
  static const char kJunk[] = "\0\xff[\x01=\n]]]\n[Book 1]\nBookID=1";
  struct Case {
    const char* what;
    std::string text;
    AddStatus status;
  } cases[] = {
      {"no data set name", Description("", {{"1", "Book"}}), AddStatus::NoDataSetName},
      {"no Publisher Data", "[Book 1]\nBookID=1\nName=Book\n", AddStatus::NoDataSetName},
      {"empty file", "", AddStatus::NoDataSetName},
      {"binary junk", std::string(kJunk, sizeof kJunk - 1), AddStatus::NoDataSetName},
      {"no books", Description("Set", {}), AddStatus::NoBooks},
      {"first book without BookID", "[Publisher Data]\nDataSetName=Set\n[Book 1]\nName=Book\n[Book 2]\nBookID=2\n",
       AddStatus::NoBooks},
      {"first BookID 0", Description("Set", {{"0", "Zero"}, {"2", "Two"}}), AddStatus::NoBooks},
      {"first BookID not a number", Description("Set", {{"abc", "Word"}}), AddStatus::NoBooks},
      {"books counted from 1", "[Publisher Data]\nDataSetName=Set\n[Book 2]\nBookID=2\nName=Two\n",
       AddStatus::NoBooks},
  };
  for (const Case& c : cases) {
    std::string desc = WriteDescription("volume.ini", c.text);
    CBookCase bookCase(Home(), &m_volumes);
    EXPECT_EQ(bookCase.AddDescription(desc).m_status, c.status) << c.what;
    // Not even the data set, nor an empty settings file.
    EXPECT_FALSE(fs::exists(Settings())) << c.what;
  }
  CBookCase bookCase(Home(), &m_volumes);
  EXPECT_EQ(bookCase.AddDescription(Lib() + "/missing.ini").m_status, AddStatus::NoDataSetName);
  EXPECT_FALSE(fs::exists(Settings()));
}

TEST_F(BookCaseAdd, BooksEndAtTheFirstWithoutBookID) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> names;
  } cases[] = {
      {"gap after 2",
       Description("Set", {{"1", "One"}, {"2", "Two"}}) + "\n[Book 4]\nBookID=4\nName=Four\n", {"One", "Two"}},
      {"BookID 0 in 2", Description("Set", {{"1", "One"}, {"0", "Zero"}, {"3", "Three"}}), {"One"}},
      {"section names ignore case", "[publisher data]\ndatasetname=Set\n[BOOK 1]\nbookid=9\nname=Nine\n", {"Nine"}},
      {"negative BookID is nonzero", Description("Set", {{"-1", "Minus"}}), {"Minus"}},
  };
  for (const Case& c : cases) {
    fs::remove(Settings());
    std::string desc = WriteDescription("volume.ini", c.text);
    CBookCase bookCase(Home(), &m_volumes);
    ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added) << c.what;
    std::vector<CDataSetItem> tree = bookCase.LoadTree();
    ASSERT_EQ(tree.size(), 1u) << c.what;
    EXPECT_EQ(BookTexts(tree[0]), c.names) << c.what;
    EXPECT_EQ(Get("DATASET_1", "BOOKCOUNT"), std::to_string(c.names.size())) << c.what;
  }
}

TEST_F(BookCaseAdd, DescriptionNamesOfAnyLength) {
  fs::create_directory(Lib() + "/one");
  fs::create_directory(Lib() + "/two");
  std::string a = WriteDescription("one/volume.ini", Description("A", {{"1", "A1"}}));
  std::string b = WriteDescription("two/description-of-the-second-set.ini", Description("B", {{"1", "B1", "sub"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(a).m_status, AddStatus::Added);
  ASSERT_EQ(bookCase.AddDescription(b).m_status, AddStatus::Added);
  EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), "2");
  EXPECT_EQ(Get("BOOK_1_1", "DEFPATH"), Lib() + "/one");
  EXPECT_EQ(Get("BOOK_2_1", "DEFPATH"), Lib() + "/two/sub");
}

TEST_F(BookCaseAdd, RegisteredDataSetIsExtended) {
  std::string first = WriteDescription("first.ini", Description("Set", {{"1", "One"}, {"2", "Two"}}));
  std::string second =
      WriteDescription("second.ini", Description("Set", {{"2", "Two again"}, {"3", "Three"}, {"4", "Four"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(first).m_status, AddStatus::Added);

  CAddResult result = bookCase.AddDescription(second);
  ASSERT_EQ(result.m_status, AddStatus::Extended);
  EXPECT_EQ(result.m_dataSet, 1u);
  ASSERT_EQ(result.m_books.size(), 2u);
  EXPECT_EQ(result.m_books[0].m_section, "BOOK_1_3");
  EXPECT_EQ(result.m_books[1].m_section, "BOOK_1_4");
  EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), "1");
  EXPECT_EQ(Get("DATASET_1", "BOOKCOUNT"), "4");
  EXPECT_EQ(Get("BOOK_1_2", "BOOKNAME"), "Two");  // the registered book stays
  EXPECT_EQ(Get("BOOK_1_3", "BOOKID"), "3");
  EXPECT_EQ(Get("BOOK_1_4", "BOOKNAME"), "Four");
  EXPECT_EQ(BookTexts(bookCase.LoadTree().at(0)), (std::vector<std::string>{"One", "Two", "Three", "Four"}));

  // Once more: every BookID is there already; nothing changes.
  std::string before = ReadFile(Settings());
  EXPECT_EQ(bookCase.AddDescription(second).m_status, AddStatus::AlreadyRegistered);
  EXPECT_EQ(ReadFile(Settings()), before);
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(BookCaseAdd, ValuesReadBackAsWritten) {
  // Quotes and blanks that the profile functions would take off on reading.
  fs::create_directory(Lib() + "/folder ");
  std::string desc = WriteDescription(
      "folder /volume.ini", "[Publisher Data]\nDataSetName=\"'quoted'\"\n[Book 1]\nBookID=1\nName=\" padded \"\n");
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
  EXPECT_EQ(Get("DATASET_1", "DATASETNAME"), "'quoted'");
  EXPECT_EQ(Get("BOOK_1_1", "BOOKNAME"), " padded ");
  EXPECT_EQ(Get("BOOK_1_1", "DEFPATH"), Lib() + "/folder ");
  // The name is found again, so the book is not registered twice.
  EXPECT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::AlreadyRegistered);

  // A name ends at a NUL byte, on reading as on writing.
  static const char kNul[] = "[Publisher Data]\nDataSetName='quoted'\0tail\n[Book 1]\nBookID=2\nName=Two\n";
  std::string nul = WriteDescription("nul.ini", std::string(kNul, sizeof kNul - 1));
  CAddResult result = bookCase.AddDescription(nul);
  EXPECT_EQ(result.m_status, AddStatus::Extended);
  EXPECT_EQ(result.m_dataSetName, "'quoted'");
}

TEST_F(BookCaseAdd, OnlyTheLastDataSetGrows) {
  std::string a = WriteDescription("a.ini", Description("A", {{"1", "A1"}}));
  std::string b = WriteDescription("b.ini", Description("B", {{"1", "B1"}}));
  std::string more = WriteDescription("more.ini", Description("A", {{"2", "A2"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(a).m_status, AddStatus::Added);
  ASSERT_EQ(bookCase.AddDescription(b).m_status, AddStatus::Added);
  std::string before = ReadFile(Settings());
  CAddResult result = bookCase.AddDescription(more);
  EXPECT_EQ(result.m_status, AddStatus::Different);
  EXPECT_EQ(result.m_dataSet, 1u);
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text, "They're Different");
  EXPECT_EQ(ReadFile(Settings()), before);

  // Registering A again adds nothing and is no error, though B follows it:
  // scripts register their descriptions on every run.
  result = bookCase.AddDescription(a);
  EXPECT_EQ(result.m_status, AddStatus::AlreadyRegistered);
  EXPECT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(ReadFile(Settings()), before);
}

TEST_F(BookCaseAdd, StaleSectionsUnderTheNewNumberGo) {
  // A data set count that lost its last set, and the sections still there.
  WriteFile(Settings(),
            "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=Old\nBOOKCOUNT=1\n[BOOK_1_1]\nBOOKNAME=Kept\n"
            "DEFPATH=/old\n[DATASET_2]\nDATASETNAME=Gone\nTOTALBOOKCOUNT=9\n[BOOK_2_1]\nBOOKNAME=Gone\n"
            "DEFMEDIATYPE=REMOVABLE\nSTATUS=INACTIVE\n");
  m_volumes.m_type = platform::DriveType::Remote;
  std::string desc = WriteDescription("volume.ini", Description("New", {{"1", "Fresh"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
  EXPECT_EQ(Get("BOOK_1_1", "BOOKNAME"), "Kept");
  EXPECT_EQ(Get("DATASET_2", "DATASETNAME"), "New");
  EXPECT_EQ(Get("DATASET_2", "TOTALBOOKCOUNT", "(none)"), "(none)");
  EXPECT_EQ(Get("BOOK_2_1", "BOOKNAME"), "Fresh");
  EXPECT_EQ(Get("BOOK_2_1", "DEFMEDIATYPE", "(none)"), "(none)");
  EXPECT_EQ(Get("BOOK_2_1", "STATUS", "(none)"), "(none)");
}

TEST_F(BookCaseAdd, RefusedWriteLeavesTheCountsAlone) {
  // A folder name with a line break cannot be stored as a value.
  fs::create_directory(Lib() + "/bad\nname");
  std::string good = WriteDescription("volume.ini", Description("Good", {{"1", "G"}}));
  std::string bad = WriteDescription("bad\nname/volume.ini", Description("Bad", {{"1", "B"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(good).m_status, AddStatus::Added);
  EXPECT_EQ(bookCase.AddDescription(bad).m_status, AddStatus::WriteFailed);
  EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), "1");
  ASSERT_EQ(bookCase.LoadTree().size(), 1u);
  // The next description takes the number the failed one could not.
  std::string next = WriteDescription("next.ini", Description("Next", {{"1", "N"}}));
  CAddResult result = bookCase.AddDescription(next);
  EXPECT_EQ(result.m_status, AddStatus::Added);
  EXPECT_EQ(result.m_dataSet, 2u);
  EXPECT_EQ(Get("DATASET_2", "DATASETNAME"), "Next");
}

using BookCaseTree = BookCaseTest;

TEST_F(BookCaseTree, GarbageInTheSettingsFile) {
  static const char kJunk[] = "\x01\xff[SOLTDATASETS\0]\nDATASETCOUNT=\0\n[[[\n=\n\xef\xbb\xbf";
  const std::string twoSets =
      "[DATASET_1]\nDATASETNAME=One\nBOOKCOUNT=2\n[BOOK_1_1]\nBOOKNAME=A\n[BOOK_1_2]\nBOOKNAME=B\n"
      "[DATASET_2]\nDATASETNAME=Two\nBOOKCOUNT=1\n[BOOK_2_1]\nBOOKNAME=C\n";
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::vector<std::string>> tree;  // per data set: its name, then its books
    unsigned next;                               // the number a new data set gets
  } cases[] = {
      {"no file", "", {}, 1},
      {"count not a number", "[SOLTDATASETS]\nDATASETCOUNT=many\n" + twoSets, {}, 1},
      {"count negative", "[SOLTDATASETS]\nDATASETCOUNT=-1\n" + twoSets, {{"One", "A", "B"}, {"Two", "C"}}, 3},
      {"count huge", "[SOLTDATASETS]\nDATASETCOUNT=99999999999\n" + twoSets, {{"One", "A", "B"}, {"Two", "C"}}, 3},
      {"count past the sections", "[SOLTDATASETS]\nDATASETCOUNT=7\n" + twoSets, {{"One", "A", "B"}, {"Two", "C"}}, 3},
      {"count short of the sections", "[SOLTDATASETS]\nDATASETCOUNT=1\n" + twoSets, {{"One", "A", "B"}}, 2},
      {"book count huge",
       "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=One\nBOOKCOUNT=4000000000\n[BOOK_1_1]\nBOOKNAME=A\n",
       {{"One", "A"}},
       2},
      {"book count short (a disk scan's inactive books)",
       "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nBOOKCOUNT=1\nTOTALBOOKCOUNT=3\n[BOOK_1_1]\nBOOKNAME=A\n"
       "[BOOK_1_2]\nBOOKNAME=B\nSTATUS=INACTIVE\n[BOOK_1_3]\nBOOKNAME=C\n",
       {{"", "A"}},
       2},
      {"a missing book section",
       "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=One\nBOOKCOUNT=3\n[BOOK_1_1]\nBOOKNAME=A\n"
       "[BOOK_1_3]\nBOOKNAME=C\n",
       {{"One", "A", "C"}},
       2},
      {"a data set without a section",
       "[SOLTDATASETS]\nDATASETCOUNT=2\n[BOOK_2_1]\nBOOKNAME=X\n[DATASET_2]\nDATASETNAME=Two\nBOOKCOUNT=1\n",
       {{""}, {"Two", "X"}},
       3},
      {"names that only look like the registry's",
       "[SOLTDATASETS]\nDATASETCOUNT=3\n[DATASET_01]\n[dataset_1x]\n[BOOK_1]\n[BOOK_1_1_1]\n[BOOK_-1_1]\n"
       "[dataset_1]\nbookcount=1\n[book_1_1]\nbookname=lower\n",
       {{"", "lower"}},
       2},
      {"binary junk", std::string(kJunk, sizeof kJunk - 1), {}, 1},
  };
  std::string desc = WriteDescription("volume.ini", Description("Added", {{"1", "New book"}}));
  for (const Case& c : cases) {
    fs::remove(Settings());
    if (!c.text.empty()) WriteFile(Settings(), c.text + "\n[options]\nkeep=me\n");
    CBookCase bookCase(Home(), &m_volumes);
    std::vector<std::vector<std::string>> tree;
    for (const CDataSetItem& dataSet : bookCase.LoadTree()) {
      tree.push_back({dataSet.m_name});
      for (const std::string& text : BookTexts(dataSet)) tree.back().push_back(text);
    }
    EXPECT_EQ(tree, c.tree) << c.what;

    CAddResult result = bookCase.AddDescription(desc);
    ASSERT_EQ(result.m_status, AddStatus::Added) << c.what;
    EXPECT_EQ(result.m_dataSet, c.next) << c.what;
    EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), std::to_string(c.next)) << c.what;
    EXPECT_EQ(bookCase.LoadTree().size(), c.next) << c.what;
    EXPECT_EQ(bookCase.LoadTree().back().m_name, "Added") << c.what;
    // A setting nobody meant to change is still there.
    if (!c.text.empty()) {
      EXPECT_EQ(Get("options", "keep"), "me") << c.what;
    }
  }
}

TEST_F(BookCaseTree, IgnoreFlagsReadFromTheFirstCharacter) {
  struct Case {
    const char* value;
    bool ignore;
  } cases[] = {{"Y", true}, {"y", true}, {"Yes", true}, {"yes please", true}, {"N", false},
               {"", false},  {"No", false}, {" Y", true}, {"\"Y\"", true},     {"1", false}};
  for (const Case& c : cases) {
    WriteFile(Settings(), std::string("[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=S\nBOOKCOUNT=1\n"
                                      "[BOOK_1_1]\nBOOKNAME=Book\nIGNORE=") +
                              c.value + "\n");
    CBookCase bookCase(Home(), &m_volumes);
    std::vector<CDataSetItem> tree = bookCase.LoadTree();
    ASSERT_EQ(tree.size(), 1u);
    ASSERT_EQ(tree[0].m_books.size(), 1u);
    EXPECT_EQ(tree[0].m_books[0].m_ignore, c.ignore) << c.value;
    EXPECT_EQ(tree[0].m_books[0].GetText(), c.ignore ? "[Ignore] Book" : "Book") << c.value;
  }
}

TEST_F(BookCaseTree, IgnoreBookAndDataSet) {
  std::string a = WriteDescription("a.ini", Description("A", {{"1", "A1"}, {"2", "A2"}, {"3", "A3"}}));
  std::string b = WriteDescription("b.ini", Description("B", {{"1", "B1"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_EQ(bookCase.AddDescription(a).m_status, AddStatus::Added);
  ASSERT_EQ(bookCase.AddDescription(b).m_status, AddStatus::Added);

  EXPECT_TRUE(bookCase.SetIgnoreDataSet(1, true));
  EXPECT_EQ(BookTexts(bookCase.LoadDataSet(1)),
            (std::vector<std::string>{"[Ignore] A1", "[Ignore] A2", "[Ignore] A3"}));
  EXPECT_EQ(BookTexts(bookCase.LoadDataSet(2)), (std::vector<std::string>{"B1"}));
  for (const char* section : {"BOOK_1_1", "BOOK_1_2", "BOOK_1_3"}) EXPECT_EQ(Get(section, "IGNORE"), "Y");

  EXPECT_TRUE(bookCase.SetIgnoreBook(1, 2, false));
  EXPECT_EQ(BookTexts(bookCase.LoadDataSet(1)), (std::vector<std::string>{"[Ignore] A1", "A2", "[Ignore] A3"}));
  EXPECT_TRUE(bookCase.SetIgnoreDataSet(1, false));
  EXPECT_EQ(BookTexts(bookCase.LoadDataSet(1)), (std::vector<std::string>{"A1", "A2", "A3"}));

  // Books of the same name stay apart: the number decides.
  std::string twins = WriteDescription("c.ini", Description("B", {{"2", "B1"}}));
  ASSERT_EQ(bookCase.AddDescription(twins).m_status, AddStatus::Extended);
  EXPECT_TRUE(bookCase.SetIgnoreBook(2, 2, true));
  EXPECT_EQ(BookTexts(bookCase.LoadDataSet(2)), (std::vector<std::string>{"B1", "[Ignore] B1"}));

  // Nothing is written for a book or data set that is not registered.
  std::string before = ReadFile(Settings());
  EXPECT_FALSE(bookCase.SetIgnoreBook(1, 4, true));
  EXPECT_FALSE(bookCase.SetIgnoreBook(3, 1, true));
  EXPECT_TRUE(bookCase.SetIgnoreDataSet(3, true));
  EXPECT_EQ(ReadFile(Settings()), before);
}

using BookCaseSession = BookCaseTest;

TEST_F(BookCaseSession, CancelRemovesASettingsFileThatWasNotThere) {
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "Book"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_TRUE(bookCase.Open());
  EXPECT_FALSE(fs::exists(Backup()));
  ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
  ASSERT_TRUE(fs::exists(Settings()));
  EXPECT_TRUE(bookCase.Cancel());
  EXPECT_FALSE(fs::exists(Settings()));
  EXPECT_FALSE(fs::exists(Backup()));
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(BookCaseSession, CancelRestoresAndOkKeeps) {
  const std::string original = "; the user's own settings\r\n[options]\r\nkeep=me\r\n";
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "Book"}}));
  for (bool ok : {false, true}) {
    WriteFile(Settings(), original);
    CBookCase bookCase(Home(), &m_volumes);
    ASSERT_TRUE(bookCase.Open());
    EXPECT_EQ(ReadFile(Backup()), original);
    ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
    ASSERT_TRUE(bookCase.SetIgnoreDataSet(1, true));
    if (ok) {
      EXPECT_TRUE(bookCase.Ok());
      EXPECT_EQ(Get("BOOK_1_1", "IGNORE"), "Y");
      EXPECT_EQ(Get("options", "keep"), "me");
    } else {
      EXPECT_TRUE(bookCase.Cancel());
      EXPECT_EQ(ReadFile(Settings()), original);  // byte for byte
    }
    EXPECT_FALSE(fs::exists(Backup())) << ok;
  }
  // Nothing was created beside the two files.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(Home())) left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"KLMW.INI"});
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(BookCaseSession, CancelKeepsALinkedSettingsFileALink) {
  // Settings kept elsewhere (with the user's other files) and linked in.
  const std::string original = "[options]\nkeep=me\n";
  std::string real = Lib() + "/real.ini";
  WriteFile(real, original);
  fs::create_symlink(real, Settings());
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "Book"}}));
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_TRUE(bookCase.Open());
  ASSERT_EQ(bookCase.AddDescription(desc).m_status, AddStatus::Added);
  EXPECT_TRUE(bookCase.Cancel());
  EXPECT_TRUE(fs::is_symlink(Settings()));
  EXPECT_EQ(ReadFile(real), original);
}

TEST_F(BookCaseSession, StaleBackupIsNotRestored) {
  // A session that never ended left its backup; there is no settings file now.
  WriteFile(Backup(), "[SOLTDATASETS]\nDATASETCOUNT=1\n");
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_TRUE(bookCase.Open());
  EXPECT_FALSE(fs::exists(Backup()));
  EXPECT_TRUE(bookCase.Cancel());
  EXPECT_FALSE(fs::exists(Settings()));
}

TEST_F(BookCaseSession, BackupThatCannotBeTakenKeepsTheSettings) {
  const std::string original = "[SOLTDATASETS]\nDATASETCOUNT=0\n";
  WriteFile(Settings(), original);
  // A folder where the backup should go cannot be replaced by a file.
  fs::create_directory(Backup());
  WriteFile(Backup() + "/x", "x");
  CBookCase bookCase(Home(), &m_volumes);
  EXPECT_FALSE(bookCase.Open());
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text, "Could not temporarily save the Iridel INI file");
  EXPECT_TRUE(bookCase.Cancel());
  EXPECT_EQ(ReadFile(Settings()), original);
}

TEST_F(BookCaseSession, FailuresSayError) {
  WriteFile(Settings(), "[options]\nkeep=me\n");
  CBookCase bookCase(Home(), &m_volumes);
  ASSERT_TRUE(bookCase.Open());
  // The backup vanished: Cancel cannot go back, and says so.
  fs::remove(Backup());
  EXPECT_FALSE(bookCase.Cancel());
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text, "Error");
  EXPECT_EQ(Get("options", "keep"), "me");

  // The backup cannot be deleted on OK.
  m_messages.m_shown.clear();
  ASSERT_TRUE(bookCase.Open());
  fs::remove(Backup());
  fs::create_directory(Backup());
  WriteFile(Backup() + "/x", "x");
  EXPECT_FALSE(bookCase.Ok());
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text, "Error");
}

}  // namespace
}  // namespace bookcase
