// Start-up state, workspace restore resolution, save capture and the
// bookshelf switch with the window side replaced by recorders.
#include "app/shell/studyapp.h"

#include <gtest/gtest.h>

#include "app/shell/settings.h"
#include "app/shell/tests/shelltest.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace {

using klmw::CStudyAppCore;
using klmw::CWhereEntry;
using klmw::CWindowHooks;
using klmw::CWindowToOpen;
using shelltest::TempDir;

void Put(const std::string& ini, const std::string& section, const std::string& key, const std::string& value) {
  platform::WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), ini);
}

// Two registered books, "Alpha" (0) and "KJS" (1), as folders with book.dat.
class StudyAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini = dir.Ini();
    alpha = dir.MakeDir("alpha");
    kjs = dir.MakeDir("kjs");
    shelltest::WriteFile(alpha + "/book.dat", "x");
    shelltest::WriteFile(kjs + "/book.dat", "x");
    shelltest::WriteFile(kjs + ".HTB", "x");
    Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
    Put(ini, "DATASET_1", "BOOKCOUNT", "2");
    Put(ini, "BOOK_1_1", "BOOKNAME", "Alpha");
    Put(ini, "BOOK_1_1", "DEFPATH", alpha);
    Put(ini, "BOOK_1_2", "BOOKNAME", "KJS");
    Put(ini, "BOOK_1_2", "DEFPATH", kjs);
  }

  // The window side: records what it is asked to do and hands back what it
  // holds as its open windows.
  CWindowHooks Hooks() {
    CWindowHooks h;
    h.closeAllWindows = [this] {
      ++closed;
      open.clear();
    };
    h.openWindow = [this](const CWindowToOpen& w, const CWhereEntry& e) {
      opened.push_back(w.documentName);
      CWhereEntry child = e;
      child.bookIndex = w.bookIndex;
      open.push_back(child);
    };
    h.finishRestore = [this](const CWhereEntry& frame, int, int) { mainFrame = frame; };
    h.captureWindows = [this] { return open; };
    h.captureMainFrame = [this] { return mainFrame; };
    return h;
  }

  TempDir dir;
  std::string ini, alpha, kjs;
  platform::RecordingMessages messages;
  platform::ScopedMessages scopedMessages{&messages};
  int closed = 0;
  std::vector<std::string> opened;
  std::vector<CWhereEntry> open;
  CWhereEntry mainFrame;
};

TEST_F(StudyAppTest, StartupReadsTheBookshelfTheWordListAndTheRegistry) {
  Put(ini, "BookShelf", "Value", "2");
  CStudyAppCore app(ini);
  EXPECT_EQ(app.Startup(), 0);
  EXPECT_EQ(app.GetCurrentBookshelf(), 2);
  EXPECT_EQ(app.GetWhere().GetWordsLikeSolt(), std::vector<std::string>{"SOLT"});
  EXPECT_EQ(app.GetRegistry().GetBookCount(), 2);
}

TEST_F(StudyAppTest, NoPathMeansTheSettingsFileBesideTheProgram) {
  const std::string before = platform::GetProgramDir();
  platform::SetProgramDir(dir.Path());
  CStudyAppCore app("");
  std::string path = app.GetSettingsPath();
  platform::SetProgramDir(before);
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "KLMW.INI");
  EXPECT_EQ(path.substr(0, path.rfind('/')), dir.Path().substr(0, dir.Path().find_last_not_of('/') + 1));
}

TEST_F(StudyAppTest, RestoreFindsBooksByNameAndFallsBackToTheFirst) {
  const struct {
    const char* name;
    int savedIndex;
    int index;
    bool message;
  } cases[] = {
      {"Alpha", 0, 0, false}, {"Alpha", 1, 0, false}, {"KJS", 7, 1, false},
      {"Gone", 1, 0, true},   {" ", 1, 0, false},     {"X", 0, 0, false},
  };
  for (const auto& c : cases) {
    messages.m_shown.clear();
    Put(ini, "BookShelf0", "NumberWindows", "2");
    Put(ini, "BookShelf0", "BookName1", c.name);
    Put(ini, "BookShelf0", "Window1", std::to_string(c.savedIndex) + ", 55, 0, 100, 0, 4, 0, 0, 500, 330");
    CStudyAppCore app(ini);
    app.Startup();
    int w = 0, h = 0;
    auto windows = app.PrepareRestore(0, w, h);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].bookIndex, c.index) << c.name;
    EXPECT_EQ(windows[0].documentName, "Book# " + std::to_string(c.index) + " 55") << c.name;
    ASSERT_EQ(messages.m_shown.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(messages.m_shown[0].text, " Gone is no longer active or is no longer available on your system\n");
    }
  }
}

