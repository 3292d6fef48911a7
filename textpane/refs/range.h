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

  // Whether some candidate book has the chapter and the verse. A verse label
  // that names no verse loses up to two trailing letters ("16a" -> "16") and
  // is tried again when digits remain; the label keeps the shorter form.
  bool IsReferenceValid();
  // Settles on the first candidate book the translation has, turns labels
  // into numbers and checks them; false leaves the reference as it was.
  bool ResolveReference(uint16_t translation);
  // -1, 0 or 1: by chapter and verse in one book, else by the translation's
  // order of books; 0 when the translation cannot be set.
  static int Compare(const Reference& a, const Reference& b, uint16_t translation);
  // The display name of the book, "" without a book.
  const char* FullBookName() const;

  bool operator==(const Reference&) const = default;

 private:
  std::array<uint16_t, kMaxCandidates + 1> m_books{};
  uint16_t m_chapter = NO_CHAPTER;
  uint16_t m_verse = NO_VERSE;
  std::array<char, 5> m_chapterLabel{};
  std::array<char, 5> m_verseLabel{};
  int m_certainty = 0;
};

enum RangeType : int { RANGE_NOT_SET = 0, RANGE_VERSES = 1, RANGE_CHAPTERS = 2, RANGE_BOOKS = 3 };

class Range {
 public:
  Range() = default;
  Range(Reference start, Reference end, uint16_t translation = 0)
      : m_start(start), m_end(end), m_translation(translation) {}

  void Clear() { *this = Range(); }
  bool IsEmpty() const { return m_start.Book() == NO_BOOK; }
  const Reference& Start() const { return m_start; }
  const Reference& End() const { return m_end; }
  Reference& Start() { return m_start; }
  Reference& End() { return m_end; }
  // The requested translation when one was asked for, else the one the
  // range was resolved in.
  uint16_t Translation() const { return m_translation ? m_translation : m_resolving; }
  uint16_t RequestedTranslation() const { return m_translation; }
  uint16_t ResolvingTranslation() const { return m_resolving; }
  void RequestTranslation(uint16_t translation) { m_translation = translation; }

  // Where the words read as this range lie in their text: [start, end).
  size_t TextStart() const { return m_textStart; }
  size_t TextEnd() const { return m_textEnd; }
  void SetTextSpan(size_t start, size_t end) {
    m_textStart = start;
    m_textEnd = end;
  }

  // Resolves both ends in the translation (an end without a book copies the
  // start first); failing that, or without one, in translations 1, 2, 3 ...
  // until both ends resolve or no further translation can be set. Then a
  // missing chapter or verse becomes the first (start) or the last (end).
  int ResolveRange(uint16_t translation);

  // Moves ref on through the range by a verse, to the next chapter's first
  // verse, or to the next book's first verse; false at the range's end.
  bool GetNextVerse(Reference& ref) const;
  bool GetNextChapter(Reference& ref) const;
  bool GetNextBook(Reference& ref) const;

  // With a type set, whether it is that type; otherwise from the extent.
  bool IsVerseRange() const;
  bool IsChapterRange() const;
  bool IsBookRange() const;
  // A book range takes any type, a chapter range any but RANGE_BOOKS, a verse
  // range only RANGE_NOT_SET and RANGE_VERSES; a refused type leaves it unset.
  void SetRangeType(int type);
  int GetRangeType() const { return m_type; }
  // The end lies before the start (true without a translation to order books).
  bool IsBackward() const;

  // Reads "book chapter:verse-book chapter:verse translation": with only the
  // first three numbers the end is the start, with six the translation is 0.
  // Any other count of numbers fails and leaves the range as it was.
  int SetFromString(std::string_view text);

  // Whether the two ranges share a verse, comparing book numbers as numbers
  // (no translation's book order is consulted).
  bool Overlaps(const Range& other) const;

  bool operator==(const Range&) const = default;

 private:
  // The type the extent alone gives: verses unless whole chapters, books when
  // whole books.
  int Extent() const;

  Reference m_start;
  Reference m_end;
  uint16_t m_translation = 0;
  uint16_t m_resolving = 0;
  size_t m_textStart = 0, m_textEnd = 0;
  int m_type = RANGE_NOT_SET;
};

}  // namespace textpane
