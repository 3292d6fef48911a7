#include "textpane/refs/range.h"

#include <tuple>

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

}  // namespace textpane
