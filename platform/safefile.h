// Writing a user's file so that a crash or a full disk leaves either the old
// file or the whole new one, never a torn mix: the new bytes go to a
// temporary file in the same folder, are flushed to the disk, take the old
// file's permissions, and are renamed over the old file; then the folder is
// flushed so the rename itself survives a crash. A file that is a symbolic
// link stays one: the file it names is replaced.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces (or creates) path with bytes. False with a reason in error when
// anything fails; the old file is then untouched and no temporary is left.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// The same for a writer that streams: Open makes the temporary file, the
// caller writes it through Descriptor() (or opens TempPath() itself), and
// Commit puts it in place. A SafeFile destroyed or discarded before Commit
// removes its temporary file. Writers that replace two files together can
// Seal both (flushed, permissions set) before renaming them one by one.
class SafeFile {
 public:
  SafeFile() = default;
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  bool Open(const std::string& path, std::string& error);
  int Descriptor() const { return m_fd; }
  const std::string& TempPath() const { return m_temp; }
  // The file that Commit replaces (a link's target).
  const std::string& Target() const { return m_target; }

  bool Write(std::string_view bytes, std::string& error);
  // Flushes the temporary file and gives it the old file's permissions.
  bool Seal(std::string& error);
  // Seals when not yet sealed, renames over the target, flushes the folder.
  bool Commit(std::string& error);
  void Discard();

 private:
  bool Fail(const std::string& what, int err, std::string& error);

  std::string m_target;
  std::string m_temp;
  int m_fd = -1;
  bool m_sealed = false;
  bool m_existed = false;
  unsigned m_mode = 0;
  unsigned m_uid = 0;
  unsigned m_gid = 0;
};

}  // namespace platform
