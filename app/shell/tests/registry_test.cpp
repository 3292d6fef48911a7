// Loading the registry: setters, presence tests, Bibles, bounds, soltread's
// callbacks, the inactive cache and the bookcase fall-back.
#include "app/shell/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include "app/shell/tests/shelltest.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "biblefile/biblebuilder.h"

namespace {

using klmw::CDataSetRegistry;
using platform::DriveType;
using shelltest::TempDir;

void Put(const std::string& ini, const std::string& section, const char* key, const std::string& value) {
  platform::WritePrivateProfileString(section.c_str(), key, value.c_str(), ini);
}

void RegisterBook(const std::string& ini, int n, int m, const std::string& name, const std::string& defPath,
                  const char* media = nullptr) {
  const std::string s = "BOOK_" + std::to_string(n) + "_" + std::to_string(m);
  Put(ini, s, "BOOKNAME", name);
  Put(ini, s, "DEFPATH", defPath);
  Put(ini, s, "BOOKID", std::to_string(40 + m));
  Put(ini, s, "PUBLISHERID", "7");
  if (media) Put(ini, s, "DEFMEDIATYPE", media);
}

std::string MakeBookDir(const TempDir& dir, const std::string& name, std::initializer_list<const char*> extra = {}) {
  std::string p = dir.MakeDir(name);
  shelltest::WriteFile(p + "/book.dat", "x");
  for (const char* f : extra) shelltest::WriteFile(p + "/" + f, "x");
  return p;
}

// A KJS-coded Bible written by the builder into folder.
void BuildBible(const std::string& folder, const std::string& code) {
  klmw::CBibleBuilder b;
  b.SetCode(code);
  b.SetName("Test " + code);
  std::string error;
  ASSERT_TRUE(b.AddVerse(1, 1, 1, "In the beginning.", error)) << error;
  ASSERT_TRUE(b.AddVerse(1, 1, 2, "And the earth.", error)) << error;
  ASSERT_TRUE(b.Write(folder, error)) << error;
}

class RegistryTest : public ::testing::Test {
 protected:
  TempDir dir;
  shelltest::FakeVolumes volumes;
  platform::ScopedVolumes scopedVolumes{&volumes};
  platform::RecordingMessages messages;
  platform::ScopedMessages scopedMessages{&messages};
};

TEST_F(RegistryTest, AMissingBookOnAFixedDiskDropsOutAndTheRestAreNumberedInOrder) {
  const std::string ini = dir.Ini();
  const std::string a = MakeBookDir(dir, "a", {"vsync.idx", "ssync.idx"});
  const std::string c = MakeBookDir(dir, "c", {"wsync.idx"});
  Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
  Put(ini, "DATASET_1", "DATASETNAME", "Library");
  Put(ini, "DATASET_1", "BOOKCOUNT", "3");
  RegisterBook(ini, 1, 1, "Alpha", a);
  RegisterBook(ini, 1, 2, "Beta", dir.Path() + "/b-is-gone");
  RegisterBook(ini, 1, 3, "Gamma", c + "/");
  Put(ini, "BOOK_1_3", "DEFVOLUMEID", "DISC1");

  CDataSetRegistry registry(ini);
  ASSERT_EQ(registry.LoadRegistry(), 0);
  EXPECT_TRUE(messages.m_shown.empty());
  ASSERT_EQ(registry.GetBookCount(), 2);
  const cSOLTBook& alpha = registry.GetBooks()[0];
  const cSOLTBook& gamma = registry.GetBooks()[1];
  EXPECT_EQ(alpha.GetBookName(), "Alpha");
  EXPECT_EQ(alpha.GetBookNumber(), 0);
  EXPECT_EQ(gamma.GetBookName(), "Gamma");
  EXPECT_EQ(gamma.GetBookNumber(), 1);
  // Every setter of the registry, with the separator appended once.
  EXPECT_EQ(alpha.GetTextPath(), a + "/");
  EXPECT_EQ(alpha.GetIDXPath(), a + "/");
  EXPECT_EQ(alpha.GetDefPath(), a + "/");
  EXPECT_EQ(alpha.GetMediaPath(), a + "/");
  EXPECT_EQ(gamma.GetTextPath(), c + "/");
  EXPECT_EQ(alpha.GetBookID(), "41");
  EXPECT_EQ(alpha.GetPublisherID(), "7");
  EXPECT_EQ(alpha.GetDataSetNumber(), 1);
  EXPECT_EQ(alpha.GetDefMediaType(), "FIXED");
  EXPECT_EQ(alpha.GetRegMediaType(), "FIXED");
  EXPECT_EQ(gamma.GetDefVolumeID(), "DISC1");
  EXPECT_EQ(gamma.GetRegVolumeID(), "DISC1");
  EXPECT_EQ(alpha.GetSetID(), "1");
  EXPECT_EQ(alpha.GetSyncType(), "VerseStrong");
  EXPECT_EQ(gamma.GetSyncType(), "Word");
  ASSERT_EQ(registry.GetDataSets().size(), 1u);
  EXPECT_EQ(registry.GetDataSets()[0].GetDataSetName(), "Library");
  EXPECT_EQ(registry.GetDataSets()[0].GetPublisherName(), "Iridelsoft");
  EXPECT_EQ(registry.GetDataSets()[0].GetBookCount(), 3);
  EXPECT_EQ(registry.FindBook("Gamma", 0), 1);
  EXPECT_EQ(registry.FindBook("Beta"), -1);
}

TEST_F(RegistryTest, BooksOnDiscsThatAreOutStayListed) {
  const std::string ini = dir.Ini();
  const struct {
    DriveType type;
    bool kept;
  } cases[] = {{DriveType::CdRom, true}, {DriveType::Removable, true}, {DriveType::Fixed, false},
               {DriveType::Remote, false}, {DriveType::Unknown, false}};
  for (const auto& c : cases) {
    volumes.m_types = {{"/media/cdrom", c.type}};
    Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
    Put(ini, "DATASET_1", "BOOKCOUNT", "1");
    RegisterBook(ini, 1, 1, "On Disc", "/media/cdrom/book", "CDROM");
    CDataSetRegistry registry(ini);
    registry.LoadRegistry();
    EXPECT_EQ(registry.GetBookCount(), c.kept ? 1 : 0) << static_cast<int>(c.type);
  }
}

TEST_F(RegistryTest, SyncTypesFromTheIndexFilesPresent) {
  const struct {
    std::vector<const char*> files;
    const char* type;
  } cases[] = {
      {{}, "None"},
      {{"vsync.idx"}, "Verse"},
      {{"dsync.idx", "vsync.idx"}, "VerseDate"},
      {{"wsync.idx", "ssync.idx", "dsync.idx", "vsync.idx"}, "VerseWordStrongDate"},
      {{"VSYNC.IDX"}, "None"},  // names are matched as the files are named
  };
  for (const auto& c : cases) {
    TempDir d;
    for (const char* f : c.files) shelltest::WriteFile(d.Path() + "/" + f, "");
    EXPECT_EQ(klmw::GetSyncTypeForDirectory(d.Path()), c.type);
    EXPECT_EQ(klmw::GetSyncTypeForDirectory(d.Path() + "/"), c.type);
  }
}

TEST_F(RegistryTest, BiblesLoadTheirModulesAndPassTheMarkerTest) {
  const std::string ini = dir.Ini();
  const std::string folder = dir.MakeDir("bibles");
  BuildBible(folder, "KJS");
  BuildBible(folder, "RVR");
  ASSERT_TRUE(std::filesystem::exists(folder + "/KJS.HTB"));
  EXPECT_NE(shelltest::ReadFile(folder + "/KJS.HTB").find("KJS.ixb"), std::string::npos);
  std::filesystem::remove(folder + "/RVR.HTB");

  Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
  Put(ini, "DATASET_1", "BOOKCOUNT", "4");
  RegisterBook(ini, 1, 1, "KJS", folder + "/KJS");
  RegisterBook(ini, 1, 2, "RVR", folder + "/RVR");
  RegisterBook(ini, 1, 3, "NIV", folder + "/NIV");  // never built
  RegisterBook(ini, 1, 4, "KJS", folder + "/KJS");  // twice: one module

  CDataSetRegistry registry(ini);
  ASSERT_EQ(registry.LoadRegistry(), 0);
  // RVR and NIV lack their marker: two boxes each, in turn, and loading
  // goes on; NIV has no definition either and drops out.
  ASSERT_EQ(messages.m_shown.size(), 4u);
  EXPECT_EQ(messages.m_shown[0].text, "Bible Files are missing");
  EXPECT_EQ(messages.m_shown[1].text, "Please insert your CD-ROM or check your disk drive and try again");
  EXPECT_EQ(messages.m_shown[2].text, "Bible Files are missing");
  ASSERT_EQ(registry.GetBookCount(), 3);
  EXPECT_EQ(registry.GetBooks()[0].GetSetID(), "0");
  EXPECT_EQ(registry.GetBooks()[1].GetBookName(), "RVR");
  EXPECT_EQ(registry.GetBooks()[2].GetBookNumber(), 2);
  ASSERT_EQ(registry.GetBibleModules().GetCount(), 2);
  ASSERT_NE(registry.GetBibleModules().Find("kjs"), nullptr);
  EXPECT_EQ(registry.GetBibleModules().Find("KJS")->GetVerseCount(), 2);

  // Reloading starts again from nothing.
  messages.m_shown.clear();
  std::filesystem::remove(folder + "/RVR.dat");
  registry.LoadRegistry();
  EXPECT_EQ(registry.GetBookCount(), 2);
  EXPECT_EQ(registry.GetBibleModules().GetCount(), 1);
}

TEST_F(RegistryTest, DamagedRegistriesLoadWhatTheyCan) {
  const std::string ini = dir.Ini();
  const std::string a = MakeBookDir(dir, "a");
  const struct {
    const char* dataSets;
    const char* books;
    int result;
    int loaded;
  } cases[] = {
      {nullptr, "1", 1, 0},  {"0", "1", 1, 0},         {"-3", "1", 1, 0}, {"garbage", "1", 1, 0},
      {"1", "-5", 0, 0},     {"1", "99999999", 0, 3}, {"2", "3", 0, 4}, {"2", "5", 0, 6},
      // Past 2^31 the count reads negative; past the cap it is cut, and the
      // data sets without sections simply hold no books.
      {"4000000000", "3", 1, 0}, {"5000", "5", 0, 6},
  };
  for (const auto& c : cases) {
    TempDir d;
    const std::string f = d.Ini();
    if (c.dataSets) Put(f, "SOLTDATASETS", "DATASETCOUNT", c.dataSets);
    // Every data set points at the same sections layout: three good books
    // and one without a name and one without a path.
    for (int n = 1; n <= 2; ++n) {
      Put(f, "DATASET_" + std::to_string(n), "BOOKCOUNT", c.books);
      RegisterBook(f, n, 1, "One", a);
      Put(f, "BOOK_" + std::to_string(n) + "_2", "DEFPATH", a);
      RegisterBook(f, n, 3, "Three", a);
      Put(f, "BOOK_" + std::to_string(n) + "_4", "BOOKNAME", "No Path");
      RegisterBook(f, n, 5, "Five", a);
    }
    CDataSetRegistry registry(f);
    EXPECT_EQ(registry.LoadRegistry(), c.result) << c.dataSets << "/" << c.books;
    EXPECT_EQ(registry.GetBookCount(), c.loaded) << c.dataSets << "/" << c.books;
    EXPECT_TRUE(registry.IsLoaded());
    EXPECT_LE(registry.GetDataSets().size(), static_cast<size_t>(klmw::kMaxDataSets));
  }
}

TEST_F(RegistryTest, LongValuesAreCutAtTheBuffer) {
  const std::string ini = dir.Ini();
  Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
  Put(ini, "DATASET_1", "BOOKCOUNT", "1");
  const std::string longName(400, 'n');
  RegisterBook(ini, 1, 1, longName, MakeBookDir(dir, "a"));
  CDataSetRegistry registry(ini);
  registry.LoadRegistry();
  ASSERT_EQ(registry.GetBookCount(), 1);
  EXPECT_EQ(registry.GetBooks()[0].GetBookName(), std::string(259, 'n'));
}

int CountSets(cSOLTDataSet& set, void* user) {
  static_cast<std::vector<cSOLTDataSet>*>(user)->push_back(set);
  return 0;
}

TEST_F(RegistryTest, SoltreadAsksThroughTheCallbacksAndTheRegistryLoadsOnDemand) {
  const std::string ini = dir.Ini();
  const std::string a = MakeBookDir(dir, "a"), b = MakeBookDir(dir, "b"), c = MakeBookDir(dir, "c");
  Put(ini, "SOLTDATASETS", "DATASETCOUNT", "2");
  Put(ini, "DATASET_1", "BOOKCOUNT", "2");
  Put(ini, "DATASET_2", "BOOKCOUNT", "1");
  Put(ini, "DATASET_2", "DATASETNAME", "Second");
  RegisterBook(ini, 1, 1, "A", a);
  RegisterBook(ini, 1, 2, "B", b);
  RegisterBook(ini, 2, 1, "C", c);

  CDataSetRegistry registry(ini);
  EXPECT_FALSE(registry.IsLoaded());
  std::vector<cSOLTDataSet> sets;
  EXPECT_EQ(EnumDataSets(CountSets, &sets, &registry), 2);
  EXPECT_TRUE(registry.IsLoaded());
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[1].GetDataSetName(), "Second");
  EXPECT_EQ(sets[1].GetDataSetNumber(), 2);
  EXPECT_EQ(sets[1].GetBookCount(), 3);  // the running total
  std::vector<cSOLTBook> books;
  EXPECT_EQ(sets[0].GetBookArray(books, &registry), 2);
  ASSERT_EQ(books.size(), 2u);
  EXPECT_EQ(books[1].GetBookName(), "B");
  // The second set counts three books (the running total) but owns one.
  books.clear();
  EXPECT_EQ(sets[1].GetBookArray(books, &registry), 1);
  ASSERT_EQ(books.size(), 1u);
  EXPECT_EQ(books[0].GetBookName(), "C");
  cSOLTBook one;
  EXPECT_EQ(GetBook(one, 3, 2, &registry), 0);
  EXPECT_EQ(one.GetBookName(), "C");
  EXPECT_NE(GetBook(one, 4, 2, &registry), 0);
  EXPECT_NE(GetBook(one, 0, 1, &registry), 0);
  EXPECT_NE(GetBook(one, 1, 2, &registry), 0);  // book 1 is the first set's
  cSOLTDataSet set;
  EXPECT_NE(GetDataSet(set, 3, &registry), 0);
  EXPECT_EQ(registry.GetFirstDataSetName(), "");
}

