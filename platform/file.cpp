#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
const char* CauseText(int cause) {
  static const char* const kTexts[] = {
      "no error",           "generic file error",      "file not found",
      "bad path",           "too many open files",     "access denied",
      "invalid file",       "cannot remove current directory", "directory full",
      "bad seek",           "hardware I/O error",      "sharing violation",
      "lock violation",     "disk full",               "end of file",
  };
  return cause >= 0 && cause <= 14 ? kTexts[cause] : "file error";
}
}  // namespace

FileException::FileException(int cause, std::string fileName, int osError)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {
  m_message = CauseText(cause);
  if (!m_strFileName.empty()) m_message += ": " + m_strFileName;
}

int FileException::CauseFromErrno(int err) {
  switch (err) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY: return removeCurrentDir;
    case EMLINK: return directoryFull;
    case ESPIPE:
    case EINVAL:
    case EOVERFLOW: return badSeek;
    case EIO: return hardIO;
    case ETXTBSY: return sharingViolation;
    case EDEADLK:
    case ENOLCK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return genericException;
  }
}

File::~File() { Close(); }

bool File::Open(const std::string& path, unsigned flags, FileException* error) {
  Close();
  int oflags = O_CLOEXEC;
  if (flags & modeReadWrite)
    oflags |= O_RDWR;
  else if (flags & modeWrite)
    oflags |= O_WRONLY;
  else
    oflags |= O_RDONLY;
  if (flags & modeCreate) {
    oflags |= O_CREAT;
    if (!(flags & modeNoTruncate)) oflags |= O_TRUNC;
  }
  int fd = ::open(path.c_str(), oflags, 0666);
  if (fd >= 0) {
    // Opening a directory succeeds on Linux; as a file it is not accessible.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      errno = EISDIR;
    }
  }
  if (fd < 0) {
    int err = errno;
    int cause = FileException::CauseFromErrno(err);
    // Linux says ENOENT whether the file or a directory above it is missing;
    // callers tell "no such file" from "bad path" as on Windows.
    if (err == ENOENT) {
      size_t slash = path.rfind('/');
      struct stat st;
      if (slash != std::string::npos && slash > 0 && ::stat(path.substr(0, slash).c_str(), &st) != 0 &&
          (errno == ENOENT || errno == ENOTDIR))
        cause = FileException::badPath;
    }
    if (error) *error = FileException(cause, path, err);
    return false;
  }
  m_fd = fd;
  m_path = path;
  return true;
}

void File::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void File::Raise(int err) const {
  throw FileException(FileException::CauseFromErrno(err), m_path, err);
}

unsigned File::Read(void* buffer, unsigned count) {
  if (m_fd < 0) throw FileException(FileException::invalidFile, m_path);
  auto* out = static_cast<char*>(buffer);
  unsigned done = 0;
  while (done < count) {
    ssize_t n = ::read(m_fd, out + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Raise(errno);
    }
    if (n == 0) break;
    done += static_cast<unsigned>(n);
  }
  return done;
}

void File::ReadExact(void* buffer, unsigned count) {
  if (Read(buffer, count) != count) throw FileException(FileException::endOfFile, m_path);
}

void File::Write(const void* buffer, unsigned count) {
  if (m_fd < 0) throw FileException(FileException::invalidFile, m_path);
  const auto* in = static_cast<const char*>(buffer);
  while (count > 0) {
    ssize_t n = ::write(m_fd, in, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      Raise(errno);
    }
    in += n;
    count -= static_cast<unsigned>(n);
  }
}

int64_t File::Seek(int64_t offset, int from) {
  if (m_fd < 0) throw FileException(FileException::invalidFile, m_path);
  int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
  off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
  if (pos < 0) throw FileException(FileException::badSeek, m_path, errno);
  return pos;
}

int64_t File::GetPosition() const {
  if (m_fd < 0) throw FileException(FileException::invalidFile, m_path);
  off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
  if (pos < 0) Raise(errno);
  return pos;
}

int64_t File::GetLength() const {
  if (m_fd < 0) throw FileException(FileException::invalidFile, m_path);
  struct stat st;
  if (::fstat(m_fd, &st) != 0) Raise(errno);
  return st.st_size;
}

void File::Flush() {
  if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL) Raise(errno);
}

}  // namespace platform
