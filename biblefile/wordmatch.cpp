#include "biblefile/wordmatch.h"

#include <algorithm>
#include <cstring>

namespace klmw {
namespace {

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// The accented letters are folded after lower-casing, so only the small
// forms are needed (capital E-acute has become e-acute by then).
char FoldAccent(char c) {
  switch (Byte(c)) {
    case 0xE1: case 0xE2: return 'a';
    case 0xE9: case 0xEA: return 'e';
    case 0xED: case 0xEE: return 'i';
    case 0xF3: case 0xF4: return 'o';
    case 0xFA: case 0xFB: case 0xFC: return 'u';
    case 0xF1: return 'n';
    default: return c;
  }
}

}  // namespace

char LowerAnsi(char c) {
  unsigned char b = Byte(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return static_cast<char>(b + 0x20);
  switch (b) {
    case 0x8A: case 0x8C: case 0x8E: return static_cast<char>(b + 0x10);  // S-caron, OE, Z-caron
    case 0x9F: return static_cast<char>(0xFF);                            // Y-diaeresis
    default: return c;
  }
}

char UpperAnsi(char c) {
  unsigned char b = Byte(c);
  if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return static_cast<char>(b - 0x20);
  switch (b) {
    case 0x9A: case 0x9C: case 0x9E: return static_cast<char>(b - 0x10);
    case 0xFF: return static_cast<char>(0x9F);
    default: return c;
  }
}

std::string UpperAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAnsi(c);
  return out;
}

std::vector<std::string> SplitQuery(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(" \r\n", i);
    if (end == std::string_view::npos) end = text.size();
    if (end > i) words.emplace_back(text.substr(i, end - i));
    i = end + 1;
  }
  return words;
}

std::string FoldForMatching(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = FoldAccent(LowerAnsi(c));
    if (c != '\0' && std::strchr(kWordSeparators, c)) c = ' ';
  }
  return out;
}

std::vector<WordMatch> FindWordMatches(std::string_view verseText, const std::vector<std::string>& words) {
  std::vector<WordMatch> matches;
  const std::string folded = FoldForMatching(verseText);
  for (size_t w = 0; w < words.size(); ++w) {
    const std::string word = FoldForMatching(words[w]);
    if (word.empty()) continue;
    for (size_t at = folded.find(word); at != std::string::npos; at = folded.find(word, at + 1)) {
      bool startOk = at == 0 || folded[at - 1] == ' ';
      bool endOk = at + word.size() == folded.size() || folded[at + word.size()] == ' ';
      if (startOk && endOk) matches.push_back({at, word.size(), w});
    }
  }
  std::sort(matches.begin(), matches.end(),
            [](const WordMatch& a, const WordMatch& b) { return a.position < b.position || (a.position == b.position && a.word < b.word); });
  return matches;
}

namespace {

// The folded text's words, cut at blanks and control characters.
void AppendFoldedWords(std::string_view text, std::vector<std::string>& out) {
  const std::string folded = FoldForMatching(text);
  size_t i = 0;
  while (i < folded.size()) {
    while (i < folded.size() && Byte(folded[i]) <= ' ') ++i;
    size_t end = i;
    while (end < folded.size() && Byte(folded[end]) > ' ') ++end;
    if (end > i) out.push_back(folded.substr(i, end - i));
    i = end;
  }
}

}  // namespace

bool PhraseInVerse(std::string_view verseText, const std::vector<std::string>& phrase) {
  std::vector<std::string> wanted;
  for (const std::string& word : phrase) AppendFoldedWords(word, wanted);
  if (wanted.empty()) return true;
  std::vector<std::string> verse;
  AppendFoldedWords(verseText, verse);
  return std::search(verse.begin(), verse.end(), wanted.begin(), wanted.end()) != verse.end();
}

}  // namespace klmw