TEST_F(RegistryTest, InactivePathsAreReadOnceUntilTheCacheIsCleared) {
  const std::string ini = dir.Ini();
  Put(ini, "DATASET_1", "BOOKCOUNT", "1");
  Put(ini, "DATASET_1", "TOTALBOOKCOUNT", "3");
  Put(ini, "BOOK_1_1", "PATH", "/active");
  Put(ini, "BOOK_1_2", "PATH", "/off/one");
  Put(ini, "BOOK_1_3", "PATH", "/off/two");
  CDataSetRegistry registry(ini);
  EXPECT_EQ(registry.GetInactiveBookPaths(), (std::vector<std::string>{"/off/one", "/off/two"}));
  Put(ini, "BOOK_1_3", "PATH", "/off/changed");
  EXPECT_EQ(registry.GetInactiveBookPaths().back(), "/off/two");
  registry.ClearInactiveCache();
  EXPECT_EQ(registry.GetInactiveBookPaths().back(), "/off/changed");
  // A damaged total does not read without bound.
  Put(ini, "DATASET_1", "TOTALBOOKCOUNT", "2000000000");
  registry.ClearInactiveCache();
  EXPECT_EQ(registry.GetInactiveBookPaths().size(), static_cast<size_t>(klmw::kMaxBooksPerDataSet - 1));
}

