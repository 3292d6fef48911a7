// Books written into a temporary directory for the tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "soltread.h"
#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"

namespace testbook {

inline std::string MakeTempDir() {
  std::string pattern = testing::TempDir() + "soltreadXXXXXX";
  char* dir = ::mkdtemp(pattern.data());
  EXPECT_NE(dir, nullptr);
  return std::string(dir) + "/";
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr uint16_t kPublisher = 7;
constexpr uint16_t kBookID = 42;

inline solt::sVersionInfo Version(uint8_t major = 0, uint8_t minor = 9) {
  solt::sVersionInfo v;
  v.publisherID = kPublisher;
  v.bookID = kBookID;
  v.lcsMajor = major;
  v.lcsMinor = minor;
  return v;
}

// A directory with book.dat, viewable.idx and empty but valid index files;
// a test overwrites the index it is about.
class BookDir {
 public:
  explicit BookDir(const solt::cViewableWriter& writer, const solt::sVersionInfo& version = Version())
      : m_dir(MakeTempDir()) {
    solt::cViewableWriter::sOutput out = writer.Build();
    WriteBytes(m_dir + "book.dat", out.bookDat);
    WriteBytes(m_dir + "viewable.idx", out.viewableIdx);
    WriteBytes(m_dir + "sections.idx", solt::cSectionsWriter(version).Build());
    solt::cConcordWriter concord(version);
    concord.AddLanguage(1033, {});
    WriteBytes(m_dir + "concord.idx", concord.Build());
    WriteBytes(m_dir + "verses.idx", solt::cVersesWriter(version).Build());
    for (const char* name : {"wsync.idx", "ssync.idx", "dsync.idx"})
      WriteBytes(m_dir + name, solt::cTextSyncWriter(version).Build());
    WriteBytes(m_dir + "vsync.idx", solt::cVerseSyncWriter(version).Build());
  }
  ~BookDir() { std::filesystem::remove_all(m_dir); }
  BookDir(const BookDir&) = delete;
  BookDir& operator=(const BookDir&) = delete;

  const std::string& Path() const { return m_dir; }
  std::string File(const char* name) const { return m_dir + name; }

  // A registration for this directory that passes the identity check.
  cSOLTBook MakeBook(const char* syncType = "verse") const {
    cSOLTBook book;
    book.SetTextPath(m_dir.c_str());
    book.SetIDXPath(m_dir.c_str());
    book.SetDefPath(m_dir.c_str());
    book.SetDefMediaType("FIXED");
    book.SetRegMediaType("FIXED");
    book.SetPublisherID(std::to_string(kPublisher).c_str());
    book.SetBookID(std::to_string(kBookID).c_str());
    book.SetSyncType(syncType);
    book.SetBookName("Test Book");
    return book;
  }

 private:
  std::string m_dir;
};

// Text that looks like a book's rich text and compresses like one.
inline std::string SampleText(size_t length, unsigned seed = 1) {
  static const char* const kWords[] = {"grace", "and",   "peace", "unto",  "you",    "from",  "God",
                                       "the",   "Father", "{\\b ", "}",     "\\par\r\n", "Lord", "of",
                                       "{\\i light}", "word", "in",   "beginning", "was", "with"};
  std::string text;
  unsigned state = seed * 2654435761u + 1;
  while (text.size() < length) {
    state = state * 1103515245u + 12345u;
    text += kWords[(state >> 16) % (sizeof kWords / sizeof kWords[0])];
    text += ' ';
  }
  text.resize(length);
  return text;
}

}  // namespace testbook
