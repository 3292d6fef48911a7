// Handing out viewable areas: the header area, then the area's own bytes,
// whole or in chunks of the caller's size.
#include <cstring>

#include "soltread.h"
#include "soltread/bookfileset.h"
#include "soltread/util.h"

namespace {
// Area sizes are handed to callers as buffer sizes; a corrupt record must not
// make them absurd.
unsigned long AreaTotal(cBookFileSet& set, const sAreaRecord& record) {
  cViewableIndex& index = set.GetViewable();
  if (record.length < 0) solt::ThrowGenericFileError(set.GetTextPath());
  if (index.GetCompressionType() == 1) {
    if (record.storedLength < 0 ||
        static_cast<uint64_t>(record.length) > solt::LzssMaxDecodedLength(static_cast<uint64_t>(record.storedLength)))
      solt::ThrowGenericFileError(set.GetTextPath());
  }
  cBookText& text = set.GetBookText();
  if (text.IsOpen()) text.ValidateArea(record, index.GetCompressionType());
  uint64_t total = static_cast<uint64_t>(set.GetHeaderAreaLength()) + static_cast<uint64_t>(record.length);
  if (total > INT32_MAX) solt::ThrowGenericFileError(set.GetTextPath());
  return static_cast<unsigned long>(total);
}
}  // namespace

int cSOLTBook::GetAreaCount() {
  RequireOpen(SOLT_VIEWABLE_IDX);
  return m_pFileSet->GetViewable().GetAreaCount();
}

int cSOLTBook::GetCompressionType() {
  RequireOpen(SOLT_VIEWABLE_IDX);
  return m_pFileSet->GetViewable().GetCompressionType();
}

unsigned long cSOLTBook::GetHeaderAreaLength() {
  RequireOpen(SOLT_VIEWABLE_IDX);
  return m_pFileSet->GetHeaderAreaLength();
}

unsigned long cSOLTBook::GetViewableAreaSize(int key) {
  RequireOpen(SOLT_VIEWABLE_IDX);
  cViewableIndex& index = m_pFileSet->GetViewable();
  if (!index.IsValidKey(key)) return 0;
  return AreaTotal(*m_pFileSet, index.GetAreaRecord(key));
}

int cSOLTBook::GetViewableArea(int key, char* buffer) {
  RequireOpen(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  cViewableIndex& index = m_pFileSet->GetViewable();
  if (!index.IsValidKey(key)) return 1;
  sAreaRecord record = index.GetAreaRecord(key);
  AreaTotal(*m_pFileSet, record);
  const std::vector<char>& header = m_pFileSet->GetBookText().GetHeaderArea();
  if (!header.empty()) std::memcpy(buffer, header.data(), header.size());
  m_pFileSet->GetBookText().ReadArea(record, index.GetCompressionType(), buffer + header.size());
  return 0;
}

unsigned long cSOLTBook::GetFirstViewableAreaChunk(int key, unsigned chunkSize, char* buffer) {
  RequireOpen(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  ResetChunkCursor();
  cViewableIndex& index = m_pFileSet->GetViewable();
  if (!index.IsValidKey(key)) return 0;
  sAreaRecord record = index.GetAreaRecord(key);
  m_chunkKey = key;
  m_chunkSize = chunkSize;
  m_chunkTotal = AreaTotal(*m_pFileSet, record);
  m_chunkAreaOffset = record.offset;
  m_chunkAreaLength = record.length;
  m_chunkAreaStored = record.storedLength;
  unsigned long n = m_chunkTotal < chunkSize ? m_chunkTotal : chunkSize;
  if (n > 0) DeliverChunk(0, n, buffer);
  m_chunkPosition = n;
  return n;
}

unsigned long cSOLTBook::GetNextViewableAreaChunk(char* buffer) {
  if (m_chunkKey < 0) return 0;
  unsigned long left = m_chunkTotal - m_chunkPosition;
  unsigned long n = left < m_chunkSize ? left : m_chunkSize;
  if (n == 0) return 0;
  RequireOpen(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  DeliverChunk(m_chunkPosition, n, buffer);
  m_chunkPosition += n;
  return n;
}

void cSOLTBook::DeliverChunk(unsigned long position, unsigned long count, char* buffer) {
  cBookText& text = m_pFileSet->GetBookText();
  cViewableIndex& index = m_pFileSet->GetViewable();
  const std::vector<char>& header = text.GetHeaderArea();
  const unsigned long headerLength = header.size();
  if (position < headerLength) {
    unsigned long n = headerLength - position < count ? headerLength - position : count;
    std::memcpy(buffer, header.data() + position, n);
    buffer += n;
    position += n;
    count -= n;
  }
  if (count == 0) return;
  sAreaRecord record;
  record.offset = m_chunkAreaOffset;
  record.length = m_chunkAreaLength;
  record.storedLength = m_chunkAreaStored;
  unsigned long from = position - headerLength;
  if (index.GetCompressionType() == 0) {
    text.ValidateArea(record, 0);
    if (from + count > static_cast<unsigned long>(record.length)) solt::ThrowGenericFileError(m_textPath);
    text.Seek(static_cast<long>(record.offset + from), platform::File::begin);
    text.Read(buffer, static_cast<unsigned>(count));
  } else {
    text.ReadCompressedRange(m_chunkKey, record, from, count, buffer);
  }
}
