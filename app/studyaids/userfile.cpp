#include "app/studyaids/userfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace klmw {

bool WriteUserFile(const std::string& path, const std::string& bytes, std::string& error) {
  const std::string temp = path + ".new";
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  bool ok = fd >= 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  if (ok) ok = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int saved = errno;
  if (fd >= 0) ::close(fd);
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    error = "Could not write " + path + ": " + std::strerror(saved ? saved : errno);
    ::unlink(temp.c_str());
  }
  return ok;
}

}  // namespace klmw
