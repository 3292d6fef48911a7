#include "soltread/viewableindex.h"

#include "platform/coding.h"

int cViewableIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  std::vector<unsigned char> header = GetVariableRecord(at);
  if (header.size() < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  int32_t first = platform::DecodeSigned32(&header[2]);
  int32_t second = platform::DecodeSigned32(&header[6]);
  unsigned recordSize = platform::DecodeFixed16(&header[12]);
  int64_t count = static_cast<int64_t>(first) + second;
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  // The whole table must lie inside the file, so no later lookup can run off it.
  if (first < 0 || second < 0 || count > INT32_MAX || recordSize < kMinRecordSize ||
      tableOffset + count * recordSize > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_firstCount = first;
  m_secondCount = second;
  m_areaCount = static_cast<int>(count);
  m_compression = header[10];
  m_recordSize = recordSize;
  m_tableOffset = tableOffset;
  return SOLT_OK;
}

void cViewableIndex::UnloadHeader() {
  m_firstCount = m_secondCount = m_areaCount = 0;
  m_compression = 0;
  m_recordSize = 0;
  m_tableOffset = 0;
}

sAreaRecord cViewableIndex::GetAreaRecord(int key) {
  unsigned char b[kMinRecordSize];
  Seek(static_cast<long>(m_tableOffset + static_cast<int64_t>(key) * m_recordSize), platform::File::begin);
  Read(b, sizeof b);
  sAreaRecord record;
  record.offset = platform::DecodeSigned32(b);
  record.length = platform::DecodeSigned32(b + 4);
  record.storedLength = platform::DecodeSigned32(b + 8);
  return record;
}
