// Opening and closing a book's file set: sharing, identity and version
// checks, error codes and the disk prompt.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/messages.h"
#include "platform/volumes.h"
#include "testbook.h"

namespace {

using testbook::BookDir;

solt::cViewableWriter SmallWriter(const solt::sVersionInfo& version = testbook::Version()) {
  solt::cViewableWriter writer(version);
  writer.SetHeaderText("{\\title:A Test Commentary}{\\author:Anon}");
  writer.SetHeaderArea("{\\rtf1\\ansi ");
  writer.AddArea("In the beginning.\\par }");
  return writer;
}

struct EventLog {
  int clones = 0;
  int prompts = 0;
  int idReports = 0;
  int versionReports = 0;
  int destroyed = 0;
  std::vector<int> lastReport;
};

class RecordingEvents : public cSOLTEvents {
 public:
  RecordingEvents(EventLog& log, int promptAnswers) : m_log(log), m_promptAnswers(promptAnswers) {}
  ~RecordingEvents() override { ++m_log.destroyed; }
  cSOLTEvents* Clone() override {
    ++m_log.clones;
    return new RecordingEvents(m_log, m_promptAnswers);
  }
  int PromptForDisk(const char*, cSOLTBook&) override {
    ++m_log.prompts;
    return m_promptAnswers-- > 0 ? 1 : 0;
  }
  void ReportIDMismatch(const char*, int a, int b, int c, int d) override {
    ++m_log.idReports;
    m_log.lastReport = {a, b, c, d};
  }
  void ReportVersionMismatch(const char*, int a, int b, int c, int d) override {
    ++m_log.versionReports;
    m_log.lastReport = {a, b, c, d};
  }

 private:
  EventLog& m_log;
  int m_promptAnswers;
};

class SoltBook : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetLiveFileSetCount(), 0); }
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0) << "a file set outlived its books"; }

  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scope{&m_messages};
};

TEST_F(SoltBook, BooksWithTheSameTextPathShareOneFileSet) {
  BookDir dir(SmallWriter());
  cSOLTBook first = dir.MakeBook();
  cSOLTBook second = dir.MakeBook();
  ASSERT_EQ(first.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX), 0);
  ASSERT_EQ(second.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX | SOLT_SECTIONS_IDX), 0);
  EXPECT_EQ(GetLiveFileSetCount(), 1);
  EXPECT_EQ(first.GetFileSet(), second.GetFileSet());

  first.Close(SOLT_ALL_OPEN);
  EXPECT_EQ(first.IsOpen(SOLT_BOOK_DAT), 0);
  EXPECT_EQ(GetLiveFileSetCount(), 1);
  std::vector<char> text(second.GetViewableAreaSize(1));
  EXPECT_EQ(second.GetViewableArea(1, text.data()), 0);
  EXPECT_EQ(std::string(text.begin(), text.end()), "{\\rtf1\\ansi In the beginning.\\par }");

  second.Close(SOLT_ALL_OPEN);
  EXPECT_EQ(GetLiveFileSetCount(), 0);
}

TEST_F(SoltBook, TextPathsDifferingInCaseMakeSeparateSets) {
  BookDir dir(SmallWriter());
  std::string upper = dir.Path();
  // Same directory reached through a second spelling: a symlink whose name
  // differs only in case.
  std::string link = upper.substr(0, upper.size() - 1) + "LINK/";
  std::string lower = upper.substr(0, upper.size() - 1) + "link/";
  std::filesystem::create_directory_symlink(upper, link.substr(0, link.size() - 1));
  std::filesystem::create_directory_symlink(upper, lower.substr(0, lower.size() - 1));
  cSOLTBook a = dir.MakeBook();
  cSOLTBook b = dir.MakeBook();
  a.SetTextPath(link.c_str());
  b.SetTextPath(lower.c_str());
  ASSERT_EQ(a.Open(SOLT_VIEWABLE_IDX), 0);
  ASSERT_EQ(b.Open(SOLT_VIEWABLE_IDX), 0);
  EXPECT_EQ(GetLiveFileSetCount(), 2);
  EXPECT_NE(a.GetFileSet(), b.GetFileSet());
  a.Close(SOLT_ALL_OPEN);
  b.Close(SOLT_ALL_OPEN);
  std::filesystem::remove(link.substr(0, link.size() - 1));
  std::filesystem::remove(lower.substr(0, lower.size() - 1));
}

