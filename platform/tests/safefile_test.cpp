#include "platform/safefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/tests/filelimit.h"
#include "platform/tests/temp_dir.h"

namespace platform {
namespace {

using testing_support::FileSizeLimit;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

unsigned ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Every case writes "new bytes, more than sixteen" to dir/file; the folder
// must hold no temporary afterwards, whatever happened.
TEST(SafeFile, ReplacesWholeOrNotAtAll) {
  const std::string kNew = "new bytes, more than sixteen";
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct Case {
    const char* name;
    std::function<void(const TempDir&)> setup;
    bool limitSize;
    bool ok;
    std::string expected;  // the file's bytes afterwards
    unsigned mode;
  };
  const Case cases[] = {
      {"new file", [](const TempDir&) {}, false, true, kNew, 0666 & ~mask},
      {"old file's permissions kept",
       [](const TempDir& d) {
         WriteFile(d / "file", "old");
         ::chmod((d / "file").c_str(), 0640);
       },
       false, true, kNew, 0640},
      {"a link stays a link",
       [](const TempDir& d) {
         WriteFile(d / "real", "old");
         ::chmod((d / "real").c_str(), 0600);
         std::filesystem::create_symlink("real", d / "file");
       },
       false, true, kNew, 0600},
      {"a failed write keeps the old file",
       [](const TempDir& d) {
         WriteFile(d / "file", "old");
         ::chmod((d / "file").c_str(), 0604);
       },
       true, false, "old", 0604},
      {"a folder in the way", [](const TempDir& d) { std::filesystem::create_directories(d / "file/x"); }, false,
       false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.setup(dir);
    std::string error;
    bool ok;
    {
      std::unique_ptr<FileSizeLimit> limit(c.limitSize ? new FileSizeLimit(16) : nullptr);
      ok = WriteFileSafely(dir / "file", kNew, error);
    }
    EXPECT_EQ(ok, c.ok) << error;
    EXPECT_EQ(error.empty(), c.ok) << error;
    if (!c.expected.empty()) {
      EXPECT_EQ(ReadFile(dir / "file"), c.expected);
      EXPECT_EQ(ModeOf(dir / "file"), c.mode);
    }
    if (std::string(c.name) == "a link stays a link") {
      EXPECT_TRUE(std::filesystem::is_symlink(dir / "file"));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

}  // namespace
}  // namespace platform