TEST_F(RegistryTest, AnEmptyBookListStartsBookcase) {
  const std::string ini = dir.Ini();
  CDataSetRegistry registry(ini);
  std::vector<std::vector<std::string>> started;
  registry.SetProcessStarter([&](const std::vector<std::string>& argv, const std::function<void()>&) {
    started.push_back(argv);
    return true;
  });
  EXPECT_EQ(registry.LoadRegistry(), 1);
  EXPECT_EQ(registry.OfferBookcaseWhenEmpty(), 0);
  ASSERT_EQ(messages.m_shown.size(), 1u);
  EXPECT_EQ(messages.m_shown[0].text, klmw::kNoBooksFound);
  ASSERT_EQ(started.size(), 1u);
  ASSERT_EQ(started[0].size(), 3u);
  EXPECT_EQ(started[0][0].substr(started[0][0].rfind('/')), "/bookcase");
  EXPECT_EQ(started[0][1], "--home");

  // With a book there is nothing to offer.
  Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
  Put(ini, "DATASET_1", "BOOKCOUNT", "1");
  RegisterBook(ini, 1, 1, "A", MakeBookDir(dir, "a"));
  registry.LoadRegistry();
  EXPECT_EQ(registry.OfferBookcaseWhenEmpty(), 1);
  EXPECT_EQ(started.size(), 1u);
}

