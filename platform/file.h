// A binary file with the framework's file exception: every failure carries one
// of the fifteen causes 0-14 that the book library turns into its error codes.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace platform {

class FileException : public std::exception {
 public:
  enum Cause {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };

  explicit FileException(int cause = genericException, std::string fileName = {}, int osError = 0);

  const char* what() const noexcept override { return m_message.c_str(); }

  // Maps an errno value to the cause a caller would have seen on Windows.
  static int CauseFromErrno(int err);

  int m_cause;
  int m_lOsError;
  std::string m_strFileName;

 private:
  std::string m_message;
};

class File {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Returns false and fills *error (when given) if the file cannot be opened.
  bool Open(const std::string& path, unsigned flags, FileException* error = nullptr);
  void Close();  // no-op when not open
  bool IsOpen() const { return m_fd >= 0; }

  // Reads up to count bytes and returns how many were read (fewer only at end
  // of file); an operating-system failure raises.
  unsigned Read(void* buffer, unsigned count);
  // Reads exactly count bytes or raises endOfFile.
  void ReadExact(void* buffer, unsigned count);
  void Write(const void* buffer, unsigned count);
  int64_t Seek(int64_t offset, int from);
  int64_t GetPosition() const;
  int64_t GetLength() const;
  void Flush();
  const std::string& GetFilePath() const { return m_path; }

 private:
  [[noreturn]] void Raise(int err) const;

  int m_fd = -1;
  std::string m_path;
};

}  // namespace platform
