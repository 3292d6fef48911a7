// A Bible reference range as numbers: two verses and the translation they
// were given in. Links of type 4 carry one as their target text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace textpane {

inline constexpr uint16_t NO_BOOK = 0;
inline constexpr uint16_t NO_CHAPTER = 0;
inline constexpr uint16_t NO_VERSE = 0;

class Reference {
 public:
  // At most this many candidate books.
  static constexpr size_t kMaxCandidates = 6;

  Reference() = default;
  Reference(uint16_t book, uint16_t chapter, uint16_t verse) : m_chapter(chapter), m_verse(verse) {
    m_books[0] = book;
  }

  void Clear() { *this = Reference(); }

  // One book, or the books a name may stand for in order of preference (a
  // list ended by 0 or by its size); either clears the chapter and verse.
  void Book(uint16_t book, int certainty = 0);
  void Books(const uint16_t* books, size_t count, int certainty = 0);
  // The first candidate, NO_BOOK when there is none.
  uint16_t Book() const { return m_books[0]; }
  // The candidates, 0-terminated.
  const uint16_t* Books() const { return m_books.data(); }

  // A chapter number clears the chapter label and the verse; a label (at
  // most 4 characters kept) makes the number 0 and clears the verse.
  void Chapter(uint16_t chapter);
  void Chapter(std::string_view label);
  uint16_t Chapter() const { return m_chapter; }
  const char* ChapterLabel() const { return m_chapterLabel.data(); }
  void Verse(uint16_t verse);
  void Verse(std::string_view label);
  uint16_t Verse() const { return m_verse; }
  const char* VerseLabel() const { return m_verseLabel.data(); }
  // 1 when the book's name was written in full or abbreviated with a period.
  int Certainty() const { return m_certainty; }

  bool NeedsBook() const { return Book() == NO_BOOK; }
  bool NeedsChapter() const { return m_chapter == NO_CHAPTER && m_chapterLabel[0] == 0; }
  bool NeedsVerse() const { return m_verse == NO_VERSE && m_verseLabel[0] == 0; }

  bool operator==(const Reference&) const = default;

 private:
  std::array<uint16_t, kMaxCandidates + 1> m_books{};
  uint16_t m_chapter = NO_CHAPTER;
  uint16_t m_verse = NO_VERSE;
  std::array<char, 5> m_chapterLabel{};
  std::array<char, 5> m_verseLabel{};
  int m_certainty = 0;
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
