// wsync.idx, ssync.idx and dsync.idx: texts (words, Strong's numbers, dates)
// with the key a following window moves to.
//
//   offset      width  meaning
//   0           N0     version record
//   N0+0        2      header length N1 (including this field, at least 10)
//   N0+2        2      (not interpreted)
//   N0+4        4      C, number of entries (signed)
//   N0+8        2      E, size of one entry (at least 8)
//   N0+10       N1-10  (not interpreted)
//   N0+N1+i*E   4      entry i: key (signed)
//   +4          4      file offset of entry i's text (signed); the rest of E
//                      is not read
// The entries are sorted by text, ignoring case (solt::CompareNoCase). At a
// text offset:
//   0           2      text length L (signed)
//   2           L      the text
//
// vsync.idx: Bible verses with their keys.
//
//   offset              width  meaning
//   0                   N0     version record
//   N0+0                2      header length N1 (including this field, at least 10)
//   N0+2                2      F, first book number
//   N0+4                2      Z, last book number (F <= Z)
//   N0+6                2      B, size of one book record (at least 6)
//   N0+8                2      V, size of one verse record (at least 8)
//   N0+10               N1-10  (not interpreted)
//   N0+N1+(b-F)*B       4      book b: file offset of its verse records
//                              (signed; 0 = none)
//   +4                  2      number of verse records; the rest of B not read
// A book's verse records, sorted by chapter and then verse:
//   0                   2      chapter
//   2                   2      verse
//   4                   4      key (signed); the rest of V not read
#include "soltread/syncindex.h"

#include "platform/coding.h"
#include "soltread/util.h"

int cTextSyncIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  // Any header too short to hold our fields is a header error, the ones too
  // short to count themselves included.
  if (GetRecordSize(at) < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  std::vector<unsigned char> header = GetVariableRecord(at);
  int32_t count = platform::DecodeSigned32(&header[4]);
  unsigned entrySize = platform::DecodeFixed16(&header[8]);
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  // The whole table must lie inside the file: a binary search then never
  // probes past it, however large the count claims to be.
  if (count < 0 || entrySize < kMinEntrySize ||
      tableOffset + static_cast<int64_t>(count) * entrySize > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_entryCount = count;
  m_entrySize = entrySize;
  m_tableOffset = tableOffset;
  return SOLT_OK;
}

void cTextSyncIndex::UnloadHeader() {
  m_entryCount = 0;
  m_entrySize = 0;
  m_tableOffset = 0;
}

sTextSyncEntry cTextSyncIndex::GetEntry(int index) {
  if (index < 0 || index >= m_entryCount) solt::ThrowGenericFileError(m_file.GetFilePath());
  unsigned char b[kMinEntrySize];
  Seek(static_cast<long>(m_tableOffset + static_cast<int64_t>(index) * m_entrySize), platform::File::begin);
  Read(b, sizeof b);
  sTextSyncEntry entry;
  entry.key = platform::DecodeSigned32(b);
  entry.textOffset = platform::DecodeSigned32(b + 4);
  return entry;
}

std::string cTextSyncIndex::GetEntryText(const sTextSyncEntry& entry) {
  return ReadCountedText(entry.textOffset, true);
}

int cVerseSyncIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  if (GetRecordSize(at) < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  std::vector<unsigned char> header = GetVariableRecord(at);
  int first = platform::DecodeFixed16(&header[2]);
  int last = platform::DecodeFixed16(&header[4]);
  unsigned bookRecordSize = platform::DecodeFixed16(&header[6]);
  unsigned verseRecordSize = platform::DecodeFixed16(&header[8]);
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  if (first > last || bookRecordSize < kMinBookRecordSize || verseRecordSize < kMinVerseRecordSize ||
      tableOffset + static_cast<int64_t>(last - first + 1) * bookRecordSize > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_firstBook = first;
  m_lastBook = last;
  m_bookRecordSize = bookRecordSize;
  m_verseRecordSize = verseRecordSize;
  m_tableOffset = tableOffset;
  return SOLT_OK;
}

void cVerseSyncIndex::UnloadHeader() {
  m_firstBook = 0;
  m_lastBook = -1;
  m_bookRecordSize = 0;
  m_verseRecordSize = 0;
  m_tableOffset = 0;
}

sVerseSyncBook cVerseSyncIndex::GetBookRecord(int book) {
  if (book < m_firstBook || book > m_lastBook) solt::ThrowGenericFileError(m_file.GetFilePath());
  unsigned char b[kMinBookRecordSize];
  Seek(static_cast<long>(m_tableOffset + static_cast<int64_t>(book - m_firstBook) * m_bookRecordSize),
       platform::File::begin);
  Read(b, sizeof b);
  sVerseSyncBook record;
  record.offset = platform::DecodeSigned32(b);
  record.count = platform::DecodeFixed16(b + 4);
  // Checked once here so that the search over the records cannot leave the file.
  if (record.offset != 0) CheckRange(record.offset, static_cast<int64_t>(record.count) * m_verseRecordSize);
  return record;
}

sVerseSyncRecord cVerseSyncIndex::GetVerseRecord(const sVerseSyncBook& book, int index) {
  if (book.offset == 0 || index < 0 || index >= book.count) solt::ThrowGenericFileError(m_file.GetFilePath());
  unsigned char b[kMinVerseRecordSize];
  Seek(static_cast<long>(book.offset + static_cast<int64_t>(index) * m_verseRecordSize), platform::File::begin);
  Read(b, sizeof b);
  sVerseSyncRecord record;
  record.chapter = platform::DecodeFixed16(b);
  record.verse = platform::DecodeFixed16(b + 2);
  record.key = platform::DecodeSigned32(b + 4);
  return record;
}
