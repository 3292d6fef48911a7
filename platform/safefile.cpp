#include "platform/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

std::atomic<unsigned> g_tempCounter{0};

// Some file systems cannot flush a folder or a special file; that is no failure.
bool Sync(int fd) { return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS; }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

SafeFile::~SafeFile() { Discard(); }

bool SafeFile::Fail(const std::string& what, int err, std::string& error) {
  error = what + " " + m_target + ": " + std::strerror(err);
  Discard();
  return false;
}

bool SafeFile::Open(const std::string& path, std::string& error) {
  Discard();
  m_target = path;
  m_sealed = false;
  struct stat st;
  m_existed = ::lstat(path.c_str(), &st) == 0;
  if (m_existed && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) m_target = resolved;
    m_existed = ::stat(m_target.c_str(), &st) == 0;
  }
  if (m_existed) {
    m_mode = st.st_mode & 07777;
    m_uid = st.st_uid;
    m_gid = st.st_gid;
  }
  const std::string dir = FolderOf(m_target);
  const std::string base = m_target.substr(dir.size());
  for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
    m_temp = dir + "." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0 && errno != EEXIST) {
      const int err = errno;
      m_temp.clear();
      return Fail("cannot create a temporary file beside", err, error);
    }
  }
  if (m_fd < 0) {
    m_temp.clear();
    return Fail("cannot create a temporary file beside", EEXIST, error);
  }
  return true;
}

bool SafeFile::Write(std::string_view bytes, std::string& error) {
  if (m_fd < 0 || m_sealed) return Fail("cannot write", EBADF, error);
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(m_fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write", errno, error);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool SafeFile::Seal(std::string& error) {
  if (m_fd < 0) return Fail("cannot write", EBADF, error);
  if (m_sealed) return true;
  // A user's permissions stay; ownership is kept where we may give it.
  if (m_existed) {
    if (::fchmod(m_fd, m_mode) != 0) return Fail("cannot keep the permissions of", errno, error);
    if (::fchown(m_fd, m_uid, m_gid) != 0) {
      // only root may give a file away
    }
  }
  if (!Sync(m_fd)) return Fail("cannot write", errno, error);
  m_sealed = true;
  return true;
}

bool SafeFile::Commit(std::string& error) {
  if (!Seal(error)) return false;
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) return Fail("cannot write", errno, error);
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) return Fail("cannot replace", errno, error);
  m_temp.clear();
  const std::string dir = FolderOf(m_target);
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)Sync(dfd);
    ::close(dfd);
  }
  return true;
}

void SafeFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
  m_sealed = false;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
  SafeFile file;
  return file.Open(path, error) && file.Write(bytes, error) && file.Commit(error);
}

}  // namespace platform
