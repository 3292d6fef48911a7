// Writers of the index files, beside their readers: the book compiler and the
// tests make their books with these. Each Build() returns the whole file
// (version record first); WriteFileAtomic (bookwriter.h) puts it on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "soltread/bookwriter.h"

namespace solt {

// sections.idx. Entries are added in key order: the sections in depth-first
// (document) order, then the glossary entries. Parent and sibling links are
// worked out from the levels.
class cSectionsWriter {
 public:
  explicit cSectionsWriter(const sVersionInfo& version) : m_version(version) {}

  // Returns the new entry's key.
  int AddSection(const std::string& name, int level, int bookKey, int levelCount);
  int AddGlossary(const std::string& name, int level, int bookKey, int levelCount);
  int GetSectionCount() const { return m_sectionCount; }
  int GetGlossaryCount() const { return static_cast<int>(m_entries.size()) - m_sectionCount; }

  // Layout choices another writer may make differently.
  void SetHeaderLength(uint16_t length) { m_headerLength = length; }
  void SetEntrySize(uint16_t size) { m_entrySize = size; }

  std::string Build() const;

 private:
  struct sEntry {
    std::string name;
    int level;
    int bookKey;
    int levelCount;
  };
  sVersionInfo m_version;
  std::vector<sEntry> m_entries;
  int m_sectionCount = 0;
  uint16_t m_headerLength = 16;
  uint16_t m_entrySize = 23;
};

// concord.idx: one sorted word list per language.
struct sConcordWord {
  std::string text;
  std::vector<uint32_t> keys;                    // ascending
  std::vector<std::vector<uint16_t>> positions;  // per key, ascending
  uint32_t reserved = 0;                         // word record bytes 0-3
};

class cConcordWriter {
 public:
  explicit cConcordWriter(const sVersionInfo& version) : m_version(version) {}

  // The words are sorted (ignoring case) by Build.
  void AddLanguage(uint16_t language, std::vector<sConcordWord> words);
  void SetWordRecordSize(uint16_t size) { m_recordSize = size; }
  void SetLanguageStride(uint16_t stride) { m_languageStride = stride; }

  std::string Build() const;

 private:
  sVersionInfo m_version;
  std::vector<std::pair<uint16_t, std::vector<sConcordWord>>> m_languages;
  uint16_t m_recordSize = 18;
  uint16_t m_languageStride = 16;
};

// verses.idx: key lists by book, chapter and verse.
class cVersesWriter {
 public:
  explicit cVersesWriter(const sVersionInfo& version) : m_version(version) {}

  // Each list replaces any list given before for the same place.
  void SetBookKeys(uint16_t book, std::vector<uint32_t> keys);
  void SetBookAllChapters(uint16_t book, std::vector<uint32_t> keys);
  void SetBookAllVerses(uint16_t book, std::vector<uint32_t> keys);
  void SetChapterKeys(uint16_t book, uint16_t chapter, std::vector<uint32_t> keys);
  void SetChapterAllVerses(uint16_t book, uint16_t chapter, std::vector<uint32_t> keys);
  void SetVerseKeys(uint16_t book, uint16_t chapter, uint16_t verse, std::vector<uint32_t> keys);

  // Layout choices another writer may make differently.
  void SetRecordSizes(uint16_t book, uint16_t chapter, uint16_t verse) {
    m_bookRecordSize = book;
    m_chapterRecordSize = chapter;
    m_verseRecordSize = verse;
  }

  std::string Build() const;

 private:
  struct sVerse {
    uint16_t verse;
    std::vector<uint32_t> keys;
  };
  struct sChapter {
    uint16_t chapter;
    bool hasKeys = false, hasAllVerses = false;
    std::vector<uint32_t> keys, allVerses;
    std::vector<sVerse> verses;
  };
  struct sBook {
    uint16_t book;
    bool hasKeys = false, hasAllChapters = false, hasAllVerses = false;
    std::vector<uint32_t> keys, allChapters, allVerses;
    std::vector<sChapter> chapters;
  };
  sBook& Book(uint16_t book);
  sChapter& Chapter(uint16_t book, uint16_t chapter);

  sVersionInfo m_version;
  std::vector<sBook> m_books;
  uint16_t m_bookRecordSize = 20;
  uint16_t m_chapterRecordSize = 16;
  uint16_t m_verseRecordSize = 6;
};

// wsync.idx, ssync.idx or dsync.idx: texts with their keys, sorted by Build.
class cTextSyncWriter {
 public:
  explicit cTextSyncWriter(const sVersionInfo& version) : m_version(version) {}
  void Add(const std::string& text, int32_t key) { m_entries.push_back({text, key}); }
  void SetEntrySize(uint16_t size) { m_entrySize = size; }
  std::string Build() const;

 private:
  struct sEntry {
    std::string text;
    int32_t key;
  };
  sVersionInfo m_version;
  std::vector<sEntry> m_entries;
  uint16_t m_entrySize = 8;
};

// vsync.idx: verses with their keys, sorted by Build.
class cVerseSyncWriter {
 public:
  explicit cVerseSyncWriter(const sVersionInfo& version) : m_version(version) {}
  void Add(uint16_t book, uint16_t chapter, uint16_t verse, int32_t key) {
    m_entries.push_back({book, chapter, verse, key});
  }
  void SetRecordSizes(uint16_t book, uint16_t verse) {
    m_bookRecordSize = book;
    m_verseRecordSize = verse;
  }
  std::string Build() const;

 private:
  struct sEntry {
    uint16_t book, chapter, verse;
    int32_t key;
  };
  sVersionInfo m_version;
  std::vector<sEntry> m_entries;
  uint16_t m_bookRecordSize = 6;
  uint16_t m_verseRecordSize = 8;
};

}  // namespace solt
