// Every file of a book begins with the same version record:
//
//   offset width  meaning
//   0      2      record length N, including this field; the file's next
//                 structure starts at N
//   2      2      publisher ID
//   4      2      book ID
//   6      4      (not interpreted)
//   10     1      least compatible format version, major
//   11     1      least compatible format version, minor
//   12     N-12   (not interpreted)
//
// Only the first 16 bytes are kept. A record shorter than 12 bytes, or one
// that runs past the end of the file, makes the file unreadable.
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread.h"
#include "soltread/util.h"

using platform::FileException;

sVersionRecord sVersionRecord::Decode(const unsigned char* bytes, unsigned count) {
  unsigned char b[kKeptBytes] = {};
  std::memcpy(b, bytes, count < kKeptBytes ? count : kKeptBytes);
  sVersionRecord r;
  r.length = platform::DecodeFixed16(b);
  r.publisherID = platform::DecodeFixed16(b + 2);
  r.bookID = platform::DecodeFixed16(b + 4);
  std::memcpy(r.reserved, b + 6, 4);
  r.lcsMajor = b[10];
  r.lcsMinor = b[11];
  std::memcpy(r.extra, b + 12, 4);
  return r;
}

void sVersionRecord::Encode(unsigned char out[kKeptBytes]) const {
  platform::EncodeFixed16(out, length);
  platform::EncodeFixed16(out + 2, publisherID);
  platform::EncodeFixed16(out + 4, bookID);
  std::memcpy(out + 6, reserved, 4);
  out[10] = lcsMajor;
  out[11] = lcsMinor;
  std::memcpy(out + 12, extra, 4);
}

uint16_t GetCurrentSOLTVersionInfo() { return 0x0009; }
uint16_t GetLeastCompatibleSOLTVersionInfo() { return 0x0009; }

cFileBase::cFileBase() = default;

cFileBase::~cFileBase() { m_file.Close(); }

int cFileBase::Open(const char* path, cSOLTBook& book) {
  if (m_refCount > 0) {
    ++m_refCount;
    return SOLT_OK;
  }
  if (!book.IsMediaAvailable(path)) return SOLT_ERR_DISK_CANCELLED;

  FileException error;
  if (!m_file.Open(path, platform::File::modeRead | platform::File::shareDenyNone, &error))
    return cSOLTBook::ConvertCauseToErrorCode(error.m_cause);

  int result = SOLT_OK;
  try {
    m_fileLength = m_file.GetLength();
    unsigned char head[sVersionRecord::kKeptBytes] = {};
    unsigned length = 0;
    if (m_fileLength >= 2) {
      m_file.Seek(m_baseOffset, platform::File::begin);
      m_file.ReadExact(head, 2);
      length = platform::DecodeFixed16(head);
    }
    if (length < sVersionRecord::kMinLength || length > m_fileLength) {
      result = SOLT_ERR_HEADER_AREA;
    } else {
      unsigned kept = length < sVersionRecord::kKeptBytes ? length : sVersionRecord::kKeptBytes;
      m_file.ReadExact(head + 2, kept - 2);
      m_versionRecord = sVersionRecord::Decode(head, kept);
      m_versionRecordSize = static_cast<uint16_t>(length);
      result = ValidatePubAndBookID(book, path);
      if (result == SOLT_OK) result = ValidateLCSVersion(book, path);
      if (result == SOLT_OK) result = LoadHeader();
    }
  } catch (const FileException& e) {
    // A file that cannot even be read to its own header is not a usable book
    // file, whatever the cause.
    result = e.m_cause == FileException::endOfFile ? SOLT_ERR_HEADER_AREA
                                                  : cSOLTBook::ConvertCauseToErrorCode(e.m_cause);
  } catch (const std::bad_alloc&) {
    result = SOLT_ERR_HEADER_AREA;
  }
  if (result != SOLT_OK) {
    UnloadHeader();
    m_file.Close();
    m_versionRecord = sVersionRecord();
    m_versionRecordSize = 0;
    return result;
  }
  m_refCount = 1;
  return SOLT_OK;
}

int cFileBase::Close() {
  if (m_refCount <= 0) return 0;
  if (--m_refCount == 0) {
    UnloadHeader();
    m_file.Close();
  }
  return m_refCount;
}

unsigned cFileBase::Read(void* buffer, unsigned length) {
  if (!m_file.IsOpen()) solt::ThrowGenericFileError();
  ++s_readCount;
  m_file.ReadExact(buffer, length);
  return length;
}

long cFileBase::Seek(long offset, unsigned from) {
  if (!m_file.IsOpen()) solt::ThrowGenericFileError();
  int64_t target = static_cast<int64_t>(offset) + (from == platform::File::begin ? m_baseOffset : 0);
  return static_cast<long>(m_file.Seek(target, static_cast<int>(from)));
}

