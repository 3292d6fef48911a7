// The search page's pieces that need no window: the word list beside the
// Find box, filled from a Bible's word list or a book's concordance, and a
// word chosen from that list put into the Find text.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class cSOLTBook;

namespace klmw {

class CBibleModule;

class CSearchWordSource {
 public:
  virtual ~CSearchWordSource() = default;
  // The words shown for what the user typed ("" is looked up as "a" for a
  // Bible). The first fill after the page opens positions the list by the
  // exact lookup (which leaves the list at the last entry the typed word is
  // a prefix of), later fills by the nearest lookup. Bibles: up to 20 words
  // by repeated next-word, stopping early when the list position is unset.
  // Books: FindNearestMatchingWord gives p; the words from p up to but not
  // including min(p + 10, WordCount() - 1) via GetNextWord.
  virtual std::vector<std::string> WordsNear(const std::string& typed, bool first) = 0;
  // The next batch continuing from where the last fill ended (for
  // scrolling), empty at the end.
  virtual std::vector<std::string> MoreWords() = 0;
};

// The Bible's word list, upper case as it holds it. The Bible must outlive
// the source.
std::unique_ptr<CSearchWordSource> MakeBibleWordSource(const CBibleModule& bible);
// Copies and opens its own book; a book that cannot be opened or has no
// words gives empty lists, never throws.
std::unique_ptr<CSearchWordSource> MakeBookWordSource(const cSOLTBook& registered);

struct CFindEdit {
  std::string text;
  size_t caret;
};

// Choosing a word from the list: with one word or nothing in the Find text
// the word replaces it; with several, the word around the caret (bounded by
// the nearest blanks before and after the caret, or the text's ends) is
// replaced. caret = just after the inserted word.
CFindEdit ChooseListWord(std::string_view findText, size_t caret, std::string_view word);

}  // namespace klmw
