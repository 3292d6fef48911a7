// concord.idx: the book's concordance, one sorted word list per language.
//
//   offset         width  meaning
//   0              N0     version record
//   N0+0           2      concordance header length N1 (including this field)
//   N0+2           2      number of language records
//   N0+4           2      S, stride of the language records (at least 16)
//   N0+6           N1-6   (not interpreted)
//   N0+N1+k*S      16     language k: language ID u16, word count W i32,
//                         offset of word record 0 i32, R u16 (size of one
//                         word record, at least 18), 4 bytes not interpreted
//   first+i*R      18     word i, in ascending order of its text ignoring
//                         case: 4 bytes handed to callers, K32 i32, text
//                         offset i32, K16 u16, position table offset i32;
//                         the rest of R is not read
//   text offset    2+L    u16 L, then L bytes of text; straight after them
//                         the word's keys, one ascending list stored as K16
//                         u16 keys followed by K32 u32 keys
//   position table 4 each one i32 offset per key, in key order
//   at each        3+...  u8 P8, u16 P16, then P8 u8 positions and P16 u16
//                         positions, again one ascending list
//
// The language records must lie in the file for the header to be accepted.
// Word records are checked when a language's list is used, since the record
// that selects them is kept by the book, not by this file.
#include "soltread/concordindex.h"

#include <climits>

#include "platform/coding.h"
#include "soltread/util.h"

namespace {
constexpr unsigned kLanguageRecordSize = sLanguageRec::kSize;
constexpr unsigned kWordRecordSize = sWordListRec::kMinSize;
}  // namespace

int cConcordIndex::LoadHeader() {
  const long at = m_versionRecordSize;
  std::vector<unsigned char> header = GetVariableRecord(at);
  if (header.size() < kMinHeaderLength) return SOLT_ERR_HEADER_AREA;
  unsigned count = platform::DecodeFixed16(&header[2]);
  unsigned stride = platform::DecodeFixed16(&header[4]);
  int64_t tableOffset = at + static_cast<int64_t>(header.size());
  if (stride < kLanguageRecordSize || tableOffset + static_cast<int64_t>(count) * stride > m_fileLength)
    return SOLT_ERR_HEADER_AREA;
  m_languageCount = static_cast<int>(count);
  m_languageStride = stride;
  m_languageOffset = tableOffset;
  return SOLT_OK;
}

void cConcordIndex::UnloadHeader() {
  m_languageCount = 0;
  m_languageStride = 0;
  m_languageOffset = 0;
}

void cConcordIndex::ReadAt(int64_t offset, void* buffer, unsigned length) {
  CheckRange(offset, length);
  Seek(static_cast<long>(offset), platform::File::begin);
  Read(buffer, length);
}

sLanguageRec cConcordIndex::GetLanguageRecord(int i) {
  if (i < 0 || i >= m_languageCount) solt::ThrowGenericFileError();
  unsigned char b[kLanguageRecordSize];
  ReadAt(m_languageOffset + static_cast<int64_t>(i) * m_languageStride, b, sizeof b);
  sLanguageRec record;
  record.language = platform::DecodeFixed16(b);
  record.wordCount = platform::DecodeSigned32(b + 2);
  record.firstWordOffset = platform::DecodeSigned32(b + 6);
  record.recordSize = platform::DecodeFixed16(b + 10);
  for (int k = 0; k < 4; ++k) record.reserved[k] = b[12 + k];
  return record;
}

int cConcordIndex::CheckWordList(const sLanguageRec& language) const {
  if (language.wordCount == 0) return 0;
  // Checking the whole table once keeps a corrupt count from steering a
  // search outside the file, whichever probes it makes.
  if (language.wordCount < 0 || language.recordSize < kWordRecordSize || language.firstWordOffset < 0 ||
      static_cast<int64_t>(language.wordCount) * language.recordSize > m_fileLength - language.firstWordOffset)
    solt::ThrowGenericFileError(m_file.GetFilePath());
  return language.wordCount;
}

sWordListRec cConcordIndex::GetWordRecord(const sLanguageRec& language, int i) {
  if (i < 0 || i >= CheckWordList(language)) solt::ThrowGenericFileError(m_file.GetFilePath());
  unsigned char b[kWordRecordSize];
  ReadAt(language.firstWordOffset + static_cast<int64_t>(i) * language.recordSize, b, sizeof b);
  sWordListRec record;
  record.reserved = platform::DecodeFixed32(b);
  record.keyCount32 = platform::DecodeSigned32(b + 4);
  record.textOffset = platform::DecodeSigned32(b + 8);
  record.keyCount16 = platform::DecodeFixed16(b + 12);
  record.positionOffset = platform::DecodeSigned32(b + 14);
  return record;
}

std::string cConcordIndex::GetWordText(const sWordListRec& record) {
  return ReadCountedText(record.textOffset, false);
}

void cConcordIndex::GetKeys(const sWordListRec& record, std::vector<unsigned>& keys) {
  unsigned char b[4];
  ReadAt(record.textOffset, b, 2);
  const int64_t at = int64_t{record.textOffset} + 2 + platform::DecodeFixed16(b);
  if (record.keyCount32 < 0) solt::ThrowGenericFileError(m_file.GetFilePath());
  const int64_t bytes = int64_t{record.keyCount16} * 2 + int64_t{record.keyCount32} * 4;
  // The counts come from the file; they may not ask for more than it holds.
  CheckRange(at, bytes);
  if (bytes > UINT_MAX) solt::ThrowGenericFileError(m_file.GetFilePath());
  std::vector<unsigned char> raw(static_cast<size_t>(bytes));
  if (!raw.empty()) ReadAt(at, raw.data(), static_cast<unsigned>(raw.size()));
  const size_t count16 = record.keyCount16;
  const size_t count32 = static_cast<size_t>(record.keyCount32);
  keys.resize(count16 + count32);
  for (size_t i = 0; i < count16; ++i) keys[i] = platform::DecodeFixed16(&raw[i * 2]);
  for (size_t i = 0; i < count32; ++i) keys[count16 + i] = platform::DecodeFixed32(&raw[count16 * 2 + i * 4]);
}

void cConcordIndex::GetPositions(const sWordListRec& record, int keyIndex, std::vector<uint16_t>& positions) {
  unsigned char b[4];
  ReadAt(int64_t{record.positionOffset} + int64_t{keyIndex} * 4, b, 4);
  const int64_t at = platform::DecodeSigned32(b);
  ReadAt(at, b, 3);
  const size_t count8 = b[0];
  const size_t count16 = platform::DecodeFixed16(b + 1);
  CheckRange(at + 3, static_cast<int64_t>(count8 + count16 * 2));
  std::vector<unsigned char> raw(count8 + count16 * 2);
  if (!raw.empty()) ReadAt(at + 3, raw.data(), static_cast<unsigned>(raw.size()));
  positions.resize(count8 + count16);
  for (size_t i = 0; i < count8; ++i) positions[i] = raw[i];
  for (size_t i = 0; i < count16; ++i) positions[count8 + i] = platform::DecodeFixed16(&raw[count8 + i * 2]);
}
