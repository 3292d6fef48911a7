// The names and abbreviations of the books that references in text are read
// by: 167 rows, each a name, the books it may stand for (in order of
// preference; numbers of the reference library, 1-102), the fewest leading
// characters that must agree, and whether it is the book's display name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace textpane {

struct BookNameRow {
  const char* name;
  std::array<uint16_t, 6> books;  // 0-terminated
  uint8_t minLength;
  bool display;
};

inline constexpr size_t kBookNameRows = 167;
inline constexpr uint16_t kLastNamedBook = 102;

std::span<const BookNameRow> BookNameTable();
// The rows whose name begins with the letter (any case), in table order.
std::span<const BookNameRow* const> BookNameRowsFor(char first);
// The name a book is shown by ("" for 0 or a book no row names).
const char* BookDisplayName(uint16_t book);

struct BookNameMatch {
  const BookNameRow* row = nullptr;
  size_t length = 0;  // characters of text taken, a closing "." included
  int certainty = 0;  // 1: the full display name, or an abbreviation with "."
};

// The first row (in table order, among those of the text's first letter)
// whose name agrees with text from pos for at least its minimum length and
// ends at a word boundary: the next character is no letter, or the part of
// the name that agreed ends in a blank (which is given back). Compared
// exactly, or without regard to letter case when ignoreCase is set.
bool MatchBookName(std::string_view text, size_t pos, bool ignoreCase, BookNameMatch& match);

// The display names of the books whose names (or abbreviations) are nearest
// to a word that names none ("Gensis" -> Genesis), nearest first, at most
// `count`; none when nothing is near enough to be a slip of the keyboard.
std::vector<std::string> NearestBookNames(std::string_view word, size_t count);

}  // namespace textpane
