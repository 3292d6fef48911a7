// The disk scan on folders made at test time, book.dat headers, and the
// registry a scan writes, read back by the loader.
#include "app/shell/bookscanner.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/shell/registry.h"
#include "app/shell/tests/shelltest.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "soltread/bookwriter.h"
#include "biblefile/biblebuilder.h"

namespace {

using klmw::CBookHeader;
using klmw::CBookNode;
using klmw::CBookScanner;
using klmw::CDataSetRegistry;
using shelltest::TempDir;

// book.dat through the project's own writer, its header text carrying the
// three control words the scan looks for.
std::string BookDat(const std::string& title, int publisher, int book) {
  solt::sVersionInfo version;
  version.publisherID = static_cast<uint16_t>(publisher);
  version.bookID = static_cast<uint16_t>(book);
  solt::cViewableWriter writer(version);
  writer.SetHeaderText("{\\Title:" + title + "}{\\PublisherID:" + std::to_string(publisher) + "}{\\BookID:" +
                       std::to_string(book) + "}");
  writer.AddArea("{\\rtf1 Some text.}");
  return writer.Build().bookDat;
}

std::string MakeBook(const TempDir& dir, const std::string& relative, const std::string& title, bool viewable = true) {
  std::string p = dir.MakeDir(relative);
  shelltest::WriteFile(p + "/book.dat", BookDat(title, 7, 40));
  if (viewable) shelltest::WriteFile(p + "/viewable.idx", "x");
  return p;
}

std::string Get(const std::string& ini, const std::string& section, const char* key) {
  return platform::GetPrivateProfileString(section.c_str(), key, "", ini);
}

TEST(BookHeaderTest, ControlWordsAreFoundWhereverTheyAre) {
  const std::string pad(100, '\0');
  const struct {
    std::string bytes;
    bool ok;
    const char* title;
    const char* publisher;
    const char* book;
  } cases[] = {
      {"{\\Title:My Book}{\\PublisherID:7}{\\BookID:42}", true, "My Book", "7", "42"},
      // NULs between the words become blanks.
      {pad + "{\\BookID 9}" + pad + "{\\Title A" + std::string(1, '\0') + "B}{\\PublisherID 3}" + pad, true, "A B", "3", "9"},
      // Without a closing brace the value runs to the end of the text.
      {"{\\PublisherID:1}{\\BookID:2}{\\Title:Open", true, "Open", "1", "2"},
      // A key at the very end has nothing after it.
      {"{\\PublisherID:1}{\\BookID:2}Title", true, "", "1", "2"},
      {"{\\title:lower}{\\PublisherID:1}{\\BookID:2}", false, "", "", ""},
      {"{\\Title:T}{\\BookID:2}", false, "", "", ""},
      {"", false, "", "", ""},
      // Only the first 6,399 bytes count.
      {std::string(6395, ' ') + "{\\Title:T}{\\PublisherID:1}{\\BookID:2}", false, "", "", ""},
      {std::string(6000, ' ') + "{\\Title:T}{\\PublisherID:1}{\\BookID:2}", true, "T", "1", "2"},
  };
  for (const auto& c : cases) {
    CBookHeader h;
    ASSERT_EQ(klmw::ParseBookHeader(c.bytes, h), c.ok) << c.bytes.size();
    if (!c.ok) continue;
    EXPECT_EQ(h.title, c.title);
    EXPECT_EQ(h.publisherID, c.publisher);
    EXPECT_EQ(h.bookID, c.book);
  }
  TempDir dir;
  std::string p = MakeBook(dir, "b", "Written Book");
  CBookHeader h;
  ASSERT_TRUE(klmw::ReadBookHeader(p, h));
  EXPECT_EQ(h.title, "Written Book");
  EXPECT_EQ(h.publisherID, "7");
  EXPECT_FALSE(klmw::ReadBookHeader(dir.Path() + "/none", h));

  // A book as the book compiler wrote it at first: "title" in lower case,
  // the identifiers only in the version record.
  solt::sVersionInfo version;
  version.publisherID = 12;
  version.bookID = 345;
  solt::cViewableWriter writer(version);
  writer.SetHeaderText("{\\title:Compiled}{\\author:Someone}");
  writer.AddArea("text");
  std::string compiled = dir.MakeDir("compiled");
  shelltest::WriteFile(compiled + "/book.dat", writer.Build().bookDat);
  ASSERT_TRUE(klmw::ReadBookHeader(compiled, h));
  EXPECT_EQ(h.title, "Compiled");
  EXPECT_EQ(h.publisherID, "12");
  EXPECT_EQ(h.bookID, "345");
  // Without a title, or too short for a version record, nothing is made up.
  EXPECT_FALSE(klmw::ParseBookHeaderLeniently("{\\author:x}" + std::string(20, '\x10'), h));
  EXPECT_FALSE(klmw::ParseBookHeaderLeniently("{\\title:x}", h));
  EXPECT_TRUE(klmw::ParseBookHeaderLeniently("{\\title:x}{\\bookid:3}{\\PUBLISHERID:4}", h));
  EXPECT_EQ(std::make_pair(h.publisherID, h.bookID), std::make_pair(std::string("4"), std::string("3")));
}

// root/
//   Library/solt/             kind 1 (Library), solt itself plain
//   books/one/book.dat        kind 5
//   books/two/book.dat        kind 5, inactive by the registry
//   bibles/KJS.dat, notes.txt kind 6 for KJS.dat
//   proc/hidden/book.dat      excluded: listed, never entered
//   .cache/x/book.dat         hidden: never seen
//   loop -> root              a link: not followed
//   empty/                    plain: shown only in a full listing
class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.MakeDir("root/Library/solt");
    one = MakeBook(dir, "root/books/one", "One");
    two = MakeBook(dir, "root/books/two", "Two");
    bibles = dir.MakeDir("root/bibles");
    shelltest::WriteFile(bibles + "/KJS.dat", "x");
    shelltest::WriteFile(bibles + "/notes.txt", "x");
    shelltest::WriteFile(bibles + "/OTHER.DAT", "x");
    MakeBook(dir, "root/proc/hidden", "Proc");
    MakeBook(dir, "root/.cache/x", "Cache");
    dir.MakeDir("root/empty");
    std::filesystem::create_directory_symlink(dir.Path() + "/root", dir.Path() + "/root/loop");
    root = dir.Path() + "/root";
  }

  const CBookNode* Find(const CBookNode& node, const std::string& path) {
    if (node.path == path) return &node;
    for (const auto& c : node.children)
      if (const CBookNode* f = Find(*c, path)) return f;
    return nullptr;
  }

  TempDir dir;
  std::string root, one, two, bibles;
  CBookScanner scanner;
};