TEST_F(SoltBook, OpeningByFlags) {
  BookDir dir(SmallWriter());
  cSOLTBook book = dir.MakeBook("strongs");
  EXPECT_EQ(book.IsOpen(0), 1);
  ASSERT_EQ(book.Open(SOLT_SECTIONS_IDX), 0);
  EXPECT_EQ(book.Open(SOLT_SECTIONS_IDX), SOLT_ERR_ALREADY_OPEN);
  EXPECT_EQ(book.Open(SOLT_CONCORD_IDX | SOLT_SECTIONS_IDX), SOLT_ERR_ALREADY_OPEN);
  EXPECT_EQ(book.GetOpenFlags(), static_cast<unsigned long>(SOLT_SECTIONS_IDX)) << "a refused open changes nothing";
  ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
  EXPECT_EQ(book.GetOpenFlags(), static_cast<unsigned long>(SOLT_SECTIONS_IDX | SOLT_CONCORD_IDX));
  book.Close(SOLT_ALL_OPEN);

  ASSERT_EQ(book.Open(SOLT_ALL_FILES), 0);
  EXPECT_EQ(book.GetOpenFlags(), 0x01Ful | SOLT_SSYNC_IDX);
  EXPECT_EQ(book.IsOpen(SOLT_ALL_FILES), 1);
  EXPECT_EQ(book.IsOpen(SOLT_VSYNC_IDX), 0);
  book.Close(SOLT_ALL_FILES);
  EXPECT_EQ(book.GetOpenFlags(), 0ul);
}

TEST_F(SoltBook, SyncTypeSelectsOneIndex) {
  const std::vector<std::pair<const char*, unsigned long>> cases = {
      {"word", SOLT_WSYNC_IDX}, {"VERSE", SOLT_VSYNC_IDX}, {"Strongs", SOLT_SSYNC_IDX},
      {"date", SOLT_DSYNC_IDX}, {"", 0},                   {"verses", 0},
  };
  for (const auto& [type, flag] : cases) {
    cSOLTBook book;
    book.SetSyncType(type);
    EXPECT_EQ(book.GetSyncTypeFlag(), flag) << type;
    unsigned long flags = SOLT_ALL_FILES;
    book.MaskInvalidSyncFileFlags(flags);
    EXPECT_EQ(flags, 0x01Ful | flag) << type;
    flags = SOLT_BOOK_DAT | SOLT_DSYNC_IDX;
    book.MaskInvalidSyncFileFlags(flags);
    EXPECT_EQ(flags, static_cast<unsigned long>(SOLT_BOOK_DAT | SOLT_DSYNC_IDX)) << "other values pass through";
  }
}

TEST_F(SoltBook, CloseOfAFlagNotOpenDoesNothing) {
  BookDir dir(SmallWriter());
  cSOLTBook book = dir.MakeBook();
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX | SOLT_SECTIONS_IDX), 0);
  book.Close(SOLT_SECTIONS_IDX | SOLT_CONCORD_IDX);
  EXPECT_EQ(book.GetOpenFlags(), static_cast<unsigned long>(SOLT_VIEWABLE_IDX | SOLT_SECTIONS_IDX));
  book.Close(SOLT_SECTIONS_IDX);
  EXPECT_EQ(book.GetOpenFlags(), static_cast<unsigned long>(SOLT_VIEWABLE_IDX));
}

