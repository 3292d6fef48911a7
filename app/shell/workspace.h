// The saved workspace of a bookshelf (`CWhere`): one entry per window, entry 0
// being the main frame, kept in section BookShelf<n> of the settings file.
//
// Keys of BookShelf<n> (i is the window index, 0 = main frame):
//   NumberWindows      "%d", windows including the main frame (read as >= 2)
//   BookName<i>        book name (blank " " when none)
//   TextPath<i>        the book's text path (blank " " when none)
//   Window<i>          "%d, %d, %d, %d, %d, %d, %d, %d, %d,  %d": book index,
//                      section key, show state, tree width, first position
//                      value, page-down mode, left, top, right, bottom
//   StringToParse<i>   the search string, as saved
//   SearchString<i>    the search string, as restored (see Restore)
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace klmw {

// One saved window.
struct CWhereEntry {
  // Rectangle of the frame.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  // The six integers, in the order of the window record.
  int bookIndex = 0;      // index of the book in the data-set registry
  int sectionKey = 0;     // section key; for a Bible window its top verse
  int showState = 0;      // 0 is read as normal
  int treeWidth = 0;      // width of splitter column 0
  int firstPosition = 0;  // kept for the book document, given back unchanged
  int pageDownMode = 0;   // 1 group of verses, 3 one chapter, 4 one book
  // The three texts.
  std::string bookName = " ";
  std::string textPath = " ";
  std::string searchString = " ";

  bool operator==(const CWhereEntry&) const = default;
};

// The record of a window that has no Window<i> key.
inline constexpr const char* kDefaultMainWindowRecord = "0,0,0,0,0,0,0, 0,600,440";
inline constexpr const char* kDefaultChildWindowRecord = "0,0,0,100,0,4,0, 0,500,330";

// Parses the ten numbers of a window record into entry, accepting any blanks
// around them. Returns how many numbers were read (as sscanf would); the
// fields of missing numbers keep the values they had.
int ParseWindowRecord(const std::string& text, CWhereEntry& entry);
// "%d, %d, %d, %d, %d, %d, %d, %d, %d,  %d" (two blanks before the last).
std::string FormatWindowRecord(const CWhereEntry& entry);

// "Book# %d %d": the document name through which a window opens a registry
// book at a section key.
std::string FormatBookDocumentName(int bookIndex, int sectionKey);
// False when name is not of that form.
bool ParseBookDocumentName(const std::string& name, int& bookIndex, int& sectionKey);

// "BookShelf" + n.
std::string BookshelfSection(int bookshelf);

class CWhere {
 public:
  // A NumberWindows beyond this is taken as this: a damaged settings file
  // must not make the program allocate or open windows without bound.
  static constexpr int kMaxWindows = 64;

  // Whether a saved text path still exists; the default asks the file
  // system for the path or, for a Bible, the path + ".ixb". Tests replace
  // it.
  using PathTest = std::function<bool(const std::string& path)>;
  void SetPathTest(PathTest test) { m_pathTest = std::move(test); }

  void Clear() {
    m_entries.clear();
    m_savedRects.clear();
  }
  std::vector<CWhereEntry>& GetEntries() { return m_entries; }
  const std::vector<CWhereEntry>& GetEntries() const { return m_entries; }
  int GetCount() const { return static_cast<int>(m_entries.size()); }

  // Fills the record from BookShelf<n>: the count is NumberWindows raised to
  // 2 (and capped at kMaxWindows); for window i > 0 whose text path, less its
  // last character, no longer exists, the keys of the next saved index fill
  // its slot. A blank text path (a window without a book) is not tested.
  // A Window<i> with fewer than ten numbers takes the rest from the default
  // record. StringToParse<i> (the key the save writes), falling back to
  // SearchString<i> (the same value under its older name), gives the search
  // string; when neither key is there it is " " and the first position value
  // is 0. Returns the number of entries.
  int Restore(const std::string& settingsPath, int bookshelf);
  // Whether the last Restore found a Window<i> key for entry i, that is a
  // rectangle the user left the window at rather than the default one.
  // Without one for entry 0 the program has never been closed with this
  // bookshelf: a first start.
  bool WasRectSaved(int entry) const {
    return entry >= 0 && entry < static_cast<int>(m_savedRects.size()) && m_savedRects[static_cast<size_t>(entry)];
  }

  // Writes NumberWindows and, per entry, Window<i>, StringToParse<i>,
  // BookName<i>, TextPath<i>. Keys that already hold the value are not
  // rewritten, so saving an unchanged workspace costs one read of the file;
  // keys of other sections and of windows beyond the count are left alone.
  // False when a write failed (the file keeps its earlier contents).
  bool Save(const std::string& settingsPath, int bookshelf) const;

  // Moves the child entries (1 onward) so that the smallest left and the
  // smallest top among them (starting from 1000) become 0.
  void ShiftChildrenToOrigin();

  // The "words like SOLT" list: [WORDS_LIKE_SOLT] WORDS_LIKE_SOLT, upper
  // case, split at commas. When the list comes out empty it is set to the one
  // word "SOLT" and written back.
  const std::vector<std::string>& LoadWordsLikeSolt(const std::string& settingsPath);
  const std::vector<std::string>& GetWordsLikeSolt() const { return m_wordsLikeSolt; }
  // True when word, upper-cased, is on the list.
  bool IsWordLikeSolt(const std::string& word) const;

 private:
  bool PathExists(const std::string& path) const;

  std::vector<CWhereEntry> m_entries;
  std::vector<bool> m_savedRects;
  std::vector<std::string> m_wordsLikeSolt;
  PathTest m_pathTest;
};

}  // namespace klmw