TEST_F(ScanTest, TheTreeHoldsBooksBiblesAndMarkedFolders) {
  ASSERT_TRUE(scanner.Scan(root, false, true, {two}));
  const CBookNode& r = *scanner.GetRoot();
  const struct {
    std::string path;
    int kind;  // -1: not in the tree
    bool active;
  } cases[] = {
      {root + "/Library", klmw::kNodeSoltParent, false},
      {root + "/Library/solt", -1, false},
      {one, klmw::kNodeBook, true},
      {two, klmw::kNodeBook, false},
      {root + "/books", klmw::kNodePlain, false},  // kept: it leads to books
      {bibles + "/KJS.dat", klmw::kNodeBibleFile, true},
      {bibles + "/OTHER.DAT", -1, false},
      {bibles + "/notes.txt", -1, false},
      {root + "/proc", klmw::kNodeExcluded, false},
      {root + "/proc/hidden", -1, false},
      {root + "/.cache", -1, false},
      {root + "/loop", -1, false},
      {root + "/empty", -1, false},
  };
  for (const auto& c : cases) {
    const CBookNode* n = Find(r, c.path);
    if (c.kind < 0) {
      EXPECT_EQ(n, nullptr) << c.path;
      continue;
    }
    ASSERT_NE(n, nullptr) << c.path;
    EXPECT_EQ(n->kind, c.kind) << c.path;
    EXPECT_EQ(n->active, c.active) << c.path;
    EXPECT_EQ(n->parent ? n->parent->path + "/" + n->GetName() : n->path, c.path);
  }
  EXPECT_EQ(scanner.GetBookNodes().size(), 3u);

  // A full listing shows the plain folders too.
  ASSERT_TRUE(scanner.Scan(root + "/", true, true, {}));
  EXPECT_NE(Find(*scanner.GetRoot(), root + "/empty"), nullptr);
  EXPECT_NE(Find(*scanner.GetRoot(), root + "/Library/solt"), nullptr);
  // Without a full walk only marked folders are entered.
  ASSERT_TRUE(scanner.Scan(root, false, false, {}));
  EXPECT_TRUE(scanner.GetBookNodes().empty());
}

