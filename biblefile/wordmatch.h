// Words in Bible text: the query cut into words, and the words of a search
// found again in a displayed verse so that they can be painted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace klmw {

// The 34 characters that separate words when a verse is matched, in the
// order they have always been kept (Windows-1252: \xBF inverted question
// mark, \xA1 inverted exclamation mark).
inline constexpr char kWordSeparators[] = ".,<>/\\\"';:[]{}=+-_()!`~$#@%^&*|\xBF\xA1?";

// Letter case in Windows-1252.
char LowerAnsi(char c);
char UpperAnsi(char c);
std::string UpperAnsi(std::string_view text);

// The Find text cut at blanks, carriage returns and line feeds; empty pieces
// dropped, order kept.
std::vector<std::string> SplitQuery(std::string_view text);

// The verse text as words are matched in it: lower case, the accented vowels
// and n-tilde folded to plain letters, each separator made a blank. One
// character becomes one character, so positions carry over to the verse.
std::string FoldForMatching(std::string_view text);

struct WordMatch {
  size_t position;  // in the verse text
  size_t length;
  size_t word;      // which of the search words
};

// Where the search words occur as whole words in the verse text, in text
// order. The words are folded the same way as the text, so an accented
// query word still finds its letters.
std::vector<WordMatch> FindWordMatches(std::string_view verseText, const std::vector<std::string>& words);

// Whether the verse text holds the phrase's words one after another, in
// order, as whole words, both sides folded as above (so punctuation between
// them is no obstacle). A phrase word with separators in it counts as the
// words they part. An empty phrase is in every verse.
bool PhraseInVerse(std::string_view verseText, const std::vector<std::string>& phrase);

}  // namespace klmw
