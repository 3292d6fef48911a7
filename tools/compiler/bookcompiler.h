// The book compiler: a source directory written by a person becomes a
// complete SOLT book (book.dat and every index file).
//
// SOURCE/book.ini     the manifest: [book] title, publisher, book, sync,
//                     compression, headings, other keys into the header text;
//                     [sync] value = section path lines
// SOURCE/header.rtf   optional: the RTF prologue shared by every area
// SOURCE/sections/    the sections: .rtf and .txt files and folders, in
//                     natural name order; a folder is a section whose own
//                     text is its index.rtf or index.txt
// SOURCE/glossary/    optional: one file per glossary entry
//
// The README documents the format for users.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace solt {

// A fault in the source: the file and line it was found at (line 0 when the
// whole file is meant).
class cCompileError : public std::runtime_error {
 public:
  cCompileError(std::string file, int line, const std::string& message)
      : std::runtime_error(Describe(file, line, message)), m_file(std::move(file)), m_line(line) {}
  const std::string& GetFile() const { return m_file; }
  int GetLine() const { return m_line; }

 private:
  static std::string Describe(const std::string& file, int line, const std::string& message) {
    return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message;
  }
  std::string m_file;
  int m_line;
};

struct sCompileStats {
  int sections = 0;
  int glossary = 0;
  int areas = 0;
  int words = 0;
  int verseLinks = 0;
  int syncEntries = 0;
  uint64_t sourceBytes = 0;
  uint64_t bookBytes = 0;
};

struct sCompileOptions {
  // An area holds a top-level section with its subtree; a subtree whose text
  // passes this many bytes is split at its children so that opening one
  // section does not stream and lay out a whole large book part.
  size_t areaBound = 256 * 1024;
};

// Builds the book into outDir, which must not exist, be empty, or hold a
// book (which is then replaced). The book is built in a temporary directory
// beside outDir and renamed into place, so a failed build leaves nothing
// half-written. Throws cCompileError.
sCompileStats CompileBook(const std::string& sourceDir, const std::string& outDir,
                          const sCompileOptions& options = sCompileOptions());

}  // namespace solt
