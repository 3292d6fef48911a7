// verses.idx reader (Scripture index). See versesindex.cpp for the format.
#pragma once

#include <cstdint>
#include <vector>

#include "soltread.h"

class cVersesIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 10;
  static constexpr unsigned kMinBookRecordSize = 20;
  static constexpr unsigned kMinChapterRecordSize = 16;
  static constexpr unsigned kMinVerseRecordSize = 6;

  // Which list of a place to read.
  enum eList { kOwnList, kAllChapters, kAllVerses };

  int GetBookCount() const { return m_bookCount; }

  // The key list of a book, chapter or verse into `keys`, returning the
  // number of keys; 0 with `keys` untouched when the place is not indexed or
  // has no such list. kAllChapters applies to books only.
  int GetBookKeys(uint16_t book, eList list, std::vector<unsigned>& keys);
  int GetChapterKeys(uint16_t book, uint16_t chapter, eList list, std::vector<unsigned>& keys);
  int GetVerseKeys(uint16_t book, uint16_t chapter, uint16_t verse, std::vector<unsigned>& keys);

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  struct sBookRec {
    uint16_t chapterCount = 0;
    int32_t chapterOffset = 0;
    int32_t keys = 0, allChapters = 0, allVerses = 0;
  };
  struct sChapterRec {
    uint16_t verseCount = 0;
    int32_t verseOffset = 0;
    int32_t keys = 0, allVerses = 0;
  };

  void ReadAt(int64_t offset, void* buffer, unsigned length);
  // Binary search of `count` records of `size` bytes at `offset`, sorted by
  // the u16 number each begins with; reads one record's first `length` bytes
  // per probe, and leaves the match's in `record`.
  bool Search(int64_t offset, unsigned count, unsigned size, uint16_t number, unsigned char* record,
              unsigned length);
  bool FindBook(uint16_t book, sBookRec& found);
  bool FindChapter(const sBookRec& book, uint16_t chapter, sChapterRec& found);
  bool FindVerse(const sChapterRec& chapter, uint16_t verse, int32_t& keys);
  // Reads the list at `offset` (0 = none).
  int ReadKeyList(int32_t offset, std::vector<unsigned>& keys);

  int m_bookCount = 0;
  unsigned m_bookRecordSize = 0;
  unsigned m_chapterRecordSize = 0;
  unsigned m_verseRecordSize = 0;
  int64_t m_bookOffset = 0;
};
