// When the program reads the registry again while bookcase runs: only when
// bookcase is done, and only when it changed the registry; the program's own
// writes to the settings file never count.
#include "app/shell/bookcasewatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/shell/tests/shelltest.h"
#include "platform/profile.h"

namespace {

using klmw::CBookcaseWatch;
using shelltest::TempDir;

void Put(const std::string& ini, const char* section, const char* key, const char* value) {
  platform::WritePrivateProfileString(section, key, value, ini);
}

// Each step changes the folder (or ends bookcase) and says whether the
// registry is read again then.
enum class Step {
  Autosave,         // the program writes its workspace
  OpenDialog,       // bookcase takes its backup
  Register,         // bookcase writes a book into the registry
  Ok,               // bookcase removes its backup
  Cancel,           // bookcase puts the backup back and removes it
  Exit,             // the bookcase process ends
  ProgramRegisters, // the program writes a registry of its own (a scan)
};

TEST(BookcaseWatchTest, ReadsTheRegistryOnlyWhenBookcaseIsDoneWithAChange) {
  const struct {
    const char* name;
    std::vector<std::pair<Step, bool>> steps;
  } cases[] = {
      {"autosaves alone", {{Step::Autosave, false}, {Step::Autosave, false}}},
      {"ok, then the process ends",
       {{Step::OpenDialog, false},
        {Step::Register, false},
        {Step::Autosave, false},
        {Step::Ok, true},
        {Step::Exit, false}}},
      {"cancel changes nothing", {{Step::OpenDialog, false}, {Step::Register, false}, {Step::Cancel, false},
                                  {Step::Exit, false}}},
      // The folder's changes can be missed or merged: the end still counts.
      {"only the end is seen", {{Step::Register, false}, {Step::Exit, true}, {Step::Exit, false}}},
      {"ended without a change", {{Step::Autosave, false}, {Step::Exit, false}}},
      // A scan the program wrote and read itself is no news from bookcase.
      {"the program's own scan", {{Step::ProgramRegisters, false}, {Step::Exit, false}}},
      {"a second session", {{Step::OpenDialog, false}, {Step::Register, false}, {Step::Ok, true},
                            {Step::OpenDialog, false}, {Step::Autosave, false}, {Step::Register, false},
                            {Step::Ok, true}}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string ini = dir.Ini();
    // Books are registered but none is there: the state the watch runs in.
    Put(ini, "SOLTDATASETS", "DATASETCOUNT", "1");
    Put(ini, "DATASET_1", "BOOKCOUNT", "1");
    Put(ini, "BOOK_1_1", "BOOKNAME", "Gone");
    CBookcaseWatch watch(ini);
    EXPECT_EQ(watch.GetBackupPath(), dir.Path() + "/" + klmw::kBookcaseBackupName);
    watch.Start();
    int books = 1, autosaves = 0;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const auto [step, expected] = c.steps[i];
      bool read = false;
      switch (step) {
        case Step::Autosave:
          Put(ini, "BookShelf0", "Window1", std::to_string(++autosaves).c_str());
          read = watch.OnFolderChanged();
          break;
        case Step::OpenDialog:
          std::filesystem::copy_file(ini, watch.GetBackupPath(), std::filesystem::copy_options::overwrite_existing);
          read = watch.OnFolderChanged();
          break;
        case Step::Register: {
          const std::string section = "BOOK_1_" + std::to_string(++books);
          Put(ini, section.c_str(), "BOOKNAME", ("Book" + std::to_string(books)).c_str());
          Put(ini, "DATASET_1", "BOOKCOUNT", std::to_string(books).c_str());
          read = watch.OnFolderChanged();
          break;
        }
        case Step::Ok:
          std::filesystem::remove(watch.GetBackupPath());
          read = watch.OnFolderChanged();
          break;
        case Step::Cancel:
          std::filesystem::copy_file(watch.GetBackupPath(), ini, std::filesystem::copy_options::overwrite_existing);
          std::filesystem::remove(watch.GetBackupPath());
          read = watch.OnFolderChanged();
          break;
        case Step::Exit:
          read = watch.OnBookcaseExited();
          break;
        case Step::ProgramRegisters:
          Put(ini, "BOOK_1_1", "DEFPATH", "/somewhere");
          watch.RegistryRead();
          read = watch.OnFolderChanged();
          break;
      }
      EXPECT_EQ(read, expected) << c.name << ", step " << i;
      // The shell reads the registry when told to.
      if (read) watch.RegistryRead();
    }
  }
}

TEST(BookcaseWatchTest, OnlyTheRegistryCountsAndOrderDoesNot) {
  TempDir dir;
  const std::string a = dir.Path() + "/a.ini", b = dir.Path() + "/b.ini";
  shelltest::WriteFile(a, "[SOLTDATASETS]\nDATASETCOUNT=1\n[Options]\nSync=1\n[DATASET_1]\nBOOKCOUNT=0\n");
  shelltest::WriteFile(b, "[dataset_1]\nBOOKCOUNT=0\n[BookShelf0]\nNumberWindows=3\n[soltdatasets]\nDATASETCOUNT=1\n");
  EXPECT_EQ(klmw::ReadRegistryText(a), klmw::ReadRegistryText(b));
  EXPECT_NE(klmw::ReadRegistryText(a), "");
  shelltest::WriteFile(b, "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nBOOKCOUNT=0\n[BOOK_1_1]\nIGNORE=Y\n");
  EXPECT_NE(klmw::ReadRegistryText(a), klmw::ReadRegistryText(b));
  EXPECT_EQ(klmw::ReadRegistryText(dir.Path() + "/missing.ini"), "");
  // A watch that was never started, or was stopped, tells nothing.
  CBookcaseWatch watch(a);
  shelltest::WriteFile(a, "");
  EXPECT_FALSE(watch.OnBookcaseExited());
  watch.Start();
  watch.Stop();
  shelltest::WriteFile(a, "[SOLTDATASETS]\nDATASETCOUNT=2\n");
  EXPECT_FALSE(watch.OnBookcaseExited());
  EXPECT_FALSE(watch.IsWatching());
}

}  // namespace