TEST_F(ScanTest, ProgressAndTheCancelFlagStopTheWalk) {
  std::vector<std::string> seen;
  ASSERT_TRUE(scanner.Scan(root, false, true, {}, [&](const std::string& folder, int visited) {
    seen.push_back(folder);
    EXPECT_EQ(visited, static_cast<int>(seen.size()));
    return true;
  }));
  EXPECT_EQ(seen.front(), root);
  int calls = 0;
  EXPECT_FALSE(scanner.Scan(root, false, true, {}, [&](const std::string&, int) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3);
  std::atomic<bool> cancel{true};
  EXPECT_FALSE(scanner.Scan(root, false, true, {}, {}, &cancel));
  EXPECT_TRUE(scanner.GetRoot()->children.empty());
}

TEST_F(ScanTest, TheWrittenRegistryLoadsTheBooksFound) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  const std::string ini = dir.Ini();
  // A stale section under a number the scan reuses loses its old keys.
  platform::WritePrivateProfileString("BOOK_1_1", "DEFVOLUMEID", "OLD DISC", ini);
  platform::WritePrivateProfileString("Options", "Sync", "1", ini);
  // A book folder without viewable.idx is noted and left out.
  const std::string bare = MakeBook(dir, "root/books/bare", "Bare", false);
  CDataSetRegistry registry(ini);
  ASSERT_TRUE(scanner.Scan(root, false, true, {two}));

  int before = 0, after = 0;
  CBookScanner::Hooks hooks{[&] { ++before; }, [&] {
                              ++after;
                              EXPECT_EQ(before, 1);
                            }};
  EXPECT_EQ(scanner.WriteRegistry(registry, hooks), 3);
  EXPECT_EQ(std::make_pair(before, after), std::make_pair(1, 1));
  ASSERT_EQ(messages.m_shown.size(), 3u);
  EXPECT_EQ(messages.m_shown[1].text, klmw::kBibleFilesMissing);
  EXPECT_EQ(messages.m_shown[0].text, "Note:  Directory " + bare + " contains book.dat but not other solt files");

  EXPECT_EQ(Get(ini, "SOLTDATASETS", "DATASETCOUNT"), "1");
  EXPECT_EQ(Get(ini, "DATASET_1", "DATASETNAME"), "SoltDataSet");
  EXPECT_EQ(Get(ini, "DATASET_1", "BOOKCOUNT"), "2");
  EXPECT_EQ(Get(ini, "DATASET_1", "TOTALBOOKCOUNT"), "3");
  // Active books first in tree order (bibles before books), inactive last.
  EXPECT_EQ(Get(ini, "BOOK_1_1", "PATH"), bibles + "/KJS.dat");
  EXPECT_EQ(Get(ini, "BOOK_1_1", "BOOKNAME"), "KJS");
  EXPECT_EQ(Get(ini, "BOOK_1_1", "PUBLISHERID"), "Iridelsoft");
  EXPECT_EQ(Get(ini, "BOOK_1_1", "BOOKID"), "1");
  EXPECT_EQ(Get(ini, "BOOK_1_1", "DEFPATH"), bibles + "/KJS");
  EXPECT_EQ(Get(ini, "BOOK_1_1", "DEFVOLUMEID"), "");
  EXPECT_EQ(Get(ini, "BOOK_1_2", "BOOKNAME"), "One");
  EXPECT_EQ(Get(ini, "BOOK_1_2", "BOOKID"), "40");
  EXPECT_EQ(Get(ini, "BOOK_1_2", "STATUS"), "ACTIVE");
  EXPECT_EQ(Get(ini, "BOOK_1_3", "PATH"), two);
  EXPECT_EQ(Get(ini, "BOOK_1_3", "STATUS"), "INACTIVE");
  EXPECT_EQ(Get(ini, "Options", "Sync"), "1");

  // Reloaded: the active book with book.dat is there; the KJS entry has no
  // definition beside it (only a stand-in data file) and is on a fixed disk,
  // so it drops out after its two messages.
  ASSERT_EQ(registry.GetBookCount(), 1);
  EXPECT_EQ(registry.GetBooks()[0].GetBookName(), "One");
  EXPECT_EQ(registry.GetInactiveBookPaths(), std::vector<std::string>{two});

  // Scanning again keeps the inactive choice.
  ASSERT_TRUE(scanner.Scan(root, false, true, registry.GetInactiveBookPaths()));
  const auto nodes = scanner.GetBookNodes();
  EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(), [](const CBookNode* n) { return !n->active; }), 1);
}

