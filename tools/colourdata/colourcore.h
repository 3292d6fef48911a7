// The colour data of a Bible as the program reads it from CODE.pip, and the
// rules that turn topic lists and the words of Christ into it.
//
// CODE.pip: fixed records of 100 bytes, record 0 unused, verse v (1-31,102 in
// the English order) at offset v * 100. A record holds up to 20 entries of 5
// bytes: little-endian int32 word number (1-based, words are the blank-
// delimited tokens of the verse's display text), then one colour byte; an
// entry whose first byte is 0 ends the list.
//   colour file:    colour k (1-12) starts topic colour k at its word, colour 0
//                   ends the coloured stretch there.
//   underline file: a non-zero colour starts underlining at its word (a single
//                   word when it stands alone); bit 7 on the colour byte marks a
//                   continued entry, and the entry after it closes a range that
//                   ends one word after its own word.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace colourdata {

inline constexpr int kEnglishVerses = 31102;
inline constexpr size_t kRecordSize = 100;
inline constexpr size_t kEntrySize = 5;
inline constexpr size_t kMaxEntries = kRecordSize / kEntrySize;  // 20
inline constexpr uint8_t kContinued = 0x80;

enum Language { kEnglish = 0, kSpanish = 1, kLanguages = 2 };

// A blank-delimited token: characters [start, end) of the verse text.
struct Token {
  int start;
  int end;
};
std::vector<Token> SplitWords(std::string_view text);
// The 1-based number of the word holding character `offset`, or of the first
// word after it when it falls on blanks; 0 past the last word.
int WordAt(const std::vector<Token>& words, int offset);

struct Entry {
  int32_t word;
  uint8_t colour;
  bool operator==(const Entry&) const = default;
};
using Record = std::vector<Entry>;

// A .pip file with every verse record empty.
std::string EmptyPipFile();
// Writes a verse's entries into its record; there must be at most 20.
void PutRecord(std::string& pip, int verse, const Record& entries);
// The entries of a verse's record, up to the ending entry.
Record GetRecord(const std::string& pip, int verse);

// Coloured stretches of words (first and last 1-based word, inclusive) as
// colour-mode entries: colour `topic` at each stretch's first word, 0 at the
// word after it (left out when the stretch reaches the verse's last word).
// A stretch that does not fit whole into the 20 entries is dropped, with
// every one after it.
Record ColourEntries(int topic, const std::vector<std::pair<int, int>>& stretches, int wordCount);
// The stretches of consecutive words flagged in `hits` (hits[i] is word i+1).
std::vector<std::pair<int, int>> Stretches(const std::vector<bool>& hits);

// Underline-mode entries for character ranges [start, end) of the display
// text: each range becomes the words it touches; overlapping or adjacent
// word ranges are joined. One word gives one entry, longer ranges a continued
// entry at their first word and a closing one at their last. Ranges that do
// not fit into the 20 entries are dropped.
Record UnderlineEntries(std::string_view text, std::vector<std::pair<int, int>> ranges);

// One topic colour: its number (1-12), a blank-free name, the RGB of its
// background, the Nave's sections (upper case) whose verse links it takes,
// and its keywords per language (Windows-1252, lower case; a trailing '*'
// matches any ending).
struct Topic {
  int number = 0;
  std::string name;
  int rgb[3] = {255, 255, 255};
  std::vector<std::string> naves;
  std::vector<std::string> keywords[kLanguages];
};

// Reads the topics file (UTF-8); empty with `error` set when it is malformed.
//   # comment
//   topic NUMBER NAME R G B
//   naves SECTION NAME          (one line each; the rest of the line is the name)
//   en KEYWORD...               English keywords
//   es KEYWORD...               Spanish keywords
std::vector<Topic> ReadTopics(std::istream& in, std::string& error);

// UTF-8 to Windows-1252 for the Latin-1 letters the keywords use; other
// characters become '?'.
std::string Utf8ToLatin1(std::string_view text);
// A token made comparable: punctuation at either end dropped, letters in
// lower case (Windows-1252).
std::string FoldWord(std::string_view token);
bool KeywordMatches(const std::string& folded, const std::vector<std::string>& keywords);

// The words of a verse that carry a topic, flagged per word.
std::vector<bool> KeywordHits(std::string_view text, const std::vector<std::string>& keywords);

// The colour of a verse claimed by the topics `claiming` (indices into
// `topics`, the preferred first): the first of them with a keyword in the
// verse, its keyword words coloured; when none has one, the first of them over
// the whole verse. Topic 0 with no entries when nothing claims the verse.
struct VerseColour {
  int topic = 0;
  bool whole = false;
  int dropped = 0;  // keyword stretches left out for the 20-entry limit
  Record entries;
};
VerseColour ChooseColour(std::string_view text, const std::vector<int>& claiming, const std::vector<Topic>& topics,
                         Language language);

// colors.txt: "Colors N", then per topic its name, a tab (two when the name
// is shorter than 8 characters), its number and R, G, B separated by tabs.
std::string PaletteText(const std::vector<Topic>& topics);

}  // namespace colourdata