void cFileBase::CheckRange(int64_t offset, int64_t length) const {
  if (offset < 0 || length < 0 || offset > m_fileLength || length > m_fileLength - offset)
    solt::ThrowEndOfFile(m_file.GetFilePath());
}

std::string cFileBase::ReadCountedText(int64_t offset, bool signedLength) {
  CheckRange(offset, 2);
  // Names and words are short: the length and a typical text come in one
  // read, and only a long text needs a second.
  constexpr int64_t kGuess = 62;
  const int64_t available = m_fileLength - offset;
  unsigned char b[2 + kGuess];
  const unsigned first = static_cast<unsigned>(available < 2 + kGuess ? available : 2 + kGuess);
  Seek(static_cast<long>(offset), platform::File::begin);
  Read(b, first);
  const int length = signedLength ? platform::DecodeSigned16(b) : platform::DecodeFixed16(b);
  if (length < 0) solt::ThrowGenericFileError(m_file.GetFilePath());
  CheckRange(offset + 2, length);
  const unsigned have = first - 2 < static_cast<unsigned>(length) ? first - 2 : static_cast<unsigned>(length);
  std::string text(reinterpret_cast<const char*>(b + 2), have);
  if (static_cast<unsigned>(length) > have) {
    text.resize(static_cast<size_t>(length));
    Read(text.data() + have, static_cast<unsigned>(length) - have);
  }
  return text;
}

unsigned cFileBase::GetRecordSize(long offset) {
  CheckRange(offset, 2);
  unsigned char b[2];
  Seek(offset, platform::File::begin);
  Read(b, 2);
  Seek(offset, platform::File::begin);
  return platform::DecodeFixed16(b);
}

std::vector<unsigned char> cFileBase::GetVariableRecord(long offset) {
  unsigned length = GetRecordSize(offset);
  // A record counts its own length field; anything shorter is corrupt.
  if (length < 2) solt::ThrowGenericFileError(m_file.GetFilePath());
  CheckRange(offset, length);
  std::vector<unsigned char> record(length);
  Read(record.data(), length);
  return record;
}

unsigned cFileBase::GetVariableRecord(long offset, void** out) {
  std::vector<unsigned char> record = GetVariableRecord(offset);
  auto* buffer = new unsigned char[record.size()];
  std::memcpy(buffer, record.data(), record.size());
  *out = buffer;
  return static_cast<unsigned>(record.size());
}

int cFileBase::ValidatePubAndBookID(cSOLTBook& book, const char* path) {
  auto registeredPublisher = static_cast<uint16_t>(solt::ParseDecimal(book.GetPublisherID()));
  auto registeredBook = static_cast<uint16_t>(solt::ParseDecimal(book.GetBookID()));
  if (registeredPublisher == m_versionRecord.publisherID && registeredBook == m_versionRecord.bookID)
    return SOLT_OK;
  if (cSOLTEvents* events = book.GetEventsObjectPtr()) {
    events->ReportIDMismatch(path, registeredPublisher, registeredBook, m_versionRecord.publisherID,
                             m_versionRecord.bookID);
  } else {
    std::string text = solt::Format(
                  "The PublisherID or BookID from the bookmgr.ini file does not match the file being "
                  "opened.\nBookmgr.ini: PubID=%d, BookID=%d\nFile: PubID=%d, BookID=%d\nPath: %s\n",
                  registeredPublisher, registeredBook, m_versionRecord.publisherID, m_versionRecord.bookID,
                  path);
    platform::MessageBox(text, platform::MessageButtons::Ok);
  }
  return SOLT_ERR_ID_MISMATCH;
}

int cFileBase::ValidateLCSVersion(cSOLTBook& book, const char* path) {
  unsigned version = m_versionRecord.lcsMajor * 256u + m_versionRecord.lcsMinor;
  // 0.1 was never a released format; everything up to 0.9 otherwise reads.
  if (version <= GetLeastCompatibleSOLTVersionInfo() && version != 0x0001) return SOLT_OK;
  const int programMajor = GetLeastCompatibleSOLTVersionInfo() >> 8;
  const int programMinor = GetLeastCompatibleSOLTVersionInfo() & 0xFF;
  if (cSOLTEvents* events = book.GetEventsObjectPtr()) {
    events->ReportVersionMismatch(path, programMajor, programMinor, m_versionRecord.lcsMajor,
                                  m_versionRecord.lcsMinor);
  } else {
    std::string text = solt::Format(
                  "The program can't read this file. Incompatible SOLT version.\nLeast Compatible SOLT "
                  "Version:\nProgram:  Major=%d, Minor=%d\nFile: Major=%d, Minor=%d\nPath: %s\n",
                  programMajor, programMinor, m_versionRecord.lcsMajor, m_versionRecord.lcsMinor, path);
    platform::MessageBox(text, platform::MessageButtons::Ok);
  }
  return SOLT_ERR_VERSION;
}
