// sections.idx reader (table of contents). See sectionsindex.cpp for the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "soltread.h"

// The used part of one entry record, links already turned into keys.
struct sSectionRecord {
  int parentKey = -1;
  int prevKey = -1;
  int nextKey = -1;
  int32_t bookKey = 0;
  int levelCount = 0;
  int level = 0;
  int32_t nameOffset = 0;
};

class cSectionsIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 12;
  static constexpr unsigned kMinRecordSize = 23;
  // Levels the path cache remembers (level 0 and deeper levels are not).
  static constexpr int kCachedLevels = 20;

  int GetSectionCount() const { return m_sectionCount; }
  int GetGlossaryCount() const { return m_glossaryCount; }
  int GetEntryCount() const { return m_sectionCount + m_glossaryCount; }
  bool IsSectionKey(int key) const { return key >= 0 && key < m_sectionCount; }
  bool IsGlossaryKey(int key) const { return key >= m_sectionCount && key < GetEntryCount(); }
  bool IsKey(int key) const { return key >= 0 && key < GetEntryCount(); }

  // Each of these wants a valid key (IsKey).
  // With nextLevel, also the level byte of record key + 1 (which must exist).
  sSectionRecord ReadRecord(int key, int* nextLevel = nullptr);
  std::string ReadName(const sSectionRecord& record);
  // The first child by the document-order rule, or -1.
  int GetChildKey(int key, const sSectionRecord& record);
  // The whole entry as callers see it.
  void ReadEntry(int key, cSectionsData& entry);

  // Remembered ancestors for formatting paths: the name and parent of `key`
  // if it is the entry last seen at its level.
  bool FindCached(int key, std::string& name, int& parentKey) const;
  void Remember(int key, int level, const std::string& name, int parentKey);
  // The benchmarks compare formatting with and without the cache.
  void SetNameCacheEnabled(bool enabled) {
    m_cacheEnabled = enabled;
    for (sCacheSlot& slot : m_cache) slot = sCacheSlot();
  }

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  int LinkToKey(int32_t offset) const;

  struct sCacheSlot {
    int key = -1;
    int parentKey = -1;
    std::string name;
  };

  int m_sectionCount = 0;
  int m_glossaryCount = 0;
  unsigned m_recordSize = 0;
  int64_t m_tableOffset = 0;
  std::vector<unsigned char> m_record;  // one entry record, reused
  sCacheSlot m_cache[kCachedLevels + 1];
  bool m_cacheEnabled = true;
};
