// Phrase matching over the words of concordance spans. A phrase is words
// separated by spaces; "?" stands for one character of a word, "*" for the
// rest of a word ("**" is one "*"), "'" also matches the right single quote
// and "-" the em dash. A match begins where a span is entered (its hidden
// key) or at any word inside a span, and never leaves the span it began in.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "textpane/model/rtfdoc.h"

namespace textpane {

class LevelCursor;

class PhraseMatcher {
 public:
  PhraseMatcher(const std::vector<std::string>& phrases, bool matchCase);

  // Walks the level word by word, trying the phrases in order at each word;
  // `found` gets each match as [begin, end) and says whether to go on after it.
  void Scan(const CRtfDoc& doc, int32_t level, const std::function<bool(TextPos, TextPos)>& found) const;

 private:
  // A match of phrase `p` from `at`: on success `at` is moved past it and
  // `begin` is where it started.
  bool MatchAt(LevelCursor& at, const std::string& p, TextPos& begin) const;
  // Places where the rest of a phrase (from index i) is known not to match,
  // so that a phrase with several "*" tries each place once.
  using Failures = std::set<std::tuple<TextPos, size_t, unsigned char>>;
  bool MatchFrom(LevelCursor& c, const std::string& p, size_t i, unsigned char word, Failures& failed) const;

  // Inside a span a match starts at the word's first character, so most
  // words are passed over by it: moves c past the words of its run that no
  // phrase starts with, and says how far.
  size_t PassOverWords(LevelCursor& c) const;

  std::vector<std::string> m_phrases;  // spaces collapsed, empty ones dropped
  bool m_matchCase;
  // The characters some phrase can start with.
  std::array<bool, 256> m_starts;
};

}  // namespace textpane
