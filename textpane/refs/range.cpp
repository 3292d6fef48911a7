#include "textpane/refs/range.h"

#include <string>
#include <tuple>
#include <utility>

#include "refbase/biblereference.h"
#include "refbase/translation.h"
#include "textpane/refs/booknames.h"

namespace textpane {

namespace {

void KeepLabel(std::array<char, 5>& to, std::string_view label) {
  to.fill(0);
  for (size_t i = 0; i < label.size() && i + 1 < to.size(); ++i) to[i] = label[i];
}

}  // namespace

void Reference::Book(uint16_t book, int certainty) { Books(&book, 1, certainty); }

void Reference::Books(const uint16_t* books, size_t count, int certainty) {
  m_books.fill(0);
  for (size_t i = 0; i < count && i < kMaxCandidates && books[i] != 0; ++i) m_books[i] = books[i];
  m_certainty = certainty;
  Chapter(NO_CHAPTER);
}

void Reference::Chapter(uint16_t chapter) {
  m_chapter = chapter;
  m_chapterLabel.fill(0);
  Verse(NO_VERSE);
}

void Reference::Chapter(std::string_view label) {
  m_chapter = NO_CHAPTER;
  KeepLabel(m_chapterLabel, label);
  Verse(NO_VERSE);
}

void Reference::Verse(uint16_t verse) {
  m_verse = verse;
  m_verseLabel.fill(0);
}

void Reference::Verse(std::string_view label) {
  m_verse = NO_VERSE;
  KeepLabel(m_verseLabel, label);
}

namespace {

// The reading follows the format "%hu %hu:%hu-%hu %hu:%hu %hu": a number
// may be preceded by white space, the ":" and "-" must follow the number
// directly, and reading stops at the first thing that does not fit.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : m_text(text) {}

  bool Number(uint16_t& value) {
    while (m_at < m_text.size() && IsSpace(m_text[m_at])) ++m_at;
    size_t digits = 0;
    unsigned long n = 0;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
      n = n * 10 + static_cast<unsigned long>(m_text[m_at] - '0');
      n %= 65536;  // a 16-bit field keeps the low bits of a longer number
      ++m_at;
      ++digits;
    }
    value = static_cast<uint16_t>(n);
    return digits > 0;
  }
  bool Literal(char c) {
    if (m_at >= m_text.size() || m_text[m_at] != c) return false;
    ++m_at;
    return true;
  }

 private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
  std::string_view m_text;
  size_t m_at = 0;
};

auto Key(const Reference& r) { return std::make_tuple(r.Book(), r.Chapter(), r.Verse()); }

}  // namespace

int Range::SetFromString(std::string_view text) {
  NumberReader in(text);
  uint16_t n[7] = {};
  // What separates number i from number i + 1; 0 for white space only.
  static constexpr char kAfter[6] = {0, ':', '-', 0, ':', 0};
  int count = 0;
  while (count < 7 && in.Number(n[count])) {
    ++count;
    if (count < 7 && kAfter[count - 1] && !in.Literal(kAfter[count - 1])) break;
  }
  if (count == 3) {
    *this = Range({n[0], n[1], n[2]}, {n[0], n[1], n[2]});
  } else if (count == 6 || count == 7) {
    *this = Range({n[0], n[1], n[2]}, {n[3], n[4], n[5]}, count == 7 ? n[6] : 0);
  } else {
    return 0;
  }
  return 1;
}

bool Range::Overlaps(const Range& other) const {
  return Key(m_start) <= Key(other.m_end) && Key(other.m_start) <= Key(m_end);
}

