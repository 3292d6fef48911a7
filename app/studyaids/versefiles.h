// The user's two lists of verses, bookmks.dat (bookmarks) and
// printverse.dat (verses tagged for printing): one line per verse, the
// book's name without blanks, chapter:verse, and the verse index.
//
//   Genesis 1:3 2
//   1Corintios 13:4 28339
//
// Lines are read whole, so a name written with blanks by older copies
// ("Song of Songs 2:1 17056") still reads as one entry; a line that does not
// end in "chapter:verse index" is passed over.
#pragma once

#include <string>
#include <vector>

namespace klmw {

inline constexpr const char* kBookmarksFile = "bookmks.dat";
inline constexpr const char* kTaggedVersesFile = "printverse.dat";

struct CVerseEntry {
  std::string bookToken;     // as written ("1Samuel", "Song of Songs")
  std::string chapterVerse;  // "3:16"
  int verseIndex = -1;       // as written: the window's top verse
  // What the lists show: "John 3:16".
  std::string Label() const { return bookToken + " " + chapterVerse; }
};

// The book's name for a verse line: the Bible's own names (Spanish for
// "RVR") with the blanks taken out. book is 1-based; "" outside 1-66.
std::string VerseLineBookToken(const std::string& bibleCode, int book);

// "token chapter:verse index\n"
std::string FormatVerseLine(const std::string& bookToken, int chapter, int verse, int verseIndex);

// The entries of a list file's text, in file order.
std::vector<CVerseEntry> ParseVerseList(const std::string& text);
std::string FormatVerseList(const std::vector<CVerseEntry>& entries);

// Reads a list file; a missing file is an empty list (and is not created).
std::vector<CVerseEntry> ReadVerseList(const std::string& path);
// Adds a line at the end; the file is rewritten whole through a temporary
// file, so a failed write leaves the old list.
bool AppendVerseLine(const std::string& path, const std::string& line, std::string& error);
// The list without entry `index` (an index outside it changes nothing).
bool RemoveVerseEntry(const std::string& path, size_t index, std::string& error);

// The book (1-66) and 1-based chapter and verse an entry names, read
// through the book tables (English, then Spanish, without blanks or letter
// case); false when the token or the numbers cannot be read.
bool EntryPlace(const CVerseEntry& entry, int& book, int& chapter, int& verse);

}  // namespace klmw