TEST(StartDetachedProcessTest, StartsWithoutAShellAndWithoutWaiting) {
  TempDir dir;
  const std::string flag = dir.Path() + "/ran; touch shell-ran";
  // The argument reaches the program as one word: a shell would have run the
  // second command.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(klmw::StartDetachedProcess({"/bin/sh", "-c", "sleep 0.3; : > \"$0\"", flag}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  for (int i = 0; i < 100 && !std::filesystem::exists(flag); ++i) ::usleep(20000);
  EXPECT_TRUE(std::filesystem::exists(flag));
  EXPECT_FALSE(std::filesystem::exists("shell-ran"));
  EXPECT_FALSE(klmw::StartDetachedProcess({dir.Path() + "/no-such-program"}));
  EXPECT_FALSE(klmw::StartDetachedProcess({}));
}

// The shell reads the registry again when bookcase ends: the news must come
// after the program is gone, not when it started.
TEST(StartDetachedProcessTest, TellsWhenTheProgramHasEnded) {
  TempDir dir;
  const std::string flag = dir.Path() + "/done";
  std::atomic<int> ended{0};
  std::atomic<bool> flagThen{false};
  ASSERT_TRUE(klmw::StartDetachedProcess({"/bin/sh", "-c", "sleep 0.2; : > \"$0\"", flag}, [&] {
    flagThen = std::filesystem::exists(flag);
    ++ended;
  }));
  EXPECT_EQ(ended.load(), 0);
  for (int i = 0; i < 150 && ended.load() == 0; ++i) ::usleep(20000);
  EXPECT_EQ(ended.load(), 1);
  EXPECT_TRUE(flagThen.load());
}

}  // namespace
