#include "textpane/refs/reftokens.h"

#include <array>
#include <cctype>

namespace textpane {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kConjunctions[] = {", and"sv, ",and"sv, " and"sv, "and"sv};
constexpr std::string_view kRangeWords[] = {" through"sv, " thru"sv};
constexpr std::string_view kChapterWords[] = {"chapters"sv, "chapter"sv, "chaps."sv, "chaps"sv, "chap."sv,
                                              "chap"sv,     "chs."sv,    "chs"sv,    "ch."sv,   "ch"sv};
constexpr std::string_view kVerseWords[] = {"verses"sv, "verse"sv, "vss."sv, "vss"sv, "vs."sv,
                                            "vv."sv,    "vs"sv,    "vv"sv,   "v."sv,  "v"sv};
constexpr std::string_view kNotReferences[] = {
    "Hebrew"sv,  "the Hebrews"sv, "the Exodus"sv, "Levi"sv,   "Judge"sv, "John the Baptist"sv, "John the Baptiser"sv,
    "Philip"sv,  "Philippian"sv,  "Roman"sv,      "Number"sv, "act"sv,   "ff."sv,              "cf."sv,
    "prove"sv};

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }
// The word lists are ASCII, so letter case is folded for ASCII alone.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of word when the text at pos begins with it (any letter case)
// and no letter follows a word that ends in one; else 0.
size_t WordAt(std::string_view text, size_t pos, std::string_view word) {
  if (pos + word.size() > text.size() || Lower(text[pos]) != Lower(word[0])) return 0;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[pos + i]) != Lower(word[i])) return 0;
  const size_t end = pos + word.size();
  if (IsLetter(word.back()) && end < text.size() && IsLetter(text[end])) return 0;
  return word.size();
}

template <size_t N>
size_t AnyWordAt(std::string_view text, size_t pos, const std::string_view (&words)[N]) {
  for (std::string_view w : words)
    if (size_t n = WordAt(text, pos, w)) return n;
  return 0;
}

// For each byte, which word lists have a word beginning with it (in either
// letter case): most of a text's words begin with none, and are passed over
// without a comparison.
enum : uint8_t { kConjunction = 1, kRange = 2, kChapter = 4, kVerse = 8, kNotReference = 16 };

template <size_t N>
void MarkFirst(std::array<uint8_t, 256>& mask, const std::string_view (&words)[N], uint8_t bit) {
  for (std::string_view w : words) {
    const char c = Lower(w[0]);
    mask[static_cast<unsigned char>(c)] |= bit;
    if (c >= 'a' && c <= 'z') mask[static_cast<unsigned char>(c - 'a' + 'A')] |= bit;
  }
}

const std::array<uint8_t, 256>& FirstLetters() {
  static const std::array<uint8_t, 256> mask = [] {
    std::array<uint8_t, 256> m{};
    MarkFirst(m, kConjunctions, kConjunction);
    MarkFirst(m, kRangeWords, kRange);
    MarkFirst(m, kChapterWords, kChapter);
    MarkFirst(m, kVerseWords, kVerse);
    MarkFirst(m, kNotReferences, kNotReference);
    return m;
  }();
  return mask;
}

}  // namespace

RefTokenInfo NextRefToken(std::string_view text, size_t pos, const RefTokenOptions& options) {
  RefTokenInfo t;
  t.start = pos;
  auto take = [&](RefToken kind, size_t length) {
    t.kind = kind;
    t.end = pos + length;
    return t;
  };
  if (pos >= text.size()) return take(RefToken::End, 0);
  const char c = text[pos];
  const uint8_t first = FirstLetters()[static_cast<unsigned char>(c)];
  // The word forms of "and" and "through" begin with a blank, so they are
  // looked for before white space.
  if (size_t n = first & kConjunction ? AnyWordAt(text, pos, kConjunctions) : 0) {
    t.conjunction = text[pos] == ',' ? ',' : '&';
    return take(RefToken::Conjunction, n);
  }
  if (size_t n = first & kRange ? AnyWordAt(text, pos, kRangeWords) : 0) return take(RefToken::RangeWord, n);
  if (IsWhite(c)) {
    size_t n = 1;
    while (pos + n < text.size() && IsWhite(text[pos + n])) ++n;
    return take(RefToken::White, n);
  }
  if (c == '(') return take(RefToken::Open, 1);
  if (c == ')') return take(RefToken::Close, 1);
  if (c == ';' || c == ',') {
    t.conjunction = c;
    return take(RefToken::Conjunction, 1);
  }
  for (size_t i = 0; i < options.translations.size(); ++i) {
    const std::string& name = options.translations[i];
    if (size_t n = name.empty() || Lower(name[0]) != Lower(c) ? 0 : WordAt(text, pos, name)) {
      t.translation = i;
      if (pos + n < text.size() && text[pos + n] == ')') ++n;  // "(NIV)"
      return take(RefToken::Translation, n);
    }
  }
  if (c == '-' || c == '\x96' || c == '\x97') return take(RefToken::RangeWord, 1);
  if (c == ':' || (options.period && c == '.')) return take(RefToken::Separator, 1);
  if (size_t n = first & kChapter ? AnyWordAt(text, pos, kChapterWords) : 0) return take(RefToken::ChapterWord, n);
  if (size_t n = first & kVerse ? AnyWordAt(text, pos, kVerseWords) : 0) return take(RefToken::VerseWord, n);
  if (!options.period && (first & kNotReference))
    if (size_t n = AnyWordAt(text, pos, kNotReferences)) return take(RefToken::NotReference, n);
  if (MatchBookName(text, pos, options.period, t.book)) return take(RefToken::BookName, t.book.length);
  if (IsAlnum(c)) {
    size_t n = 1;
    while (pos + n < text.size() && IsAlnum(text[pos + n])) ++n;
    return take(n < 5 ? RefToken::Label : RefToken::Other, n);
  }
  return take(RefToken::Other, 1);
}

std::vector<RefTokenInfo> RefTokens(std::string_view text, const RefTokenOptions& options) {
  std::vector<RefTokenInfo> tokens;
  for (size_t pos = 0;;) {
    RefTokenInfo t = NextRefToken(text, pos, options);
    if (t.kind == RefToken::End) break;
    pos = t.end > pos ? t.end : pos + 1;  // every token moves on
    tokens.push_back(t);
  }
  return tokens;
}

}  // namespace textpane
