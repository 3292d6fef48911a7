// A Bible module: the loaded form of one installed Bible, its definition
// (.ixb) and the verse text file the definition names.
//
// Definition file (text, at most 250,000 bytes read):
//   TDBFILE="KJS.dat"                 the text file, beside the definition;
//                                     its first three characters are the code
//   {Genesis<TAB>xx31,25,24,...}      one block per book in canonical order:
//                                     label, tab, two characters not read,
//                                     verses per chapter up to the line's end
//
// Verse text file:
//   offset  size  field
//   0       4     h0  start of the word list
//   4       4     h1  end of the word list, start of the verse lists
//   8       4     h2  end of the verse lists, start of the verse offset table
//   12      4     h3  start of the verse text area
//   16      16    h4-h7, not read here
//   h2      4*(n+1)  int32 offsets from h3: verse number v is the bytes from
//                 entry[v-1] to entry[v]
// All integers little-endian.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "biblefile/biblewordlist.h"

namespace platform {
class File;
}

namespace klmw {

inline constexpr size_t kMaxDefinitionSize = 250000;
inline constexpr size_t kMaxTextFileName = 50;
inline constexpr int kMaxBibleBooks = 99;

// Codes compare without regard to letter case.
bool SameBibleCode(const std::string& a, const std::string& b);

// Tells the user that the text file of Bible `code` at `path` is missing, in
// the words for the kind of drive it should be on.
void ShowBibleNotFound(const std::string& path, const std::string& code);

class CBibleModule {
 public:
  // Reads the definition and the text file's header and word list. False,
  // without a message, for a definition that names no text file or has no
  // book; a missing text file is reported through ShowBibleNotFound.
  bool Load(const std::string& definitionPath);
  // The definition part of Load, from text already read; dir is the folder
  // the text file name is relative to (with its trailing '/', or "").
  bool ParseDefinition(const std::string& text, const std::string& dir);

  const std::string& GetCode() const { return m_code; }
  const std::string& GetTextPath() const { return m_textPath; }
  const std::string& GetDefinition() const { return m_definition; }
  const std::string& GetLoadError() const { return m_loadError; }
  int GetBookCount() const { return static_cast<int>(m_books.size()); }
  // The label a definition block gives a book (1-based).
  std::string GetBookLabel(int book) const;
  // Cumulative verse counts: entry 0 is 0, entry b the verses of books 1 to b.
  const std::vector<int>& GetCumulative() const { return m_cumulative; }
  int GetVerseCount() const { return m_cumulative.back(); }
  int32_t GetHeader(int i) const { return i >= 0 && i < 8 ? m_header[i] : 0; }
  // The word list bytes; the string's own terminating NUL ends them.
  const std::string& GetWordListText() const { return m_wordList; }
  CBibleWordList MakeWordList() const {
    return CBibleWordList(m_wordList, m_header[1], m_header[2], m_wordIndex);
  }

  // Verse number (1-based) to book, chapter and verse, all 1-based; false
  // outside the Bible.
  bool VerseToPlace(int verse, int& book, int& chapter, int& verseInChapter) const;
  // Verse index (0-based) to book, chapter and verse, all 0-based.
  bool IndexToPlace(int index, int& book, int& chapter, int& verse) const;
  // The inverse of IndexToPlace; -1 for a place the Bible does not have.
  int PlaceToIndex(int book, int chapter, int verse) const;
  // The chapters of a book and the verses of a chapter, both counted from 0;
  // 0 for a book or chapter the Bible does not have.
  int GetChapterCount(int book) const;
  int GetChapterVerseCount(int book, int chapter) const;

  // Opens the text file for shared reading; reports a missing one.
  bool OpenText(platform::File& file) const;
  // Appends the texts of verse numbers first to first + count - 1, cleaned for
  // copying and printing, and returns how many were appended. The count is cut
  // at the last verse; a verse whose offsets are damaged ends the run.
  int GetVerses(platform::File& file, int first, int count, std::string& out) const;
  // One verse in the form a Bible window shows; false when it cannot be read.
  bool GetVerseText(platform::File& file, int verse, std::string& out) const;
  // One verse as stored.
  bool ReadStoredVerse(platform::File& file, int verse, std::string& raw) const;

 private:
  struct Book {
    std::string label;
    std::vector<int> chapters;  // verses per chapter
  };
  bool Fail(const char* reason);
  bool LoadTextFile();
  bool ReadTableEntries(platform::File& file, int first, int count, std::vector<int64_t>& entries) const;
  bool ReadVerseBytes(platform::File& file, int64_t begin, int64_t end, std::string& raw) const;

  std::string m_definition;
  std::string m_textPath;
  std::string m_code;
  std::string m_loadError;
  std::vector<Book> m_books;
  std::vector<int> m_cumulative{0};
  int32_t m_header[8] = {};
  std::string m_wordList;
  std::shared_ptr<const CBibleWordIndex> m_wordIndex;
};

// The modules the program has loaded, one per installed Bible.
class CBibleModuleList {
 public:
  void Add(std::unique_ptr<CBibleModule> module) { m_modules.push_back(std::move(module)); }
  int GetCount() const { return static_cast<int>(m_modules.size()); }
  CBibleModule* Get(int i) const {
    return i >= 0 && i < GetCount() ? m_modules[static_cast<size_t>(i)].get() : nullptr;
  }
  CBibleModule* Find(const std::string& code) const;

 private:
  std::vector<std::unique_ptr<CBibleModule>> m_modules;
};

}  // namespace klmw
