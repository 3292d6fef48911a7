// References in text read as tokens: a paragraph's text cut into book names,
// labels (chapter and verse numbers, "16a"), separators, range words and
// dashes, conjunctions, chapter and verse words, translation names, the words
// that look like books but are not ("John the Baptist"), white space and
// whatever else stands between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textpane/refs/booknames.h"

namespace textpane {

enum class RefToken : uint8_t {
  End,
  White,
  Open,         // (
  Close,        // )
  Conjunction,  // ';' ',' or '&' for the "and" words
  Translation,
  RangeWord,    // "-", en and em dashes, " through", " thru"
  Separator,    // ':' (and '.' with the period option)
  ChapterWord,
  VerseWord,
  NotReference,
  BookName,
  Label,
  Other,
};

struct RefTokenInfo {
  RefToken kind = RefToken::End;
  size_t start = 0, end = 0;  // [start, end) of the text
  char conjunction = 0;       // ';', ',' or '&'
  BookNameMatch book;         // for BookName
  size_t translation = 0;     // for Translation: its place in the names given
};

struct RefTokenOptions {
  // '.' separates chapter and verse, names compare without regard to case,
  // and the words that are not references are not looked for.
  bool period = false;
  // The translations' names, as they may be written after a reference.
  std::vector<std::string> translations;
};

// The token at pos (End at or past the text's end).
RefTokenInfo NextRefToken(std::string_view text, size_t pos, const RefTokenOptions& options);
// Every token of the text up to its end (the End token not included).
std::vector<RefTokenInfo> RefTokens(std::string_view text, const RefTokenOptions& options);

}  // namespace textpane
