// Synchronisation index readers: the text-keyed wsync/ssync/dsync.idx and the
// verse-keyed vsync.idx. See syncindex.cpp for the formats.
#pragma once

#include <cstdint>
#include <string>

#include "soltread.h"

struct sTextSyncEntry {
  int32_t key = -1;
  int32_t textOffset = 0;
};

class cTextSyncIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 10;
  static constexpr unsigned kMinEntrySize = 8;

  int GetEntryCount() const { return m_entryCount; }
  // Reads entry `index`, which must lie in 0 .. count - 1.
  sTextSyncEntry GetEntry(int index);
  // The entry's text; a length or offset that leaves the file raises a file error.
  std::string GetEntryText(const sTextSyncEntry& entry);

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  int m_entryCount = 0;
  unsigned m_entrySize = 0;
  int64_t m_tableOffset = 0;
};

struct sVerseSyncBook {
  int32_t offset = 0;  // 0: the book has no verse records
  uint16_t count = 0;
};

struct sVerseSyncRecord {
  uint16_t chapter = 0;
  uint16_t verse = 0;
  int32_t key = -1;
};

class cVerseSyncIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 10;
  static constexpr unsigned kMinBookRecordSize = 6;
  static constexpr unsigned kMinVerseRecordSize = 8;

  int GetFirstBook() const { return m_firstBook; }
  int GetLastBook() const { return m_lastBook; }
  // Reads the record of `book` (first .. last). A book with verse records has
  // all of them inside the file, or this raises a file error.
  sVerseSyncBook GetBookRecord(int book);
  // Verse record `index` (0 .. count - 1) of a book read by GetBookRecord.
  sVerseSyncRecord GetVerseRecord(const sVerseSyncBook& book, int index);

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  int m_firstBook = 0;
  int m_lastBook = -1;
  unsigned m_bookRecordSize = 0;
  unsigned m_verseRecordSize = 0;
  int64_t m_tableOffset = 0;
};