namespace {

bool AllDigits(const char* s) {
  if (!*s) return false;
  for (; *s; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The chapter ID a candidate book gives the reference's chapter (number or
// label), 0 when it has no such chapter.
uint16_t ChapterIdIn(uint16_t book, const Reference& r) {
  if (r.ChapterLabel()[0]) return cBibleReference().GetChapterIDForLabel(book, r.ChapterLabel());
  return r.Chapter() <= cBibleReference::ChaptersInBook(book) ? r.Chapter() : 0;
}

uint16_t VerseIdIn(uint16_t book, uint16_t chapter, const Reference& r) {
  if (r.VerseLabel()[0]) return cBibleReference().GetVerseIDForLabel(book, chapter, r.VerseLabel());
  return r.Verse() <= cBibleReference::VersesInChapter(book, chapter) ? r.Verse() : 0;
}

bool CandidateHas(uint16_t book, const Reference& r) {
  if (r.NeedsChapter()) return r.NeedsVerse();
  const uint16_t chapter = ChapterIdIn(book, r);
  if (chapter == 0) return false;
  return r.NeedsVerse() || VerseIdIn(book, chapter, r) != 0;
}

bool AnyCandidateHas(const Reference& r) {
  for (const uint16_t* b = r.Books(); *b; ++b)
    if (CandidateHas(*b, r)) return true;
  return false;
}

// "16a" -> "16", "7bc" -> "7"; "" when no letters end it or no digits remain.
std::string WithoutTrailingLetters(const char* label) {
  std::string s = label;
  for (int i = 0; i < 2 && !s.empty() && IsLetter(s.back()); ++i) s.pop_back();
  return s.size() < std::string_view(label).size() && AllDigits(s.c_str()) ? s : std::string();
}

}  // namespace

bool Reference::IsReferenceValid() {
  if (AnyCandidateHas(*this)) return true;
  if (!m_verseLabel[0]) return false;
  const std::string shorter = WithoutTrailingLetters(m_verseLabel.data());
  if (shorter.empty()) return false;
  Reference tried = *this;
  tried.Verse(shorter);
  if (!AnyCandidateHas(tried)) return false;
  Verse(shorter);
  return true;
}

bool Reference::ResolveReference(uint16_t translation) {
  if (NeedsBook()) return false;
  cTranslation t;
  if (translation == 0 || t.SetTranslation(translation) != 0) return false;
  Reference r = *this;
  if (r.m_verseLabel[0]) {
    const std::string shorter = WithoutTrailingLetters(r.m_verseLabel.data());
    if (!shorter.empty() && !AnyCandidateHas(r)) r.Verse(shorter);
  }
  for (const uint16_t* b = r.Books(); *b; ++b) {
    if (!t.IsBookValid(*b)) continue;
    uint16_t chapter = NO_CHAPTER, verse = NO_VERSE;
    if (!r.NeedsChapter()) {
      chapter = ChapterIdIn(*b, r);
      if (chapter == 0) continue;
      if (!r.NeedsVerse()) {
        verse = VerseIdIn(*b, chapter, r);
        if (verse == 0) continue;
      }
    } else if (!r.NeedsVerse()) {
      continue;
    }
    const int certainty = m_certainty;
    Book(*b, certainty);
    Chapter(chapter);
    Verse(verse);
    return true;
  }
  return false;
}

int Reference::Compare(const Reference& a, const Reference& b, uint16_t translation) {
  cTranslation t;
  if (t.SetTranslation(translation) != 0) return 0;
  if (a.Book() != b.Book()) return -t.BookCompare(a.Book(), b.Book());
  if (a.Chapter() != b.Chapter()) return a.Chapter() < b.Chapter() ? -1 : 1;
  if (a.Verse() != b.Verse()) return a.Verse() < b.Verse() ? -1 : 1;
  return 0;
}

const char* Reference::FullBookName() const { return BookDisplayName(Book()); }

namespace {

// Both ends resolved in one translation, with the missing parts filled in;
// false leaves the range untouched.
bool ResolveIn(Reference& start, Reference& end, uint16_t translation) {
  Reference s = start, e = end.NeedsBook() ? start : end;
  if (!s.ResolveReference(translation) || !e.ResolveReference(translation)) return false;
  if (s.Chapter() == NO_CHAPTER) s.Chapter(1);
  if (s.Verse() == NO_VERSE) s.Verse(1);
  if (e.Chapter() == NO_CHAPTER) e.Chapter(cBibleReference::ChaptersInBook(e.Book()));
  if (e.Verse() == NO_VERSE) e.Verse(cBibleReference::VersesInChapter(e.Book(), e.Chapter()));
  start = s;
  end = e;
  return true;
}

}  // namespace

int Range::ResolveRange(uint16_t translation) {
  if (translation != 0 && ResolveIn(m_start, m_end, translation)) {
    m_translation = m_resolving = translation;
    return 1;
  }
  for (uint16_t t = 1; t != 0; ++t) {
    if (cTranslation().SetTranslation(t) != 0) return 0;
    if (ResolveIn(m_start, m_end, t)) {
      m_translation = 0;
      m_resolving = t;
      return 1;
    }
  }
  return 0;
}

namespace {

bool SamePlace(const Reference& a, const Reference& b) {
  return a.Book() == b.Book() && a.Chapter() == b.Chapter() && a.Verse() == b.Verse();
}

void MoveTo(Reference& ref, uint16_t book, uint16_t chapter, uint16_t verse) {
  ref.Book(book);
  ref.Chapter(chapter);
  ref.Verse(verse);
}

// The book after ref's within the range, in the translation's order; 0 at the end.
uint16_t NextBook(const Reference& ref, const Reference& end, uint16_t translation) {
  cTranslation t;
  if (t.SetTranslation(translation) != 0 || t.SetBookRange(ref.Book(), end.Book()) != 0) return 0;
  return t.GetNextBookInRange();
}

}  // namespace

bool Range::GetNextVerse(Reference& ref) const {
  if (SamePlace(ref, m_end) || Reference::Compare(ref, m_end, Translation()) > 0) return false;
  if (ref.Verse() < cBibleReference::VersesInChapter(ref.Book(), ref.Chapter())) {
    ref.Verse(static_cast<uint16_t>(ref.Verse() + 1));
    return true;
  }
  return GetNextChapter(ref);
}

bool Range::GetNextChapter(Reference& ref) const {
  if (ref.Book() == m_end.Book() && ref.Chapter() >= m_end.Chapter()) return false;
  if (ref.Chapter() < cBibleReference::ChaptersInBook(ref.Book())) {
    MoveTo(ref, ref.Book(), static_cast<uint16_t>(ref.Chapter() + 1), 1);
    return true;
  }
  return GetNextBook(ref);
}

bool Range::GetNextBook(Reference& ref) const {
  if (ref.Book() == m_end.Book()) return false;
  const uint16_t book = NextBook(ref, m_end, Translation());
  if (book == 0) return false;
  MoveTo(ref, book, 1, 1);
  return true;
}

namespace {

bool StartsChapter(const Reference& r) { return r.Verse() == 1; }
bool EndsChapter(const Reference& r) { return r.Verse() == cBibleReference::VersesInChapter(r.Book(), r.Chapter()); }

}  // namespace

int Range::Extent() const {
  if (!StartsChapter(m_start) || !EndsChapter(m_end)) return RANGE_VERSES;
  if (m_start.Chapter() == 1 && m_end.Chapter() == cBibleReference::ChaptersInBook(m_end.Book())) return RANGE_BOOKS;
  return RANGE_CHAPTERS;
}

bool Range::IsVerseRange() const { return (m_type ? m_type : Extent()) == RANGE_VERSES; }
bool Range::IsChapterRange() const { return (m_type ? m_type : Extent()) == RANGE_CHAPTERS; }
bool Range::IsBookRange() const { return (m_type ? m_type : Extent()) == RANGE_BOOKS; }

void Range::SetRangeType(int type) {
  const bool accepted = type >= RANGE_NOT_SET && type <= Extent();
  m_type = accepted ? type : RANGE_NOT_SET;
}

bool Range::IsBackward() const {
  if (m_start.Book() == m_end.Book())
    return std::make_pair(m_end.Chapter(), m_end.Verse()) < std::make_pair(m_start.Chapter(), m_start.Verse());
  cTranslation t;
  if (t.SetTranslation(Translation()) != 0) return true;
  return t.BookCompare(m_start.Book(), m_end.Book()) == -1;
}

}  // namespace textpane
