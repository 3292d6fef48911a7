// verses.idx: the keys of the places that refer to each Bible book, chapter
// and verse.
//
//   offset      width  meaning
//   0           N0     version record
//   N0+0        2      verses header length N1 (including this field)
//   N0+2        2      B, number of book records
//   N0+4        2      book record size (at least 20)
//   N0+6        2      chapter record size (at least 16)
//   N0+8        2      verse record size (at least 6)
//   N0+10       N1-10  (not interpreted)
//   N0+N1       B*...  book records, by ascending book number: book u16,
//                      chapter records u16, their offset i32, then the
//                      offsets (i32) of the book's own key list, of its
//                      all-chapters list and of its all-verses list
//   (anywhere)         chapter records, by ascending chapter number:
//                      chapter u16, verse records u16, their offset i32, the
//                      offsets (i32) of the chapter's key list and of its
//                      all-verses list
//   (anywhere)         verse records, by ascending verse number: verse u16,
//                      offset (i32) of its key list
//   (anywhere)         key list: count n i32, then n u32 keys
//
// Records may be longer than the fields listed; the rest is not read. A list
// offset of 0 means the place has no such list.
#include "soltread/versesindex.h"

#include <climits>

#include "platform/coding.h"
#include "soltread/util.h"

namespace {
constexpr unsigned kBookFields = cVersesIndex::kMinBookRecordSize;
constexpr unsigned kChapterFields = cVersesIndex::kMinChapterRecordSize;
constexpr unsigned kVerseFields = cVersesIndex::kMinVerseRecordSize;
}  // namespace

int cVersesIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  std::vector<unsigned char> header = GetVariableRecord(at);
  if (header.size() < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  unsigned count = platform::DecodeFixed16(&header[2]);
  unsigned bookSize = platform::DecodeFixed16(&header[4]);
  unsigned chapterSize = platform::DecodeFixed16(&header[6]);
  unsigned verseSize = platform::DecodeFixed16(&header[8]);
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  if (bookSize < kMinBookRecordSize || chapterSize < kMinChapterRecordSize || verseSize < kMinVerseRecordSize ||
      tableOffset + static_cast<int64_t>(count) * bookSize > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_bookCount = static_cast<int>(count);
  m_bookRecordSize = bookSize;
  m_chapterRecordSize = chapterSize;
  m_verseRecordSize = verseSize;
  m_bookOffset = tableOffset;
  return SOLT_OK;
}

void cVersesIndex::UnloadHeader() {
  m_bookCount = 0;
  m_bookRecordSize = m_chapterRecordSize = m_verseRecordSize = 0;
  m_bookOffset = 0;
}

void cVersesIndex::ReadAt(int64_t offset, void* buffer, unsigned length) {
  CheckRange(offset, length);
  Seek(static_cast<long>(offset), platform::File::begin);
  Read(buffer, length);
}

bool cVersesIndex::Search(int64_t offset, unsigned count, unsigned size, uint16_t number, unsigned char* record,
                          unsigned length) {
  if (count == 0) return false;
  // The whole table must be in the file before any probe trusts its count.
  CheckRange(offset, static_cast<int64_t>(count) * size);
  int lo = 0;
  int hi = static_cast<int>(count) - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    ReadAt(offset + static_cast<int64_t>(mid) * size, record, length);
    const uint16_t found = platform::DecodeFixed16(record);
    if (found == number) return true;
    if (found < number)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

bool cVersesIndex::FindBook(uint16_t book, sBookRec& found) {
  unsigned char b[kBookFields];
  if (!Search(m_bookOffset, static_cast<unsigned>(m_bookCount), m_bookRecordSize, book, b, sizeof b)) return false;
  found.chapterCount = platform::DecodeFixed16(b + 2);
  found.chapterOffset = platform::DecodeSigned32(b + 4);
  found.keys = platform::DecodeSigned32(b + 8);
  found.allChapters = platform::DecodeSigned32(b + 12);
  found.allVerses = platform::DecodeSigned32(b + 16);
  return true;
}

bool cVersesIndex::FindChapter(const sBookRec& book, uint16_t chapter, sChapterRec& found) {
  unsigned char b[kChapterFields];
  if (!Search(book.chapterOffset, book.chapterCount, m_chapterRecordSize, chapter, b, sizeof b)) return false;
  found.verseCount = platform::DecodeFixed16(b + 2);
  found.verseOffset = platform::DecodeSigned32(b + 4);
  found.keys = platform::DecodeSigned32(b + 8);
  found.allVerses = platform::DecodeSigned32(b + 12);
  return true;
}

bool cVersesIndex::FindVerse(const sChapterRec& chapter, uint16_t verse, int32_t& keys) {
  unsigned char b[kVerseFields];
  if (!Search(chapter.verseOffset, chapter.verseCount, m_verseRecordSize, verse, b, sizeof b)) return false;
  keys = platform::DecodeSigned32(b + 2);
  return true;
}

int cVersesIndex::ReadKeyList(int32_t offset, std::vector<unsigned>& keys) {
  if (offset == 0) return 0;
  unsigned char b[4];
  ReadAt(offset, b, 4);
  const int32_t count = platform::DecodeSigned32(b);
  if (count < 0) solt::ThrowGenericFileError(m_file.GetFilePath());
  // The count may not ask for more than the file holds.
  const int64_t bytes = static_cast<int64_t>(count) * 4;
  CheckRange(int64_t{offset} + 4, bytes);
  if (bytes > UINT_MAX) solt::ThrowGenericFileError(m_file.GetFilePath());
  std::vector<unsigned char> raw(static_cast<size_t>(bytes));
  if (!raw.empty()) ReadAt(int64_t{offset} + 4, raw.data(), static_cast<unsigned>(raw.size()));
  keys.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = platform::DecodeFixed32(&raw[i * 4]);
  return count;
}

int cVersesIndex::GetBookKeys(uint16_t book, eList list, std::vector<unsigned>& keys) {
  sBookRec found;
  if (!FindBook(book, found)) return 0;
  const int32_t offset = list == kOwnList ? found.keys : list == kAllChapters ? found.allChapters : found.allVerses;
  return ReadKeyList(offset, keys);
}

int cVersesIndex::GetChapterKeys(uint16_t book, uint16_t chapter, eList list, std::vector<unsigned>& keys) {
  sBookRec bookRec;
  sChapterRec found;
  if (!FindBook(book, bookRec) || !FindChapter(bookRec, chapter, found)) return 0;
  return ReadKeyList(list == kAllVerses ? found.allVerses : found.keys, keys);
}

int cVersesIndex::GetVerseKeys(uint16_t book, uint16_t chapter, uint16_t verse, std::vector<unsigned>& keys) {
  sBookRec bookRec;
  sChapterRec chapterRec;
  int32_t offset = 0;
  if (!FindBook(book, bookRec) || !FindChapter(bookRec, chapter, chapterRec) ||
      !FindVerse(chapterRec, verse, offset))
    return 0;
  return ReadKeyList(offset, keys);
}