TEST_F(StudyAppTest, AShortBookNameBecomesTheCurrentBibleCode) {
  Put(ini, "BookShelf0", "NumberWindows", "3");
  Put(ini, "BookShelf0", "BookName1", "KJS");
  Put(ini, "BookShelf0", "BookName2", "Alpha");
  CStudyAppCore app(ini);
  app.Startup();
  app.RestoreWorkspace(0, Hooks());
  EXPECT_EQ(app.GetCurrentBibleCode(), "KJS");
  EXPECT_EQ(opened, (std::vector<std::string>{"Book# 1 0", "Book# 0 0"}));
}

TEST_F(StudyAppTest, SaveTakesNamesAndPathsFromTheRegistry) {
  CStudyAppCore app(ini);
  app.Startup();
  CWhereEntry frame;
  frame.left = 5, frame.top = 6, frame.right = 705, frame.bottom = 506;
  frame.bookIndex = 3;  // the frame's own entry carries no position
  CWhereEntry a;
  a.bookIndex = 1, a.sectionKey = 31000, a.left = 40, a.top = 30, a.right = 340, a.bottom = 230, a.showState = 3;
  CWhereEntry b;
  b.bookIndex = 9, b.left = 60, b.top = 10, b.right = 70, b.bottom = 20;
  ASSERT_TRUE(app.SaveWorkspace(4, frame, {a, b}));
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "NumberWindows", "", ini), "3");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "Window0", "", ini), "0, 0, 0, 0, 0, 0, 5, 6, 705,  506");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "Window1", "", ini), "1, 31000, 0, 0, 0, 0, 0, 20, 300,  220");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "BookName1", "", ini), "KJS");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "TextPath1", "", ini), kjs + "/");
  EXPECT_EQ(platform::GetPrivateProfileString("BookShelf4", "BookName2", "", ini), "");
}

// Until the saved workspace is back the open windows are not the user's:
// saving them (a close or an autosave during a slow start, or during a
// message shown by the restore) would write over the saved workspace.
TEST_F(StudyAppTest, NothingIsSavedBeforeTheWorkspaceIsRestored) {
  const struct {
    const char* name;
    bool restoreFirst;  // a whole restore has run before
    bool saveDuringRestore;  // the save comes while a restore opens windows
    bool saved;
  } cases[] = {
      {"before any restore", false, false, false},
      {"during the first restore", false, true, false},
      {"after the restore", true, false, true},
      {"during a later restore", true, true, false},
  };
  for (const auto& c : cases) {
    Put(ini, "BookShelf0", "NumberWindows", "2");
    Put(ini, "BookShelf0", "Window1", "1, 777, 0, 100, 0, 4, 0, 0, 300, 200");
    CStudyAppCore app(ini);
    app.Startup();  // writes the words like SOLT when they are missing
    const std::string before = shelltest::ReadFile(ini);
    EXPECT_FALSE(app.IsWorkspaceRestored()) << c.name;
    CWindowHooks hooks = Hooks();
    // What the windows would capture: none of the user's.
    hooks.captureWindows = [] { return std::vector<CWhereEntry>{}; };
    if (c.restoreFirst) app.RestoreWorkspace(0, Hooks());
    bool saved = false;
    if (c.saveDuringRestore) {
      CWindowHooks restoring = Hooks();
      restoring.openWindow = [&](const CWindowToOpen&, const CWhereEntry&) { saved = app.SaveWorkspace(0, hooks); };
      app.RestoreWorkspace(0, restoring);
    } else {
      saved = app.SaveWorkspace(0, hooks);
    }
    EXPECT_EQ(saved, c.saved) << c.name;
    if (c.saved) {
      EXPECT_EQ(platform::GetPrivateProfileString("BookShelf0", "NumberWindows", "", ini), "1") << c.name;
    } else {
      EXPECT_EQ(shelltest::ReadFile(ini), before) << c.name;
    }
  }
}

