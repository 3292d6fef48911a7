#include "platform/file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/tests/temp_dir.h"

namespace platform {
namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

int OpenCause(const std::string& path, unsigned flags = File::modeRead) {
  File f;
  FileException error(FileException::none);
  if (f.Open(path, flags, &error)) return FileException::none;
  return error.m_cause;
}

TEST(File, OpenFailuresCarryWindowsCauses) {
  TempDir dir;
  WriteFile(dir / "plain", "x");
  EXPECT_EQ(OpenCause(dir / "missing"), FileException::fileNotFound);
  EXPECT_EQ(OpenCause(dir / "nodir/missing"), FileException::badPath);
  EXPECT_EQ(OpenCause(dir / "nodir/missing", File::modeWrite | File::modeCreate), FileException::badPath);
  EXPECT_EQ(OpenCause(dir / "plain/child"), FileException::badPath);
  EXPECT_EQ(OpenCause(dir.path()), FileException::accessDenied);
  EXPECT_EQ(OpenCause(dir / "plain"), FileException::none);
}

TEST(File, PermissionDeniedIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root is not refused by file permissions";
  TempDir dir;
  std::string path = dir / "locked";
  WriteFile(path, "x");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  EXPECT_EQ(OpenCause(path), FileException::accessDenied);
}

TEST(File, ShortReadExactRaisesEndOfFile) {
  TempDir dir;
  std::string path = dir / "data";
  WriteFile(path, "abcde");
  File f;
  ASSERT_TRUE(f.Open(path, File::modeRead));
  char buf[8];
  f.ReadExact(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "abc");
  try {
    f.ReadExact(buf, 3);
    FAIL() << "read past the end";
  } catch (const FileException& e) {
    EXPECT_EQ(e.m_cause, FileException::endOfFile);
    EXPECT_EQ(e.m_strFileName, path);
  }
  EXPECT_EQ(f.Read(buf, 8), 0u);
}

TEST(File, WriteSeekAndLength) {
  TempDir dir;
  std::string path = dir / "data";
  File f;
  ASSERT_TRUE(f.Open(path, File::modeReadWrite | File::modeCreate));
  f.Write("0123456789", 10);
  EXPECT_EQ(f.GetLength(), 10);
  EXPECT_EQ(f.Seek(-3, File::end), 7);
  EXPECT_EQ(f.Seek(1, File::current), 8);
  EXPECT_EQ(f.Seek(4, File::begin), 4);
  char c = 0;
  f.ReadExact(&c, 1);
  EXPECT_EQ(c, '4');
  EXPECT_EQ(f.GetPosition(), 5);
  // Seeking beyond the end is allowed, before the start is not.
  EXPECT_EQ(f.Seek(20, File::begin), 20);
  try {
    f.Seek(-1, File::begin);
    FAIL() << "seek before start";
  } catch (const FileException& e) {
    EXPECT_EQ(e.m_cause, FileException::badSeek);
  }
  f.Close();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_THROW(f.Read(&c, 1), FileException);

  // modeNoTruncate keeps what is there.
  ASSERT_TRUE(f.Open(path, File::modeReadWrite | File::modeCreate | File::modeNoTruncate));
  EXPECT_EQ(f.GetLength(), 10);
  ASSERT_TRUE(f.Open(path, File::modeWrite | File::modeCreate));
  EXPECT_EQ(f.GetLength(), 0);
}

TEST(File, CauseFromErrno) {
  const std::pair<int, int> table[] = {
      {0, FileException::none},           {ENOENT, FileException::fileNotFound},
      {ENOTDIR, FileException::badPath},  {ENAMETOOLONG, FileException::badPath},
      {EMFILE, FileException::tooManyOpenFiles}, {EACCES, FileException::accessDenied},
      {EROFS, FileException::accessDenied},      {EISDIR, FileException::accessDenied},
      {EBADF, FileException::invalidFile},       {ESPIPE, FileException::badSeek},
      {EIO, FileException::hardIO},              {ENOLCK, FileException::lockViolation},
      {ENOSPC, FileException::diskFull},         {EDQUOT, FileException::diskFull},
      {EPROTO, FileException::genericException},
  };
  for (const auto& [err, cause] : table) EXPECT_EQ(FileException::CauseFromErrno(err), cause) << "errno " << err;
}

}  // namespace
}  // namespace platform
