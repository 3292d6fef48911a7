// The search run: the words of a query and the chosen colours turned into one
// set of hit positions, over a Bible (verse indexes) or a SOLT book (section
// keys).
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "biblefile/hitset.h"

class cSOLTBook;

namespace platform {
class File;
}

namespace klmw {

class CBibleModule;

// A hit set never has more positions than an unsigned 16-bit count holds.
inline constexpr size_t kMaxHitPositions = 65535;
// The combine modes, as the AND and OR buttons give them.
inline constexpr int kSearchAnd = 1;
inline constexpr int kSearchOr = 2;
// The colour search codes: 0-11 the first twelve topic colours, 14 the
// verses with underlined words (the Words of God).
inline constexpr int kSearchColorCodes = 12;
inline constexpr int kWordsOfGodCode = 14;

// How a second hit set joins the first.
enum class CombineOp { Or, And, Xor };
// Combines other into target; false, and target left as it was, when the two
// sets differ in size.
bool CombineHits(CHitSet& target, const CHitSet& other, CombineOp op);

struct SearchRequest {
  // The words as typed, double quotes taken out; the run looks them up in
  // upper case.
  std::vector<std::string> words;
  // The quoted stretches of the Find text, each as its words. An AND search
  // keeps only the verses that hold every phrase word for word.
  std::vector<std::vector<std::string>> phrases;
  int mode = kSearchAnd;
  std::vector<int> colors;
  bool wordsOfGod = false;

  // The words of a Find text, cut as the search page cuts it. A quote (",
  // or the curly \x93 \x94) opens a phrase and the next one closes it; one
  // left open runs to the end of the text.
  static SearchRequest FromText(std::string_view findText, int mode = kSearchAnd);
  // The words in upper case, as the run looks them up.
  std::vector<std::string> UpperWords() const;
  // The colour codes the run reads: those chosen, then 14 for the Words of God.
  std::vector<int> ColorCodes() const;
};

struct SearchResult {
  CHitSet hits{0};
  // What the run tells the user when it stops; empty when it has nothing to say.
  std::string message;
  // The run was stopped by its cancel flag: no hits and no message.
  bool cancelled = false;
  bool HasHits() const { return hits.Count() != 0; }
};

// The messages of a run.
std::string WordNotFoundMessage(const std::string& word);
std::string NoCommonVerseMessage(const std::vector<std::string>& words);

// The colour index file of a Bible: COLORNDX.CODE in dir (with its trailing
// '/', or "").
std::string ColorIndexPath(const std::string& dir, const std::string& code);

// Searches a Bible through its word list; `text` is the Bible's open text
// file. The colours come from the colour index file at colorIndexPath; a
// missing or short file leaves the colours it lacks empty. The run looks at
// `cancel`, when given, between words, between colours and now and then while
// it reads verses for phrases, and stops when it is set.
SearchResult RunBibleSearch(const CBibleModule& bible, platform::File& text, const SearchRequest& request,
                            const std::string& colorIndexPath, const std::atomic<bool>* cancel = nullptr);

// Searches a SOLT book through its concordance. The book is copied and the
// copy opened and closed here; a book that cannot be opened gives no hits and
// no message. Colours and phrases do not apply to books. `cancel` as for a
// Bible, looked at between words.
SearchResult RunBookSearch(const cSOLTBook& book, const SearchRequest& request,
                           const std::atomic<bool>* cancel = nullptr);

// Each book document keeps the words and colours of its last search, which
// its views mark, and the books that search covered.
class CSearchController {
 public:
  void SetLastSearch(const std::vector<std::string>& words, const std::vector<int>& colors) {
    m_words = words;
    m_colors = colors;
  }
  void Clear() {
    m_words.clear();
    m_colors.clear();
    m_books.clear();
  }
  const std::vector<std::string>& GetWords() const { return m_words; }
  const std::vector<int>& GetColors() const { return m_colors; }
  // The searched books: the active window's book alone.
  void SetSearchedBook(const std::string& name) { m_books.assign(1, name); }
  const std::vector<std::string>& GetSearchedBooks() const { return m_books; }

 private:
  std::vector<std::string> m_words;
  std::vector<int> m_colors;
  std::vector<std::string> m_books;
};

}  // namespace klmw
