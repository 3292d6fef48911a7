#include "textpane/refs/reftokens.h"

#include <cctype>

namespace textpane {

namespace {

constexpr const char* kConjunctions[] = {", and", ",and", " and", "and"};
constexpr const char* kRangeWords[] = {" through", " thru"};
constexpr const char* kChapterWords[] = {"chapters", "chapter", "chaps.", "chaps", "chap.", "chap",
                                         "chs.",     "chs",     "ch.",    "ch"};
constexpr const char* kVerseWords[] = {"verses", "verse", "vss.", "vss", "vs.", "vv.", "vs", "vv", "v.", "v"};
constexpr const char* kNotReferences[] = {"Hebrew", "the Hebrews", "the Exodus", "Levi", "Judge",
                                          "John the Baptist", "John the Baptiser", "Philip", "Philippian",
                                          "Roman", "Number", "act", "ff.", "cf.", "prove"};

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The length of word when the text at pos begins with it (any letter case)
// and no letter follows a word that ends in one; else 0.
size_t WordAt(std::string_view text, size_t pos, std::string_view word) {
  if (pos + word.size() > text.size()) return 0;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[pos + i]) != Lower(word[i])) return 0;
  const size_t end = pos + word.size();
  if (IsLetter(word.back()) && end < text.size() && IsLetter(text[end])) return 0;
  return word.size();
}

template <size_t N>
size_t AnyWordAt(std::string_view text, size_t pos, const char* const (&words)[N]) {
  for (const char* w : words)
    if (size_t n = WordAt(text, pos, w)) return n;
  return 0;
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
  // The word forms of "and" and "through" begin with a blank, so they are
  // looked for before white space.
  if (size_t n = AnyWordAt(text, pos, kConjunctions)) {
    t.conjunction = text[pos] == ',' ? ',' : '&';
    return take(RefToken::Conjunction, n);
  }
  if (size_t n = AnyWordAt(text, pos, kRangeWords)) return take(RefToken::RangeWord, n);
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
    if (size_t n = options.translations[i].empty() ? 0 : WordAt(text, pos, options.translations[i])) {
      t.translation = i;
      if (pos + n < text.size() && text[pos + n] == ')') ++n;  // "(NIV)"
      return take(RefToken::Translation, n);
    }
  }
  if (c == '-' || c == '\x96' || c == '\x97') return take(RefToken::RangeWord, 1);
  if (c == ':' || (options.period && c == '.')) return take(RefToken::Separator, 1);
  if (size_t n = AnyWordAt(text, pos, kChapterWords)) return take(RefToken::ChapterWord, n);
  if (size_t n = AnyWordAt(text, pos, kVerseWords)) return take(RefToken::VerseWord, n);
  if (!options.period)
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
