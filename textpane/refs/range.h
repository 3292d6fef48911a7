// A Bible reference range as numbers: two verses and the translation they
// were given in. Links of type 4 carry one as their target text.
#pragma once

#include <cstdint>
#include <string_view>

namespace textpane {

inline constexpr uint16_t NO_BOOK = 0;
inline constexpr uint16_t NO_CHAPTER = 0;
inline constexpr uint16_t NO_VERSE = 0;

class Reference {
 public:
  Reference() = default;
  Reference(uint16_t book, uint16_t chapter, uint16_t verse) : m_book(book), m_chapter(chapter), m_verse(verse) {}

  void Clear() { *this = Reference(); }
  uint16_t Book() const { return m_book; }
  uint16_t Chapter() const { return m_chapter; }
  uint16_t Verse() const { return m_verse; }

  bool operator==(const Reference&) const = default;

 private:
  uint16_t m_book = NO_BOOK;
  uint16_t m_chapter = NO_CHAPTER;
  uint16_t m_verse = NO_VERSE;
};

class Range {
 public:
  Range() = default;
  Range(Reference start, Reference end, uint16_t translation = 0)
      : m_start(start), m_end(end), m_translation(translation) {}

  void Clear() { *this = Range(); }
  bool IsEmpty() const { return m_start.Book() == NO_BOOK; }
  const Reference& Start() const { return m_start; }
  const Reference& End() const { return m_end; }
  uint16_t Translation() const { return m_translation; }

  // Reads "book chapter:verse-book chapter:verse translation": with only the
  // first three numbers the end is the start, with six the translation is 0.
  // Any other count of numbers fails and leaves the range as it was.
  int SetFromString(std::string_view text);

  // Whether the two ranges share a verse, comparing book numbers as numbers
  // (no translation's book order is consulted).
  bool Overlaps(const Range& other) const;

  bool operator==(const Range&) const = default;

 private:
  Reference m_start;
  Reference m_end;
  uint16_t m_translation = 0;
};

}  // namespace textpane
