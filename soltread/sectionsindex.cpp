// sections.idx: the table of contents, a tree of sections in document order
// followed by a flat list of glossary entries. Key k is entry record k.
//
//   offset      width  meaning
//   0           N0     version record
//   N0+0        2      sections header length N1 (including this field)
//   N0+2        4      S, number of sections (signed)
//   N0+6        4      G, number of glossary entries (signed)
//   N0+10       2      E, size of one entry record (at least 23)
//   N0+12       N1-12  (not interpreted)
//   N0+N1+k*E   E      entry k, sections 0..S-1 then glossary S..S+G-1:
//     +0        4      file offset of the parent's record, 0 = none
//     +4        4      file offset of the previous sibling's record, 0 = none
//     +8        4      file offset of the next sibling's record, 0 = none
//     +12       4      book key: the viewable area holding the text
//     +16       2      level count: entries before this one in that area (signed)
//     +18       1      level (unsigned)
//     +19       4      file offset of the name
//     +23       E-23   (not interpreted)
//   anywhere    2+L    a name: signed 16-bit length L, then L bytes
//
// Links name a record by its offset; the key is (offset - (N0+N1)) / E. No
// child link is stored: entry k+1 is k's first child when it is a section
// with a greater level.
#include "soltread/sectionsindex.h"

#include <climits>

#include "platform/coding.h"
#include "soltread/util.h"

int cSectionsIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  std::vector<unsigned char> header = GetVariableRecord(at);
  if (header.size() < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  int32_t sections = platform::DecodeSigned32(&header[2]);
  int32_t glossary = platform::DecodeSigned32(&header[6]);
  unsigned recordSize = platform::DecodeFixed16(&header[10]);
  int64_t count = static_cast<int64_t>(sections) + glossary;
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  // With the whole table inside the file, every key in range can be read
  // without another check, and the counts are bounded by the file's size.
  if (sections < 0 || glossary < 0 || count > INT32_MAX || recordSize < kMinRecordSize ||
      tableOffset + count * recordSize > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_sectionCount = sections;
  m_glossaryCount = glossary;
  m_recordSize = recordSize;
  m_tableOffset = tableOffset;
  m_record.assign(recordSize, 0);
  return SOLT_OK;
}

void cSectionsIndex::UnloadHeader() {
  m_sectionCount = m_glossaryCount = 0;
  m_recordSize = 0;
  m_tableOffset = 0;
  m_record.clear();
  m_record.shrink_to_fit();
  for (sCacheSlot& slot : m_cache) slot = sCacheSlot();
}

// A link must land inside the table; anything else is a damaged file, and
// following it would hand out an entry that does not exist.
int cSectionsIndex::LinkToKey(int32_t offset) const {
  if (offset == 0) return -1;
  int64_t relative = static_cast<int64_t>(offset) - m_tableOffset;
  if (relative < 0 || relative >= static_cast<int64_t>(GetEntryCount()) * m_recordSize)
    solt::ThrowGenericFileError(m_file.GetFilePath());
  return static_cast<int>(relative / m_recordSize);
}

sSectionRecord cSectionsIndex::ReadRecord(int key, int* nextLevel) {
  if (!IsKey(key)) solt::ThrowGenericFileError(m_file.GetFilePath());
  Seek(static_cast<long>(m_tableOffset + static_cast<int64_t>(key) * m_recordSize), platform::File::begin);
  if (nextLevel) {
    // The caller made sure record key + 1 exists (and the table lies in the file).
    m_record.resize(m_recordSize + 19);
    Read(m_record.data(), m_recordSize + 19);
    *nextLevel = m_record[m_recordSize + 18];
  } else {
    Read(m_record.data(), m_recordSize);
  }
  const unsigned char* b = m_record.data();
  sSectionRecord record;
  record.parentKey = LinkToKey(platform::DecodeSigned32(b));
  record.prevKey = LinkToKey(platform::DecodeSigned32(b + 4));
  record.nextKey = LinkToKey(platform::DecodeSigned32(b + 8));
  record.bookKey = platform::DecodeSigned32(b + 12);
  record.levelCount = platform::DecodeSigned16(b + 16);
  record.level = b[18];
  record.nameOffset = platform::DecodeSigned32(b + 19);
  return record;
}

std::string cSectionsIndex::ReadName(const sSectionRecord& record) {
  return ReadCountedText(record.nameOffset, true);
}

int cSectionsIndex::GetChildKey(int key, const sSectionRecord& record) {
  if (!IsSectionKey(key) || key + 1 >= m_sectionCount) return -1;
  // Only the level of the next record is needed.
  unsigned char level = 0;
  Seek(static_cast<long>(m_tableOffset + static_cast<int64_t>(key + 1) * m_recordSize + 18), platform::File::begin);
  Read(&level, 1);
  return level > record.level ? key + 1 : -1;
}

void cSectionsIndex::ReadEntry(int key, cSectionsData& entry) {
  // The record and the next one's level byte lie together: one read.
  int nextLevel = -1;
  sSectionRecord record = ReadRecord(key, IsSectionKey(key) && key + 1 < m_sectionCount ? &nextLevel : nullptr);
  std::string name = ReadName(record);
  int child = nextLevel > record.level ? key + 1 : -1;
  // Filled only once everything has been read, so a damaged entry leaves the
  // caller's copy as it was.
  entry.SetName(std::move(name));
  entry.SetLevel(record.level);
  entry.SetBookKey(record.bookKey);
  entry.SetLevelCount(record.levelCount);
  entry.SetSectionKey(key);
  entry.SetParentKey(record.parentKey);
  entry.SetChildKey(child);
  entry.SetNextKey(record.nextKey);
  entry.SetPrevKey(record.prevKey);
}

// The slot is chosen by level, so a key can only ever sit in its own level's
// slot; a stale slot simply holds another key and does not match.
bool cSectionsIndex::FindCached(int key, std::string& name, int& parentKey) const {
  if (!m_cacheEnabled) return false;
  for (int level = 1; level <= kCachedLevels; ++level) {
    if (m_cache[level].key == key) {
      name = m_cache[level].name;
      parentKey = m_cache[level].parentKey;
      return true;
    }
  }
  return false;
}

void cSectionsIndex::Remember(int key, int level, const std::string& name, int parentKey) {
  if (!m_cacheEnabled || level < 1 || level > kCachedLevels) return;
  sCacheSlot& slot = m_cache[level];
  slot.key = key;
  slot.parentKey = parentKey;
  slot.name = name;
}
