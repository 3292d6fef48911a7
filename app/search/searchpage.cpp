#include "app/search/searchpage.h"

#include <algorithm>
#include <cstdint>

#include "biblefile/biblemodule.h"
#include "biblefile/biblewordlist.h"
#include "biblefile/wordmatch.h"
#include "platform/file.h"
#include "soltread.h"

namespace klmw {

namespace {

class CBibleWordSource : public CSearchWordSource {
 public:
  explicit CBibleWordSource(const CBibleModule& bible) : m_list(bible.MakeWordList()) {}

  std::vector<std::string> WordsNear(const std::string& typed, bool first) override {
    const std::string word = UpperAnsi(typed.empty() ? std::string_view("a") : std::string_view(typed));
    if (first) {
      int64_t offset = 0, length = 0;
      m_list.FindExact(word, offset, length);
    } else {
      m_list.FindNearest(word);
    }
    return MoreWords();
  }

  std::vector<std::string> MoreWords() override {
    constexpr int kBatch = 20;
    std::vector<std::string> words;
    std::string word;
    for (int i = 0; i < kBatch && m_list.GetListPos() >= 0; ++i) {
      if (!m_list.GetNextWord(word)) break;
      words.push_back(word);
    }
    return words;
  }

 private:
  CBibleWordList m_list;
};

class CBookWordSource : public CSearchWordSource {
 public:
  explicit CBookWordSource(const cSOLTBook& registered) : m_book(registered) {
    try {
      if (m_book.Open(SOLT_CONCORD_IDX) == SOLT_OK) m_count = m_book.WordCount();
    } catch (const std::exception&) {
      m_count = 0;
    }
  }
  ~CBookWordSource() override { m_book.Close(SOLT_ALL_OPEN); }
  CBookWordSource(const CBookWordSource&) = delete;
  CBookWordSource& operator=(const CBookWordSource&) = delete;

  std::vector<std::string> WordsNear(const std::string& typed, bool) override {
    m_next = -1;
    std::vector<std::string> words;
    if (m_count <= 0) return words;
    try {
      std::string found;
      const int p = m_book.FindNearestMatchingWord(typed.c_str(), found);
      if (p < 0) return words;
      if (p < End(p)) words.push_back(found);
      m_next = p + 1;
      Append(words, End(p));
    } catch (const std::exception&) {
      m_next = -1;
    }
    return words;
  }

  std::vector<std::string> MoreWords() override {
    std::vector<std::string> words;
    if (m_next < 0) return words;
    try {
      Append(words, End(m_next));
    } catch (const std::exception&) {
      m_next = -1;
    }
    return words;
  }

 private:
  static constexpr int kBatch = 10;
  // Where a batch starting at `from` ends (not included): the last word of
  // the list is never shown.
  int End(int from) const { return std::min(from + kBatch, m_count - 1); }
  // The words from m_next up to end, read one after another from the book's
  // word cursor, which stands on the word before m_next.
  void Append(std::vector<std::string>& words, int end) {
    std::string word;
    for (; m_next < end; ++m_next) {
      if (m_book.GetNextWord(word) < 0) {
        m_next = -1;
        return;
      }
      words.push_back(word);
    }
  }

  cSOLTBook m_book;
  int m_count = 0;
  int m_next = -1;  // the index of the next word to show, or -1
};

bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n'; }

}  // namespace

std::unique_ptr<CSearchWordSource> MakeBibleWordSource(const CBibleModule& bible) {
  return std::make_unique<CBibleWordSource>(bible);
}

std::unique_ptr<CSearchWordSource> MakeBookWordSource(const cSOLTBook& registered) {
  return std::make_unique<CBookWordSource>(registered);
}

CFindEdit ChooseListWord(std::string_view findText, size_t caret, std::string_view word) {
  if (SplitQuery(findText).size() <= 1) return {std::string(word), word.size()};
  caret = std::min(caret, findText.size());
  size_t start = caret;
  while (start > 0 && !IsBlank(findText[start - 1])) --start;
  size_t end = caret;
  while (end < findText.size() && !IsBlank(findText[end])) ++end;
  std::string text(findText.substr(0, start));
  text += word;
  text += findText.substr(end);
  return {std::move(text), start + word.size()};
}

}  // namespace klmw
