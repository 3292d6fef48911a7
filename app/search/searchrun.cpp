#include "app/search/searchrun.h"

#include <algorithm>

#include "app/bibles/colorindex.h"
#include "biblefile/biblemodule.h"
#include "biblefile/wordmatch.h"
#include "platform/file.h"
#include "soltread.h"

namespace klmw {

bool CombineHits(CHitSet& target, const CHitSet& other, CombineOp op) {
  if (target.GetSize() != other.GetSize()) return false;
  switch (op) {
    case CombineOp::Or: target.Or(other); break;
    case CombineOp::And: target.And(other); break;
    case CombineOp::Xor: target.Xor(other); break;
  }
  return true;
}

namespace {

bool IsQuote(char c) { return c == '"' || c == '\x93' || c == '\x94'; }

void AddPhrase(std::string_view text, std::vector<std::vector<std::string>>& phrases) {
  std::vector<std::string> words = SplitQuery(text);
  if (!words.empty()) phrases.push_back(std::move(words));
}

}  // namespace

SearchRequest SearchRequest::FromText(std::string_view findText, int mode) {
  SearchRequest request;
  for (std::string& word : SplitQuery(findText)) {
    std::erase_if(word, IsQuote);
    if (!word.empty()) request.words.push_back(std::move(word));
  }
  size_t open = std::string_view::npos;  // where the open phrase's text starts
  for (size_t i = 0; i < findText.size(); ++i) {
    if (!IsQuote(findText[i])) continue;
    if (open == std::string_view::npos) {
      open = i + 1;
    } else {
      AddPhrase(findText.substr(open, i - open), request.phrases);
      open = std::string_view::npos;
    }
  }
  if (open != std::string_view::npos) AddPhrase(findText.substr(open), request.phrases);
  request.mode = mode;
  return request;
}

std::vector<std::string> SearchRequest::UpperWords() const {
  std::vector<std::string> upper;
  upper.reserve(words.size());
  for (const std::string& word : words) upper.push_back(UpperAnsi(word));
  return upper;
}

std::vector<int> SearchRequest::ColorCodes() const {
  std::vector<int> codes = colors;
  if (wordsOfGod) codes.push_back(kWordsOfGodCode);
  return codes;
}

std::string WordNotFoundMessage(const std::string& word) { return "Could not find the word \"" + word + "\"."; }

std::string NoCommonVerseMessage(const std::vector<std::string>& words) {
  std::string list;
  for (const std::string& word : words) list += word + ' ';
  return "Could not find words \"" + list + "\" in the same verse.";
}

std::string ColorIndexPath(const std::string& dir, const std::string& code) { return dir + "COLORNDX." + code; }

namespace {

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

SearchResult CancelledResult() {
  SearchResult result;
  result.cancelled = true;
  return result;
}

// The words' sets combined into the accumulator. False when a word is missing
// (with the message) or the run is cancelled (without); lookup(word, set)
// sets the word's positions.
template <typename Lookup>
bool CombineWords(const std::vector<std::string>& words, bool orMode, CHitSet& acc, std::string& message,
                  const std::atomic<bool>* cancel, Lookup lookup) {
  CHitSet word(acc.GetSize());
  for (size_t i = 0; i < words.size(); ++i) {
    if (Cancelled(cancel)) return false;
    CHitSet& target = i == 0 ? acc : word;
    if (i > 0) word.Clear();
    if (!lookup(words[i], target)) {
      message = WordNotFoundMessage(words[i]);
      return false;
    }
    if (i == 0) continue;
    if (orMode)
      acc.Or(word);
    else
      acc.And(word);
  }
  return true;
}

// The last stage of a run: an AND search that had something to look for
// and found nothing says so.
SearchResult Finish(CHitSet&& acc, bool orMode, bool searched, const std::vector<std::string>& words) {
  SearchResult result;
  if (acc.Count() == 0 && !orMode && searched) {
    result.message = NoCommonVerseMessage(words);
    return result;
  }
  result.hits = std::move(acc);
  return result;
}

// Keeps the hit verses that hold every phrase. False when cancelled.
bool NarrowToPhrases(const CBibleModule& bible, platform::File& text,
                     const std::vector<std::vector<std::string>>& phrases, CHitSet& acc,
                     const std::atomic<bool>* cancel) {
  CHitSet kept(acc.GetSize());
  std::string verse;
  size_t read = 0;
  for (long p = acc.Next(-1); p >= 0; p = acc.Next(p)) {
    if (++read % 256 == 0 && Cancelled(cancel)) return false;
    if (!bible.GetVerseText(text, static_cast<int>(p) + 1, verse)) continue;
    if (std::all_of(phrases.begin(), phrases.end(),
                    [&](const std::vector<std::string>& phrase) { return PhraseInVerse(verse, phrase); }))
      kept.Set(static_cast<size_t>(p));
  }
  acc = std::move(kept);
  return true;
}

}  // namespace

SearchResult RunBibleSearch(const CBibleModule& bible, platform::File& text, const SearchRequest& request,
                            const std::string& colorIndexPath, const std::atomic<bool>* cancel) {
  const bool orMode = request.mode == kSearchOr;
  const std::vector<std::string> words = request.UpperWords();
  CHitSet acc(kBibleHitCount);
  CBibleWordList list = bible.MakeWordList();
  SearchResult stopped;
  if (!CombineWords(words, orMode, acc, stopped.message, cancel, [&](const std::string& word, CHitSet& set) {
        return list.ReadVerseSet(text, word, set);
      }))
    return Cancelled(cancel) ? CancelledResult() : stopped;

  const std::vector<int> codes = request.ColorCodes();
  if (!codes.empty()) {
    CColorIndex index;
    index.Load(colorIndexPath);  // what the file lacks stays empty
    CHitSet colors(kBibleHitCount);
    for (int code : codes) {
      if (Cancelled(cancel)) return CancelledResult();
      if (code < 0 || code >= kColorIndexSets) continue;
      for (int verse : index.Verses(code)) colors.Set(static_cast<size_t>(verse));
    }
    if (words.empty())
      acc.Or(colors);
    else
      acc.And(colors);
  }
  if (!orMode && !request.phrases.empty() && !NarrowToPhrases(bible, text, request.phrases, acc, cancel))
    return CancelledResult();
  return Finish(std::move(acc), orMode, !words.empty() || !codes.empty(), words);
}

SearchResult RunBookSearch(const cSOLTBook& registered, const SearchRequest& request,
                           const std::atomic<bool>* cancel) {
  const bool orMode = request.mode == kSearchOr;
  const std::vector<std::string> words = request.UpperWords();
  cSOLTBook book(registered);
  try {
    if (book.Open(SOLT_CONCORD_IDX | SOLT_SECTIONS_IDX) != SOLT_OK) return {};
    const int last = book.GetLastSectionKey();
    CHitSet acc(static_cast<size_t>(std::clamp(last + 1, 0, static_cast<int>(kMaxHitPositions))));
    SearchResult stopped;
    std::vector<unsigned> keys;
    const bool found =
        CombineWords(words, orMode, acc, stopped.message, cancel, [&](const std::string& word, CHitSet& set) {
          const int index = book.FindExactMatchingWord(word.c_str());
          if (index < 0) return false;
          keys.clear();
          book.GetKeysForWord(index, keys);
          for (unsigned key : keys) set.Set(key);
          return true;
        });
    book.Close(SOLT_ALL_OPEN);
    if (!found) return Cancelled(cancel) ? CancelledResult() : stopped;
    return Finish(std::move(acc), orMode, !words.empty(), words);
  } catch (const platform::FileException&) {
    book.Close(SOLT_ALL_OPEN);
    return {};
  }
}

}  // namespace klmw
