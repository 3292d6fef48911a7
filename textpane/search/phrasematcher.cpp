#include "textpane/search/phrasematcher.h"

#include "textpane/model/charcase.h"
#include "textpane/model/paragraph.h"
#include "textpane/search/levelcursor.h"

namespace textpane {
namespace {

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Letters and digits of Windows-1252.
constexpr bool IsWordCharSlow(unsigned char c) {
  if (IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return false;
  }
}

constexpr std::array<bool, 256> kWordChars = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = IsWordCharSlow(static_cast<unsigned char>(c));
  return t;
}();

bool IsWordChar(unsigned char c) { return kWordChars[c]; }

// Characters that always end a word.
bool IsBreak(unsigned char c) {
  return c == kCharPicture || c == kCharTab || c == kCharLineBreak || c == kCharParagraphMark || c == ' ' ||
         c == kCharEmDash || c == kCharNonBreakingSpace;
}

// Hidden text other than a span's key is not part of any word.
bool IsSkipped(const CharFormat& f) { return f.hidden && f.concordance != kConcordanceKey; }

// Whether the character under c cannot belong to a word of concordance
// state `word`: the level's end, a break, skipped hidden text or another state.
bool OutsideWord(const LevelCursor& c, unsigned char word) {
  return c.AtEnd() || IsSkipped(c.Format()) || c.Format().concordance != word || IsBreak(c.Char());
}

// Whether a word of state `word` ends at c. Punctuation stays in the word
// only when a word character follows it there ("Lord's" is one word,
// "Lord," ends before the comma); a "," or "." does so only before a digit,
// which keeps 1,000 and 3.5 whole.
bool AtWordEnd(const LevelCursor& c, unsigned char word) {
  if (OutsideWord(c, word)) return true;
  const unsigned char ch = c.Char();
  if (IsWordChar(ch)) return false;
  LevelCursor n = c;
  n.Next();
  if (ch == ',' || ch == '.') return OutsideWord(n, word) || !IsDigit(n.Char());
  for (; !OutsideWord(n, word); n.Next())
    if (IsWordChar(n.Char())) return false;
  return true;
}

// The walks below look at a run's characters directly: within a run the
// format, and so whether a character is skipped or in another state, stays.
void SkipToWordChar(LevelCursor& c) {
  while (!c.AtEnd()) {
    const size_t n = c.LeftInRun();
    if (!IsSkipped(c.Format())) {
      const char* s = c.RunChars();
      size_t i = 0;
      while (i < n && !IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      if (i < n) {
        c.Skip(i);
        return;
      }
    }
    c.Skip(n);
  }
}

// From a word end to the next word of a phrase. The walk may not leave the
// span, and its state may change only from the key to the span's visible
// text: that is where the words of the key and of the text join.
bool SkipToNextWord(LevelCursor& c, unsigned char& word) {
  for (;; c.Next()) {
    if (c.AtEnd() || c.Format().concordance == kConcordanceOutside) return false;
    if (!IsSkipped(c.Format()) && IsWordChar(c.Char())) break;
  }
  const unsigned char state = c.Format().concordance;
  if (state == word) return true;
  if (word != kConcordanceKey || state != kConcordanceInside) return false;
  word = state;
  return true;
}

// Past the word at c, a word character: inside a span up to the next break
// or "," (a "," between digits stays in the number); outside spans on to
// the next run of a span.
void AdvanceWord(LevelCursor& c) {
  const unsigned char word = c.Format().concordance;
  if (word == kConcordanceOutside) {
    while (!c.AtEnd() && c.Format().concordance == kConcordanceOutside) c.NextRun();
    return;
  }
  bool afterDigit = false;
  while (!OutsideWord(c, word)) {
    const char* s = c.RunChars();
    const size_t n = c.LeftInRun();
    size_t i = 0;
    for (; i < n; ++i) {
      const unsigned char ch = static_cast<unsigned char>(s[i]);
      if (IsBreak(ch) || ch == ',') break;
      afterDigit = IsDigit(ch);
    }
    if (i > 0) {
      c.Skip(i);
      continue;
    }
    // A "," (a break ends the loop above): it stays in a number only.
    if (c.Char() != ',' || !afterDigit) return;
    LevelCursor n2 = c;
    n2.Next();
    if (OutsideWord(n2, word) || !IsDigit(n2.Char())) return;
    afterDigit = false;
    c.Next();
  }
}

bool SameChar(unsigned char p, unsigned char t, bool matchCase) {
  if (p == '\'' && t == kCharRightQuote) return true;
  if (p == '-' && t == kCharEmDash) return true;
  return matchCase ? p == t : UpperCase1252(p) == UpperCase1252(t);
}

}  // namespace

PhraseMatcher::PhraseMatcher(const std::vector<std::string>& phrases, bool matchCase) : m_matchCase(matchCase) {
  m_starts.fill(false);
  for (const std::string& phrase : phrases) {
    std::string p;
    for (char ch : phrase) {
      if (ch == ' ' && (p.empty() || p.back() == ' ')) continue;
      p += ch;
    }
    if (!p.empty() && p.back() == ' ') p.pop_back();
    // An empty phrase is kept so that the others keep their order, but it never matches.
    if (!p.empty()) {
      const unsigned char first = static_cast<unsigned char>(p[0]);
      for (int ch = 0; ch < 256; ++ch) {
        if (first == '?' || first == '*' || SameChar(first, static_cast<unsigned char>(ch), matchCase))
          m_starts[static_cast<size_t>(ch)] = true;
      }
    }
    m_phrases.push_back(std::move(p));
  }
}

bool PhraseMatcher::MatchFrom(LevelCursor& c, const std::string& p, size_t i, unsigned char word,
                              Failures& failed) const {
  while (i < p.size()) {
    if (p[i] == ' ') {
      if (!AtWordEnd(c, word) || !SkipToNextWord(c, word)) return false;
      ++i;
      continue;
    }
    if (p[i] == '*') {
      while (i < p.size() && p[i] == '*') ++i;
      if (i == p.size() || p[i] == ' ') {
        while (!AtWordEnd(c, word)) c.Next();
        continue;
      }
      // The shortest stretch of the word after which the rest matches. A
      // place tried before for this "*" was tried with every place after it
      // in the word too (or is being tried, further out), so it ends the walk.
      for (;;) {
        if (!failed.insert({c.Position(), i, word}).second) return false;
        LevelCursor rest = c;
        if (MatchFrom(rest, p, i, word, failed)) {
          c = rest;
          return true;
        }
        if (AtWordEnd(c, word)) return false;
        c.Next();
      }
    }
    if (c.AtEnd() || IsSkipped(c.Format()) || c.Format().concordance != word) return false;
    const unsigned char pc = static_cast<unsigned char>(p[i]);
    if (pc == '?' ? AtWordEnd(c, word) : !SameChar(pc, c.Char(), m_matchCase)) return false;
    c.Next();
    ++i;
  }
  return AtWordEnd(c, word);
}

bool PhraseMatcher::MatchAt(LevelCursor& at, const std::string& p, TextPos& begin) const {
  if (p.empty()) return false;
  LevelCursor c = at;
  SkipToWordChar(c);
  if (c.AtEnd()) return false;
  if (c.Format().concordance == kConcordanceOutside) {
    // Text outside spans matches only where the next span is entered: its key.
    while (!c.AtEnd() && c.Format().concordance == kConcordanceOutside) c.NextRun();
    while (!c.AtEnd() && c.Format().concordance == kConcordanceKey && !IsWordChar(c.Char())) c.Next();
    if (c.AtEnd() || c.Format().concordance != kConcordanceKey) return false;
  }
  begin = c.Position();
  Failures failed;
  if (!MatchFrom(c, p, 0, c.Format().concordance, failed)) return false;
  at = c;
  return true;
}

size_t PhraseMatcher::PassOverWords(LevelCursor& c) const {
  const CharFormat& f = c.Format();
  if (f.concordance == kConcordanceOutside || IsSkipped(f)) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(c.RunChars());
  const size_t n = c.LeftInRun();
  size_t done = 0;  // where the words passed over end
  for (size_t i = 0; i < n && !m_starts[s[i]];) {
    // The word, as AdvanceWord walks it.
    bool afterDigit = false;
    for (; i < n; ++i) {
      const unsigned char ch = s[i];
      if (IsBreak(ch)) break;
      if (ch == ',' && (!afterDigit || i + 1 >= n || !IsDigit(s[i + 1]))) break;
      afterDigit = IsDigit(ch);
    }
    // A word (or a "," that may keep a number whole) reaching the run's end
    // is left to the character walk.
    if (i >= n || (s[i] == ',' && i + 1 >= n)) break;
    while (i < n && !IsWordChar(s[i])) ++i;
    done = i;
  }
  c.Skip(done);
  return done;
}

void PhraseMatcher::Scan(const CRtfDoc& doc, int32_t level, const std::function<bool(TextPos, TextPos)>& found) const {
  LevelCursor cur(doc, level);
  SkipToWordChar(cur);
  while (!cur.AtEnd()) {
    if (PassOverWords(cur)) {
      SkipToWordChar(cur);
      continue;
    }
    bool matched = false;
    for (const std::string& p : m_phrases) {
      TextPos begin = 0;
      if (MatchAt(cur, p, begin)) {
        if (!found(begin, cur.Position())) return;
        matched = true;
        break;
      }
    }
    if (!matched) AdvanceWord(cur);
    SkipToWordChar(cur);
  }
}

}  // namespace textpane