TEST_F(SoltBook, VersionCheck) {
  struct Case {
    uint8_t major, minor;
    int result;
  };
  const Case cases[] = {{0, 0, 0},  {0, 1, 16}, {0, 2, 0},  {0, 9, 0},
                        {0, 10, 16}, {1, 0, 16}, {255, 255, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    BookDir dir(SmallWriter(testbook::Version(c.major, c.minor)), testbook::Version(c.major, c.minor));
    m_messages.m_shown.clear();
    cSOLTBook book = dir.MakeBook();
    EXPECT_EQ(book.Open(SOLT_SECTIONS_IDX), c.result);
    if (c.result) {
      ASSERT_EQ(m_messages.m_shown.size(), 1u);
      std::string expected = "The program can't read this file. Incompatible SOLT version.\nLeast Compatible SOLT "
                             "Version:\nProgram:  Major=0, Minor=9\nFile: Major=" +
                             std::to_string(c.major) + ", Minor=" + std::to_string(c.minor) +
                             "\nPath: " + dir.File("sections.idx") + "\n";
      EXPECT_EQ(m_messages.m_shown[0].text, expected);
      EXPECT_EQ(book.GetOpenFlags(), 0ul);
    }
  }
}

TEST_F(SoltBook, IdentityCheck) {
  struct Case {
    const char* publisher;
    const char* book;
    int result;
  };
  const Case cases[] = {{"7", "42", 0},    {"7abc", "42 copies", 0}, {"65543", "42", 0},  // 16-bit wrap
                        {"", "42", 15},    {"8", "42", 15},          {"7", "41", 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.publisher) + "/" + c.book);
    BookDir dir(SmallWriter());
    m_messages.m_shown.clear();
    cSOLTBook book = dir.MakeBook();
    book.SetPublisherID(c.publisher);
    book.SetBookID(c.book);
    EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), c.result);
    EXPECT_EQ(m_messages.m_shown.size(), c.result ? 1u : 0u);
  }
  BookDir dir(SmallWriter());
  m_messages.m_shown.clear();
  cSOLTBook book = dir.MakeBook();
  book.SetPublisherID("");
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), 15);
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text,
            "The PublisherID or BookID from the bookmgr.ini file does not match the file being opened.\n"
            "Bookmgr.ini: PubID=0, BookID=42\nFile: PubID=7, BookID=42\nPath: " +
                dir.File("viewable.idx") + "\n");
}

TEST_F(SoltBook, EventsObjectTakesOverReports) {
  BookDir dir(SmallWriter(testbook::Version(1, 0)), testbook::Version(1, 0));
  EventLog log;
  {
    cSOLTBook book = dir.MakeBook();
    book.SetEventsObjectPtr(new RecordingEvents(log, 0));
    EXPECT_EQ(book.Open(SOLT_VERSES_IDX), 16);
    EXPECT_EQ(log.versionReports, 1);
    EXPECT_EQ(log.lastReport, (std::vector<int>{0, 9, 1, 0}));
    book.SetBookID("3");
    EXPECT_EQ(book.Open(SOLT_VERSES_IDX), 15);
    EXPECT_EQ(log.idReports, 1);
    EXPECT_EQ(log.lastReport, (std::vector<int>{7, 3, 7, 42}));
    EXPECT_TRUE(m_messages.m_shown.empty());
  }
  EXPECT_EQ(log.destroyed, 1) << "the book deletes its events object";
}

TEST_F(SoltBook, CopiesAreClosedAndOwnTheirEvents) {
  BookDir dir(SmallWriter());
  EventLog log;
  cSOLTBook original = dir.MakeBook();
  original.SetEventsObjectPtr(new RecordingEvents(log, 0));
  original.SetDataSetNumber(3);
  original.SetBookNumber(9);
  ASSERT_EQ(original.Open(SOLT_VIEWABLE_IDX), 0);
  {
    cSOLTBook copy(original);
    EXPECT_EQ(copy.GetOpenFlags(), 0ul);
    EXPECT_EQ(copy.GetFileSet(), nullptr);
    EXPECT_EQ(copy.GetTextPath(), original.GetTextPath());
    EXPECT_EQ(copy.GetBookNumber(), 9);
    EXPECT_EQ(copy.GetDataSetNumber(), 3);
    EXPECT_NE(copy.GetEventsObjectPtr(), original.GetEventsObjectPtr());
    EXPECT_EQ(log.clones, 1);
    ASSERT_EQ(copy.Open(SOLT_VIEWABLE_IDX), 0) << "a copy opens its own reference";

    cSOLTBook assigned;
    assigned.SetEventsObjectPtr(new RecordingEvents(log, 0));
    assigned = copy;
    EXPECT_EQ(log.destroyed, 1) << "assignment deletes the target's events object";
    EXPECT_EQ(assigned.GetOpenFlags(), 0ul);
    cSOLTBook& same = assigned;
    assigned = same;  // assignment to itself changes nothing
    EXPECT_EQ(log.clones, 2);
  }
  EXPECT_EQ(original.IsOpen(SOLT_VIEWABLE_IDX), 1);
  EXPECT_EQ(log.destroyed, 3);
}

