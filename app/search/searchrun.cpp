#include "app/search/searchrun.h"

#include <algorithm>

#include "app/bibles/colorindex.h"
#include "biblefile/biblemodule.h"
#include "biblefile/wordmatch.h"
#include "platform/file.h"
#include "soltread.h"

namespace klmw {

SearchRequest SearchRequest::FromText(std::string_view findText, int mode) {
  SearchRequest request;
  request.words = SplitQuery(findText);
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

// The words' sets combined into the accumulator. False (with the message)
// when a word is missing; lookup(word, set) sets the word's positions.
template <typename Lookup>
bool CombineWords(const std::vector<std::string>& words, bool orMode, CHitSet& acc, std::string& message,
                  Lookup lookup) {
  CHitSet word(acc.GetSize());
  for (size_t i = 0; i < words.size(); ++i) {
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

}  // namespace

SearchResult RunBibleSearch(const CBibleModule& bible, platform::File& text, const SearchRequest& request,
                            const std::string& colorIndexPath) {
  const bool orMode = request.mode == kSearchOr;
  const std::vector<std::string> words = request.UpperWords();
  CHitSet acc(kBibleHitCount);
  CBibleWordList list = bible.MakeWordList();
  SearchResult stopped;
  if (!CombineWords(words, orMode, acc, stopped.message, [&](const std::string& word, CHitSet& set) {
        return list.ReadVerseSet(text, word, set);
      }))
    return stopped;

  const std::vector<int> codes = request.ColorCodes();
  if (!codes.empty()) {
    CColorIndex index;
    index.Load(colorIndexPath);  // what the file lacks stays empty
    CHitSet colors(kBibleHitCount);
    for (int code : codes) {
      if (code < 0 || code >= kColorIndexSets) continue;
      for (int verse : index.Verses(code)) colors.Set(static_cast<size_t>(verse));
    }
    if (words.empty())
      acc.Or(colors);
    else
      acc.And(colors);
  }
  return Finish(std::move(acc), orMode, !words.empty() || !codes.empty(), words);
}

SearchResult RunBookSearch(const cSOLTBook& registered, const SearchRequest& request) {
  const bool orMode = request.mode == kSearchOr;
  const std::vector<std::string> words = request.UpperWords();
  cSOLTBook book(registered);
  try {
    if (book.Open(SOLT_CONCORD_IDX | SOLT_SECTIONS_IDX) != SOLT_OK) return {};
    const int last = book.GetLastSectionKey();
    CHitSet acc(static_cast<size_t>(std::clamp(last + 1, 0, static_cast<int>(kMaxHitPositions))));
    SearchResult stopped;
    std::vector<unsigned> keys;
    const bool found = CombineWords(words, orMode, acc, stopped.message, [&](const std::string& word, CHitSet& set) {
      const int index = book.FindExactMatchingWord(word.c_str());
      if (index < 0) return false;
      keys.clear();
      book.GetKeysForWord(index, keys);
      for (unsigned key : keys) set.Set(key);
      return true;
    });
    book.Close(SOLT_ALL_OPEN);
    if (!found) return stopped;
    return Finish(std::move(acc), orMode, !words.empty(), words);
  } catch (const platform::FileException&) {
    book.Close(SOLT_ALL_OPEN);
    return {};
  }
}

}  // namespace klmw
