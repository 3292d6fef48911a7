// The verse reference: a book number, a chapter ID and a verse ID, each
// counted from 1 (0 = not set), and the conversion data of REFBASE.DAT that
// turns labels into IDs and back, lists aliases and finds related books and
// chapters.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {
class File;
}

struct CHAPTER_TABLE_ENTRY {
  uint16_t verses;         // verse IDs run 1..verses
  uint16_t numeric_limit;  // == verses: verse labels are plain numbers
  char label[8];           // NUL-terminated
  int32_t verse_offset;    // 0 = no verse records
};

struct BOOK_TABLE_ENTRY {
  uint16_t chapters;       // chapter IDs run 1..chapters
  uint16_t numeric_limit;  // == chapters: chapter labels are plain numbers
  int32_t offset;          // file offset of the chapter records; 0 = none
  // After loading: the book's first chapter record in m_chapter_table, or
  // null when the book has no chapters in the file.
  CHAPTER_TABLE_ENTRY* chapter_table;
};

class cBibleReference;
using cBibleReferenceList = std::vector<std::unique_ptr<cBibleReference>>;

class cBibleReference {
 public:
  cBibleReference() = default;
  cBibleReference(unsigned short book, const char* chapterLabel, const char* verseLabel);
  cBibleReference(unsigned short book, unsigned short chapterID, unsigned short verseID);
  cBibleReference(const cBibleReference&) = default;
  cBibleReference& operator=(const cBibleReference&) = default;
  ~cBibleReference();

  unsigned short GetBook() const { return m_book; }
  unsigned short GetChapterID() const { return m_chapter; }
  unsigned short GetVerseID() const { return m_verse; }
  void GetReferenceID(unsigned short* book, unsigned short* chapter, unsigned short* verse) const;

  int SetBook(unsigned short book);
  int SetChapterID(unsigned short id);
  int SetVerseID(unsigned short id);
  int SetReferenceID(unsigned short book, unsigned short chapterID, unsigned short verseID);
  int SetChapter(const char* label);
  int SetVerse(const char* label);
  int SetReference(unsigned short book, const char* chapterLabel, const char* verseLabel);

  unsigned short GetChapterIDForLabel(unsigned short book, const char* label) const;
  unsigned short GetVerseIDForLabel(unsigned short book, unsigned short chapter, const char* label) const;
  // Output buffers hold 8 characters.
  int GetLabelForChapter(char* out) const;
  int GetLabelForVerse(char* out) const;
  int GetLabelsForReference(char* chapterOut, char* verseOut) const;

  static unsigned short ChaptersInBook(unsigned short book);
  static unsigned short VersesInChapter(unsigned short book, unsigned short chapter);
  int GetNextVerse();

  unsigned short GetNumberOfAliases() const;
  int GetListOfAliases(int max, cBibleReference* out) const;
  int GetReferenceAlias(cBibleReference* out, int (*accept)(unsigned short book), int includeNear) const;

  static int GetSimilarBooks(unsigned short book, cBibleReferenceList* list);
  static int GetSimilarChapters(unsigned short book, unsigned short chapter, cBibleReferenceList* list);
  static int AddBookToList(unsigned short book, cBibleReferenceList* list);
  static int AddChapterToList(unsigned short book, unsigned short chapter, cBibleReferenceList* list);

  // Raises platform::FileException when the data cannot be loaded.
  static void InitializeConversionData();
  static void ReleaseConversionData();

  static uint16_t m_total_books;
  static int32_t m_book_table_location;
  static uint16_t m_total_chapters;
  static std::unique_ptr<BOOK_TABLE_ENTRY[]> m_book_table;
  static std::unique_ptr<CHAPTER_TABLE_ENTRY[]> m_chapter_table;
  static uint16_t m_conversion_data_in_use;

 private:
  static void ValidateConversionFile(platform::File* file);
  static void ReadBookTable(platform::File* file);
  static void ReadChapterTable(platform::File* file, long offset, unsigned long count, CHAPTER_TABLE_ENTRY* into);
  static void ReadConversionFileItem(platform::File* file, long offset, unsigned long length, void* into);

  // The loaded chapter record of (book, chapter), or null when either is out
  // of range or the data is not loaded.
  static const CHAPTER_TABLE_ENTRY* Chapter(unsigned short book, unsigned short chapter);

  uint16_t m_book = 0;
  uint16_t m_chapter = 0;
  uint16_t m_verse = 0;
};
