#include "textpane/search/phrasematcher.h"

#include "textpane/model/charcase.h"
#include "textpane/model/paragraph.h"
#include "textpane/search/levelcursor.h"

namespace textpane {
namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Letters and digits of Windows-1252.
bool IsWordChar(unsigned char c) {
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

void SkipToWordChar(LevelCursor& c) {
  while (!c.AtEnd() && (IsSkipped(c.Format()) || !IsWordChar(c.Char()))) c.Next();
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
    const unsigned char ch = c.Char();
    if (ch == ',') {
      if (!afterDigit) return;
      LevelCursor n = c;
      n.Next();
      if (OutsideWord(n, word) || !IsDigit(n.Char())) return;
    }
    afterDigit = IsDigit(ch);
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
  for (const std::string& phrase : phrases) {
    std::string p;
    for (char ch : phrase) {
      if (ch == ' ' && (p.empty() || p.back() == ' ')) continue;
      p += ch;
    }
    if (!p.empty() && p.back() == ' ') p.pop_back();
    // An empty phrase is kept so that the others keep their order, but it never matches.
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

void PhraseMatcher::Scan(const CRtfDoc& doc, int32_t level, const std::function<bool(TextPos, TextPos)>& found) const {
  LevelCursor cur(doc, level);
  SkipToWordChar(cur);
  while (!cur.AtEnd()) {
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
