// What every file-reader fuzz target needs: a private scratch folder for the
// files made of the input, a way to write them, and checks that abort loudly.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file.h"
#include "platform/messages.h"
#include "platform/volumes.h"
#include "soltread.h"

namespace fuzz {

// Every path is on a fixed disk: a fuzz run must not depend on the mounts.
class FixedVolumes : public platform::Volumes {
 public:
  platform::DriveType GetDriveType(const std::string&) override { return platform::DriveType::Fixed; }
  bool GetVolumeLabel(const std::string&, std::string& label) override {
    label.clear();
    return true;
  }
  std::string GetVolumeRoot(const std::string&) override { return "/"; }
};

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what);
    std::abort();
  }
}

inline unsigned Le16(const uint8_t* p) { return p[0] | static_cast<unsigned>(p[1]) << 8; }
inline uint32_t Le32(const uint8_t* p) { return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

namespace detail {
inline std::string& ScratchPath() {
  static std::string path;
  return path;
}
inline void RemoveScratch() {
  const std::string& dir = ScratchPath();
  if (dir.empty()) return;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') ::unlink((dir + e->d_name).c_str());
    ::closedir(d);
  }
  ::rmdir(dir.c_str());
}
}  // namespace detail

// This process's folder for the files made of the input, with its trailing
// '/'; it is emptied and removed when the fuzzer exits normally.
inline const std::string& ScratchDir() {
  std::string& dir = detail::ScratchPath();
  if (dir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + program_invocation_short_name + ".XXXXXX";
    Check(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    dir = pattern + "/";
    std::atexit(detail::RemoveScratch);
  }
  return dir;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr, "cannot create a file in the scratch folder");
  Check(size == 0 || std::fwrite(data, 1, size, f) == size, "cannot write a file in the scratch folder");
  Check(std::fclose(f) == 0, "cannot write a file in the scratch folder");
}

// Runs one operation; a file exception is a corrupt file's fair answer.
template <typename Call>
void Try(Call&& call) {
  try {
    call();
  } catch (const platform::FileException&) {
  }
}

// Answers message boxes (identity and version mismatches) silently.
inline void QuietMessages() {
  static platform::RecordingMessages messages;
  static platform::ScopedMessages scoped(&messages);
  messages.m_shown.clear();
}

// A registration for the files in `dir` that claims the given identity.
inline void Register(cSOLTBook& book, const std::string& dir, unsigned publisher, unsigned bookID) {
  book.SetBookName("fuzz");
  book.SetTextPath(dir.c_str());
  book.SetIDXPath(dir.c_str());
  book.SetDefPath(dir.c_str());
  book.SetDefMediaType("FIXED");
  book.SetRegMediaType("FIXED");
  book.SetPublisherID(std::to_string(publisher).c_str());
  book.SetBookID(std::to_string(bookID).c_str());
}

}  // namespace fuzz