TEST_F(ScanTest, NoActiveBookWritesACountOfNoneAndEveryBookInactive) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  const std::string ini = dir.Ini();
  CDataSetRegistry registry(ini);
  ASSERT_TRUE(scanner.Scan(root, false, true, {}));
  for (CBookNode* n : scanner.GetBookNodes()) n->active = false;
  EXPECT_EQ(scanner.WriteRegistry(registry), 3);
  EXPECT_EQ(Get(ini, "DATASET_1", "BOOKCOUNT"), "0");
  EXPECT_EQ(Get(ini, "DATASET_1", "TOTALBOOKCOUNT"), "3");
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(Get(ini, "BOOK_1_" + std::to_string(m), "STATUS"), "INACTIVE");
  EXPECT_EQ(registry.GetBookCount(), 0);
  EXPECT_EQ(registry.GetInactiveBookPaths().size(), 3u);
}

TEST_F(ScanTest, AnUnreadableHeaderTakesTheNamesOfTheBookKnownThere) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  const std::string ini = dir.Ini();
  shelltest::WriteFile(one + "/book.dat", "no header here");
  shelltest::WriteFile(two + "/book.dat", "nor here");
  // One is registered (inactive, so only the settings file knows it); two
  // is known nowhere and is left out.
  platform::WritePrivateProfileString("DATASET_1", "BOOKCOUNT", "0", ini);
  platform::WritePrivateProfileString("DATASET_1", "TOTALBOOKCOUNT", "1", ini);
  platform::WritePrivateProfileString("BOOK_1_1", "PATH", one.c_str(), ini);
  platform::WritePrivateProfileString("BOOK_1_1", "BOOKNAME", "Known One", ini);
  platform::WritePrivateProfileString("BOOK_1_1", "PUBLISHERID", "5", ini);
  platform::WritePrivateProfileString("BOOK_1_1", "BOOKID", "6", ini);
  CDataSetRegistry registry(ini);
  ASSERT_TRUE(scanner.Scan(root, false, true, {}));
  EXPECT_EQ(scanner.WriteRegistry(registry), 2);
  EXPECT_EQ(Get(ini, "BOOK_1_2", "BOOKNAME"), "Known One");
  EXPECT_EQ(Get(ini, "BOOK_1_2", "PUBLISHERID"), "5");
  EXPECT_EQ(Get(ini, "BOOK_1_2", "BOOKID"), "6");
  EXPECT_EQ(Get(ini, "DATASET_1", "TOTALBOOKCOUNT"), "2");
}

TEST_F(ScanTest, ABibleTheBuilderWroteIsFoundRegisteredAndLoaded) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  const std::string folder = dir.MakeDir("root/library");
  for (const char* code : {"WEB", "RVR"}) {
    klmw::CBibleBuilder b;
    b.SetCode(code);
    b.SetName(code);
    std::string error;
    ASSERT_TRUE(b.AddVerse(1, 1, 1, "In the beginning.", error)) << error;
    ASSERT_TRUE(b.Write(folder, error)) << error;
  }
  std::filesystem::remove(bibles + "/KJS.dat");  // the stand-in would not load
  CDataSetRegistry registry(dir.Ini());
  ASSERT_TRUE(scanner.Scan(root, false, true, {}));
  EXPECT_EQ(scanner.WriteRegistry(registry), 4);
  EXPECT_TRUE(messages.m_shown.empty());
  // One and Two (book.dat), RVR and WEB (their definitions load).
  ASSERT_EQ(registry.GetBookCount(), 4);
  EXPECT_EQ(registry.FindBook("RVR"), 2);
  EXPECT_EQ(registry.GetBooks()[2].GetSetID(), "0");
  EXPECT_EQ(registry.GetBibleModules().GetCount(), 2);
  EXPECT_NE(registry.GetBibleModules().Find("WEB"), nullptr);
}

}  // namespace