// A first start puts the main frame over most of the screen, centred; on a
// small screen it keeps at least the default size the screen allows.
TEST(FirstStartFrameRectTest, TakesMostOfTheScreenCentred) {
  using klmw::CScreenRect;
  const struct {
    CScreenRect available;
    CScreenRect frame;
  } cases[] = {
      {{0, 0, 1920, 1080}, {96, 54, 1824, 1026}},
      {{0, 27, 2560, 1440}, {128, 98, 2432, 1369}},  // a panel above
      {{1920, 0, 3840, 1200}, {2016, 60, 3744, 1140}},  // a second screen
      {{0, 0, 640, 480}, {20, 20, 620, 460}},  // 90 % is below 600 x 440
      {{0, 0, 500, 400}, {0, 0, 500, 400}},  // smaller than that: the whole area
      {{0, 0, 0, 0}, {0, 0, 600, 440}},  // no screen known
      {{100, 100, 50, 50}, {0, 0, 600, 440}},
  };
  for (const auto& c : cases) {
    const CScreenRect r = klmw::FirstStartFrameRect(c.available);
    EXPECT_EQ(r, c.frame) << c.available.left << "," << c.available.top << "," << c.available.right << ","
                          << c.available.bottom << " gave " << r.left << "," << r.top << "," << r.right << ","
                          << r.bottom;
  }
}

TEST_F(StudyAppTest, SwitchingBookshelvesSavesOneAndRestoresTheOther) {
  CStudyAppCore app(ini);
  app.Startup();
  CWindowHooks hooks = Hooks();
  app.RestoreWorkspace(0, hooks);
  ASSERT_EQ(open.size(), 1u);
  // The user opens a second window on KJS at verse 100 and moves the frame.
  CWhereEntry extra;
  extra.bookIndex = 1, extra.sectionKey = 100, extra.right = 300, extra.bottom = 200, extra.pageDownMode = 3;
  open.push_back(extra);
  mainFrame.right = 1000;

  app.SwitchBookshelf(1, hooks);
  EXPECT_EQ(app.GetCurrentBookshelf(), 1);
  EXPECT_EQ(klmw::ReadCurrentBookshelf(ini), 1);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(open.size(), 1u);  // bookshelf 1 was never saved: the default window

  opened.clear();
  app.SwitchBookshelf(0, hooks);
  EXPECT_EQ(closed, 2);
  ASSERT_EQ(open.size(), 2u);
  EXPECT_EQ(opened.back(), "Book# 1 100");
  EXPECT_EQ(open[1].pageDownMode, 3);
  EXPECT_EQ(mainFrame.right, 1000);
}

TEST_F(StudyAppTest, AScanRewritesTheRegistryAndPutsTheWindowsBack) {
  CStudyAppCore app(ini);
  app.Startup();
  CWindowHooks hooks = Hooks();
  app.RestoreWorkspace(0, hooks);
  open[0].bookIndex = 0;  // the window shows Alpha
  open[0].sectionKey = 5;
  // Only KJS is found this time: Alpha's window falls back to book 0 after
  // the message, which is now KJS.
  shelltest::WriteFile(kjs + "/viewable.idx", "x");
  shelltest::WriteFile(kjs + "/book.dat", "{\\Title:KJS}{\\PublisherID:1}{\\BookID:1}");
  ASSERT_TRUE(app.GetScanner().Scan(kjs, false, true, {}));
  opened.clear();
  EXPECT_EQ(app.WriteScannedRegistry(hooks), 1);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(app.GetRegistry().GetBookCount(), 1);
  ASSERT_EQ(opened, std::vector<std::string>{"Book# 0 5"});
  ASSERT_EQ(messages.m_shown.size(), 1u);
  EXPECT_EQ(messages.m_shown[0].text, klmw::FormatBookNoLongerAvailable("Alpha"));
}

}  // namespace