TEST_F(SoltBook, AssigningToAnOpenBookReleasesItsFiles) {
  BookDir dir(SmallWriter());
  cSOLTBook target = dir.MakeBook();
  ASSERT_EQ(target.Open(SOLT_VIEWABLE_IDX), 0);
  target = cSOLTBook();
  EXPECT_EQ(target.GetOpenFlags(), 0ul);
  EXPECT_EQ(GetLiveFileSetCount(), 0);
}

TEST_F(SoltBook, FailedOpenClosesWhatItOpened) {
  BookDir dir(SmallWriter());
  std::filesystem::remove(dir.File("verses.idx"));
  cSOLTBook book = dir.MakeBook();
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX | SOLT_SECTIONS_IDX | SOLT_VERSES_IDX), 2);
  EXPECT_EQ(book.GetOpenFlags(), 0ul);
  EXPECT_EQ(GetLiveFileSetCount(), 0);

  cSOLTBook other = dir.MakeBook();
  ASSERT_EQ(other.Open(SOLT_SECTIONS_IDX), 0);
  EXPECT_EQ(book.Open(SOLT_SECTIONS_IDX | SOLT_VERSES_IDX), 2);
  other.Close(SOLT_SECTIONS_IDX);
  EXPECT_EQ(GetLiveFileSetCount(), 0) << "the failed open left no reference behind";
}

TEST_F(SoltBook, OpenErrorCodes) {
  BookDir dir(SmallWriter());
  struct Case {
    const char* name;
    std::string textPath;
    std::string idxPath;
    unsigned long flags;
    int result;
  };
  const Case cases[] = {
      {"missing file", dir.Path() + "nothere-", dir.Path(), SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX, 2},
      {"missing folder", dir.Path() + "no/such/", dir.Path(), SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX, 3},
      {"book.dat without viewable.idx", dir.Path(), dir.Path(), SOLT_BOOK_DAT, 18},
      {"everything", dir.Path(), dir.Path(), SOLT_ALL_FILES, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cSOLTBook book = dir.MakeBook();
    book.SetTextPath(c.textPath.c_str());
    book.SetIDXPath(c.idxPath.c_str());
    EXPECT_EQ(book.Open(c.flags), c.result);
    EXPECT_EQ(book.GetOpenFlags(), c.result ? 0ul : 0x5Ful);
    book.Close(SOLT_ALL_OPEN);
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
}

TEST_F(SoltBook, OperationsOnFilesNotOpenRaise) {
  BookDir dir(SmallWriter());
  cSOLTBook book = dir.MakeBook();
  sVersionRecord record;
  char buffer[64];
  EXPECT_THROW(book.GetBookHeaderData(record), platform::FileException);
  EXPECT_THROW(book.GetHeaderControlWordData("title"), platform::FileException);
  EXPECT_THROW(book.GetViewableAreaSize(1), platform::FileException);
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  EXPECT_NO_THROW(book.GetViewableAreaSize(1));
  try {
    book.GetViewableArea(1, buffer);
    FAIL() << "book.dat is not open";
  } catch (const platform::FileException& e) {
    EXPECT_EQ(e.m_cause, platform::FileException::genericException);
  }
}

TEST_F(SoltBook, HeaderData) {
  solt::sVersionInfo version = testbook::Version(0, 5);
  version.recordLength = 30;  // a longer record: only 16 bytes are kept
  solt::cViewableWriter writer = SmallWriter(version);
  BookDir dir(writer, version);
  cSOLTBook book = dir.MakeBook();
  ASSERT_EQ(book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX), 0);
  sVersionRecord record;
  book.GetBookHeaderData(record);
  EXPECT_EQ(record.length, 30);
  EXPECT_EQ(record.publisherID, 7);
  EXPECT_EQ(record.bookID, 42);
  EXPECT_EQ(record.lcsMinor, 5);
  const std::vector<std::pair<const char*, const char*>> words = {
      {"title", "A Test Commentary"}, {"author", "Anon"}, {"Title", ""}, {"titl", ""}, {"", ""}};
  for (const auto& [word, value] : words) EXPECT_EQ(book.GetHeaderControlWordData(word), value) << word;
}

TEST_F(SoltBook, HeaderTextWithoutClosingBrace) {
  solt::cViewableWriter writer = SmallWriter();
  writer.SetHeaderText("{\\title:Unfinished");
  BookDir dir(writer);
  cSOLTBook book = dir.MakeBook();
  ASSERT_EQ(book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX), 0);
  EXPECT_EQ(book.GetHeaderControlWordData("title"), "Unfinished");
}

// Volumes answering from a table, for the disk prompt.
class FakeVolumes : public platform::Volumes {
 public:
  platform::DriveType GetDriveType(const std::string&) override { return platform::DriveType::Removable; }
  bool GetVolumeLabel(const std::string&, std::string& label) override {
    ++m_queries;
    if (m_labels.empty()) return false;
    label = m_labels.front();
    if (m_labels.size() > 1) m_labels.erase(m_labels.begin());
    return true;
  }
  std::string GetVolumeRoot(const std::string&) override { return "/media/disc/"; }
  std::vector<std::string> m_labels;
  int m_queries = 0;
};

TEST_F(SoltBook, VerifyVolume) {
  struct Case {
    const char* label;
    const char* volumeID;
    int result;
  };
  const Case cases[] = {
      {"BIBLE1", "BIBLE1", 1}, {"bible1", "BIBLE1", 1}, {"", "ANYTHING", 1}, {"", "", 1},
      {"BIBLE", "BIBLE1", 1},  // a longer ID matches on its leading part
      {"BIBLE1", "BIBLE", 0},  {"OTHER", "BIBLE1", 0},
  };
  for (const Case& c : cases) {
    FakeVolumes volumes;
    volumes.m_labels = {c.label};
    platform::ScopedVolumes scope(&volumes);
    cSOLTBook book;
    EXPECT_EQ(book.VerifyVolume("/media/disc/book.dat", c.volumeID), c.result) << c.label << " " << c.volumeID;
  }
  FakeVolumes unreadable;
  platform::ScopedVolumes scope(&unreadable);
  cSOLTBook book;
  EXPECT_EQ(book.VerifyVolume("/media/disc/book.dat", ""), 0) << "a volume that cannot be queried";
}

TEST_F(SoltBook, DiskPrompt) {
  BookDir dir(SmallWriter());
  FakeVolumes volumes;
  platform::ScopedVolumes scope(&volumes);

  // Registered elsewhere than the default folder: the registered medium counts.
  cSOLTBook book = dir.MakeBook();
  book.SetDefPath("/somewhere/else/");
  book.SetDefMediaType("FIXED");
  book.SetRegMediaType("CD-ROM");
  book.SetRegVolumeID("SOLTDISC");
  volumes.m_labels = {"WRONG", "WRONG", "SOLTDISC"};
  m_messages.m_answers = {platform::IDOK, platform::IDOK};
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  ASSERT_EQ(m_messages.m_shown.size(), 2u);
  EXPECT_EQ(m_messages.m_shown[0].text, "Please insert the disk with:\n\nVolume Label: SOLTDISC\nBook: Test Book\nFile: " +
                                            dir.File("viewable.idx"));
  EXPECT_EQ(m_messages.m_shown[0].buttons, platform::MessageButtons::OkCancel);
  // A file already open for another user is not checked again.
  EXPECT_EQ(book.Open(SOLT_SECTIONS_IDX), 0);
  book.Close(SOLT_ALL_OPEN);

  m_messages.m_shown.clear();
  volumes.m_labels = {"WRONG"};
  m_messages.m_answers = {platform::IDCANCEL};
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), SOLT_ERR_DISK_CANCELLED);
  EXPECT_EQ(m_messages.m_shown.size(), 1u);

  // The default folder uses the default medium; FIXED never asks.
  book.SetDefPath(dir.Path().c_str());
  m_messages.m_shown.clear();
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  EXPECT_TRUE(m_messages.m_shown.empty());
  book.Close(SOLT_ALL_OPEN);

  // With an events object the prompt goes there instead.
  EventLog log;
  book.SetDefPath("/elsewhere/");
  book.SetEventsObjectPtr(new RecordingEvents(log, 2));
  EXPECT_EQ(book.Open(SOLT_VIEWABLE_IDX), SOLT_ERR_DISK_CANCELLED);
  EXPECT_EQ(log.prompts, 3);
  EXPECT_TRUE(m_messages.m_shown.empty());
}

}  // namespace
