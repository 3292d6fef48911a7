// dBase III tables and their .dbt memo files.
//
// Table file (.dbf), all integers little-endian:
//   0      1   version: 0x03 plain, 0x83 with a .dbt memo file
//   1      3   date of the last change: year - 1900, month, day
//   4      4   record count
//   8      2   header length: where the first record starts
//   10     2   record length, the deletion flag included
//   12    17   reserved (zero)
//   29     1   language driver; we write 0x03 (Windows ANSI, i.e. Windows-1252)
//   30     2   reserved
//   32  32*n   field descriptors:
//                0  11  name, NUL-padded
//                11  1  type: C N F D L M
//                12  4  the field's offset in the record (we write it; readers ignore it)
//                16  1  length
//                17  1  decimal count; in a character field Clipper keeps the
//                       length's high byte here, so 'C' fields are len + dec*256
//                18 14  reserved
//   32+32n 1   0x0D ends the descriptors (anything up to the header length follows)
//   header length: records of record-length bytes, each a flag (' ' live,
//                  '*' deleted) and the fields in order, text padded with blanks
//   then 0x1A, the end-of-file mark (optional when reading)
//
// Memo file (.dbt), 512-byte blocks:
//   block 0: bytes 0-3 the next free block; byte 16 0x03 (dBase III); rest zero
//   a text starts at a block and ends with 0x1A 0x1A; the record's memo field
//   holds the block number in decimal, right-aligned in blanks (all blanks:
//   no text). A replaced text gets new blocks at the end and its old blocks are
//   never reused, as in dBase III.
//
// Every offset, length and block number read from a file is checked against
// the file's size before it is followed, so a lying header ends in DbfError
// and never in a read past the end or an allocation the file cannot back.
#include "platform/dbf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/coding.h"

namespace platform {

namespace {

constexpr uint32_t kBlock = 512;
constexpr uint32_t kPrefix = 32;
constexpr uint32_t kDescriptor = 32;
constexpr char kEndOfFile = 0x1A;
constexpr size_t kMaxWideField = 0xFFFF;

[[noreturn]] void Fail(const std::string& path, const std::string& message) {
  throw DbfError(path + ": " + message);
}

[[noreturn]] void FailErrno(const std::string& path, const std::string& what, int err) {
  Fail(path, what + " (" + std::strerror(err) + ")");
}

// Reads up to count bytes at offset; fewer only at the end of the file.
size_t ReadAt(int fd, char* buffer, size_t count, uint64_t offset, const std::string& path) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd, buffer + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FailErrno(path, "cannot read", errno);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// Writes all bytes at offset; returns 0 or the errno of the failure.
int WriteAt(int fd, const char* data, size_t count, uint64_t offset) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int Sync(int fd) { return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno; }

uint64_t SizeOf(int fd, const std::string& path) {
  struct stat st;
  if (::fstat(fd, &st) != 0) FailErrno(path, "cannot read the file size", errno);
  return static_cast<uint64_t>(st.st_size);
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

void PutDate(char* at) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  at[0] = static_cast<char>(local.tm_year);  // years since 1900, as dBase counts them
  at[1] = static_cast<char>(local.tm_mon + 1);
  at[2] = static_cast<char>(local.tm_mday);
}

// The field's bytes for text: character and other fields padded with blanks
// (numbers right-aligned), or DbfError when the text does not fit.
void FormatInto(const DbfField& field, std::string_view text, char* out, const std::string& path) {
  if (text.size() > field.length)
    Fail(path, "text of " + std::to_string(text.size()) + " bytes does not fit field " + field.name + " (" +
                   std::to_string(field.length) + ")");
  std::memset(out, ' ', field.length);
  size_t at = field.type == 'N' || field.type == 'F' ? field.length - text.size() : 0;
  std::memcpy(out + at, text.data(), text.size());
}

void CheckMemoText(std::string_view text, const std::string& path) {
  // The end marker cannot be told from text that contains it.
  if (text.find(kEndOfFile) != std::string_view::npos)
    Fail(path, "a memo text cannot hold the byte 0x1A");
}

// A memo text as stored: the text, the end marker, zeros to the block's end.
void AppendMemo(std::string& out, std::string_view text) {
  out.append(text);
  out.append(2, kEndOfFile);
  out.append((kBlock - out.size() % kBlock) % kBlock, '\0');
}

void PutBlockNumber(char* field, unsigned width, uint32_t block) {
  std::string digits = std::to_string(block);
  std::memset(field, ' ', width);
  std::memcpy(field + width - digits.size(), digits.data(), digits.size());
}

std::string MemoHeader(uint32_t nextBlock) {
  std::string header(kBlock, '\0');
  EncodeFixed32(header.data(), nextBlock);
  header[16] = 0x03;
  return header;
}

}  // namespace

std::string DbfMemoPath(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ".dbt";
  std::string ext = path.substr(dot + 1);
  if (!SameName(ext, "dbf")) return path + ".dbt";
  return path.substr(0, dot + 1) + ext.substr(0, 2) + (ext[2] == 'F' ? 'T' : 't');
}

// ---------------------------------------------------------------------------
// DbfTable

DbfTable::~DbfTable() {
  try {
    Close();
  } catch (const DbfError&) {
  }
  CloseFiles();
}

void DbfTable::CloseFiles() {
  if (m_dbt >= 0) ::close(m_dbt);
  if (m_dbf >= 0) ::close(m_dbf);
  m_dbt = m_dbf = -1;
  m_count = 0;
  m_recno = 0;
  m_fields.clear();
  m_offsets.clear();
  m_record.clear();
  m_pending.clear();
  m_memoAssigned.clear();
  m_memoTexts.clear();
  m_changed = false;
}

void DbfTable::Close() {
  if (!IsOpen()) return;
  if (m_changed) WriteRecord();
  CloseFiles();
}

void DbfTable::Open(const std::string& path, Mode mode) {
  Close();
  m_path = path;
  m_mode = mode;
  m_dbf = ::open(path.c_str(), (mode == readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (m_dbf < 0) FailErrno(path, "cannot open", errno);
  try {
    ReadHeader(path);
  } catch (...) {
    CloseFiles();
    throw;
  }
}

void DbfTable::ReadHeader(const std::string& path) {
  const uint64_t size = SizeOf(m_dbf, path);
  char prefix[kPrefix];
  if (size < kPrefix || ReadAt(m_dbf, prefix, kPrefix, 0, path) != kPrefix) Fail(path, "too short for a dBase table");
  const unsigned version = static_cast<unsigned char>(prefix[0]);
  if (version != 0x03 && version != 0x83) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", version);
    Fail(path, std::string("not a dBase III table (version byte ") + hex + ")");
  }
  m_count = DecodeFixed32(prefix + 4);
  m_headerLength = DecodeFixed16(prefix + 8);
  m_recordLength = DecodeFixed16(prefix + 10);
  if (m_headerLength < kPrefix + 1 || m_headerLength > size)
    Fail(path, "header length " + std::to_string(m_headerLength) + " is outside the file");
  if (m_recordLength < 2) Fail(path, "record length " + std::to_string(m_recordLength) + " is too small");

  std::string header(m_headerLength, '\0');
  ReadAt(m_dbf, header.data(), header.size(), 0, path);
  uint32_t at = kPrefix;
  uint32_t offset = 1;  // after the deletion flag
  bool hasMemo = false;
  for (;; at += kDescriptor) {
    if (at >= m_headerLength) Fail(path, "field descriptors have no 0x0D terminator");
    if (header[at] == '\r') break;
    if (at + kDescriptor > m_headerLength) Fail(path, "field descriptors run past the header length");
    const char* d = header.data() + at;
    DbfField field;
    field.name.assign(d, strnlen(d, 11));
    field.type = Upper(d[11]);
    field.length = static_cast<unsigned char>(d[16]);
    field.decimals = static_cast<unsigned char>(d[17]);
    if (field.type == 'C') {
      field.length += field.decimals * 256;  // Clipper's wide character field
      field.decimals = 0;
    }
    if (field.name.empty()) Fail(path, "field " + std::to_string(m_fields.size() + 1) + " has no name");
    if (field.length == 0) Fail(path, "field " + field.name + " has length 0");
    if (field.type == 'M') hasMemo = true;
    m_offsets.push_back(offset);
    offset += field.length;
    m_fields.push_back(std::move(field));
  }
  if (m_fields.empty()) Fail(path, "the table has no fields");
  if (offset > m_recordLength)
    Fail(path, "fields need " + std::to_string(offset) + " bytes but the record length is " +
                   std::to_string(m_recordLength));
  if (m_headerLength + static_cast<uint64_t>(m_count) * m_recordLength > size)
    Fail(path, "header claims " + std::to_string(m_count) + " records but the file holds " +
                   std::to_string((size - m_headerLength) / m_recordLength));
  if (hasMemo) OpenMemo(path);
}

void DbfTable::OpenMemo(const std::string& path) {
  m_memoPath = DbfMemoPath(path);
  m_dbt = ::open(m_memoPath.c_str(), (m_mode == readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (m_dbt < 0 && errno == ENOENT) {
    // A table copied from a case-blind file system may have either case.
    std::string other = m_memoPath;
    for (size_t i = other.size() - 3; i < other.size(); ++i) other[i] ^= 0x20;
    m_dbt = ::open(other.c_str(), (m_mode == readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (m_dbt >= 0) m_memoPath = other;
    else errno = ENOENT;
  }
  if (m_dbt < 0) FailErrno(m_memoPath, "cannot open the memo file", errno);
}

int DbfTable::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < m_fields.size(); ++i)
    if (SameName(m_fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

void DbfTable::Require(bool readWrite) const {
  if (!IsOpen()) throw DbfError("no table is open");
  if (readWrite && m_mode != DbfTable::readWrite) Fail(m_path, "the table is open read-only");
}

void DbfTable::CheckField(int field) const {
  Require(false);
  if (m_recno == 0) Fail(m_path, "no current record");
  if (field < 0 || static_cast<size_t>(field) >= m_fields.size())
    Fail(m_path, "no field " + std::to_string(field));
}

void DbfTable::Go(uint32_t recno) {
  Require(false);
  if (m_changed) WriteRecord();
  if (recno < 1 || recno > m_count)
    Fail(m_path, "record " + std::to_string(recno) + " is not in the table (1-" + std::to_string(m_count) + ")");
  std::string record(m_recordLength, '\0');
  uint64_t at = m_headerLength + static_cast<uint64_t>(recno - 1) * m_recordLength;
  // The file may have shrunk since it was opened.
  if (ReadAt(m_dbf, record.data(), record.size(), at, m_path) != record.size())
    Fail(m_path, "record " + std::to_string(recno) + " is cut short");
  m_record = record;
  m_pending = std::move(record);
  m_recno = recno;
  m_memoAssigned.assign(m_fields.size(), false);
  m_memoTexts.assign(m_fields.size(), std::string());
}

bool DbfTable::IsDeleted() const {
  Require(false);
  if (m_recno == 0) Fail(m_path, "no current record");
  return m_pending[0] == '*';
}

std::string DbfTable::FieldText(int field) const {
  CheckField(field);
  std::string_view bytes(m_pending.data() + m_offsets[field], m_fields[field].length);
  if (m_fields[field].type != 'M') return std::string(bytes);
  if (m_memoAssigned[field]) return m_memoTexts[field];
  return ReadMemo(bytes);
}

std::string DbfTable::ReadMemo(std::string_view reference) const {
  size_t first = reference.find_first_not_of(std::string_view(" \0", 2));
  if (first == std::string_view::npos) return {};
  size_t last = reference.find_last_not_of(std::string_view(" \0", 2));
  std::string_view digits = reference.substr(first, last - first + 1);
  uint64_t block = 0;
  for (char c : digits) {
    if (c < '0' || c > '9' || block > 0xFFFFFFFFu)
      Fail(m_path, "memo reference \"" + std::string(reference) + "\" is not a block number");
    block = block * 10 + static_cast<unsigned>(c - '0');
  }
  if (block == 0) return {};  // block 0 is the memo file's header
  const uint64_t size = SizeOf(m_dbt, m_memoPath);
  if (block >= (size + kBlock - 1) / kBlock)
    Fail(m_memoPath, "memo block " + std::to_string(block) + " is past the end of the memo file");
  // Read on until the end marker; the text can be no longer than the file.
  std::string text;
  uint64_t at = block * kBlock;
  char chunk[4096];
  while (at < size) {
    size_t n = ReadAt(m_dbt, chunk, sizeof chunk, at, m_memoPath);
    if (n == 0) break;
    size_t from = text.empty() ? 0 : text.size() - 1;  // a marker may straddle two reads
    text.append(chunk, n);
    size_t end = text.find("\x1A\x1A", from);
    if (end != std::string::npos) {
      text.resize(end);
      return text;
    }
    at += n;
  }
  Fail(m_memoPath, "memo text in block " + std::to_string(block) + " has no end marker");
}

void DbfTable::Assign(int field, std::string_view text) {
  CheckField(field);
  Require(true);
  const DbfField& f = m_fields[field];
  if (f.type == 'M') {
    CheckMemoText(text, m_path);
    m_memoAssigned[field] = true;
    m_memoTexts[field] = std::string(text);
  } else {
    FormatInto(f, text, m_pending.data() + m_offsets[field], m_path);
  }
  m_changed = true;
}

void DbfTable::SetDeleted(bool deleted) {
  CheckField(0);
  Require(true);
  m_pending[0] = deleted ? '*' : ' ';
  m_changed = true;
}

void DbfTable::StampHeader(uint32_t count) {
  char bytes[7];
  PutDate(bytes);
  EncodeFixed32(bytes + 3, count);
  if (int err = WriteAt(m_dbf, bytes, sizeof bytes, 1)) FailErrno(m_path, "cannot write the header", err);
}

// A record is rewritten in place, so a failure must not leave half of it, or
// a memo reference to a half-written text. The order is:
//   1. new memo texts go to fresh blocks past the end of the .dbt (existing
//      blocks, the old texts among them, are never overwritten) and are
//      flushed; the next-free pointer is advanced after them;
//   2. the header date, then the record in one write, flushed.
// A failure in 1 cuts the .dbt back to its old size: the record still names
// the old texts. A failure in 2 puts back the record image read at Go (and
// cuts the .dbt back), so the table reads as before; the change stays pending
// and WriteRecord can be called again. New texts always go past the file's
// end, so a pointer that failed to advance cannot make a later write
// overwrite a text a record names.
void DbfTable::WriteRecord() {
  Require(true);
  if (m_recno == 0 || !m_changed) return;
  std::string record = m_pending;
  std::string memo;
  uint64_t memoSize = 0;
  uint32_t oldNext = 0, firstBlock = 0;
  for (size_t i = 0; i < m_fields.size(); ++i) {
    if (m_fields[i].type != 'M' || !m_memoAssigned[i]) continue;
    if (m_dbt < 0) Fail(m_path, "the table has no memo file");
    char* reference = record.data() + m_offsets[i];
    if (m_memoTexts[i].empty()) {
      std::memset(reference, ' ', m_fields[i].length);
      continue;
    }
    if (memo.empty() && firstBlock == 0) {
      memoSize = SizeOf(m_dbt, m_memoPath);
      char next[4] = {};
      ReadAt(m_dbt, next, 4, 0, m_memoPath);
      oldNext = DecodeFixed32(next);
      // New texts start at the end of the file whatever the next-free pointer
      // says: below the end it would overwrite texts, past it (a damaged
      // pointer) it would make a huge sparse file.
      uint64_t start = std::max<uint64_t>(1, (memoSize + kBlock - 1) / kBlock);
      if (start > 0xFFFFFFFFu - 0x100000u) Fail(m_memoPath, "the memo file is full");
      firstBlock = static_cast<uint32_t>(start);
    }
    uint64_t block = firstBlock + memo.size() / kBlock;
    std::string digits = std::to_string(block);
    if (digits.size() > m_fields[i].length) Fail(m_path, "memo block number too wide for field " + m_fields[i].name);
    PutBlockNumber(reference, m_fields[i].length, static_cast<uint32_t>(block));
    AppendMemo(memo, m_memoTexts[i]);
  }

  auto undoMemo = [&] {
    if (firstBlock == 0) return;
    [[maybe_unused]] int ignored = ::ftruncate(m_dbt, static_cast<off_t>(memoSize));
    char next[4];
    EncodeFixed32(next, oldNext);
    WriteAt(m_dbt, next, 4, 0);
    Sync(m_dbt);
  };

  if (!memo.empty()) {
    uint64_t at = static_cast<uint64_t>(firstBlock) * kBlock;
    int err = WriteAt(m_dbt, memo.data(), memo.size(), at);
    if (!err) err = Sync(m_dbt);
    char next[4];
    EncodeFixed32(next, static_cast<uint32_t>(firstBlock + memo.size() / kBlock));
    if (!err) err = WriteAt(m_dbt, next, 4, 0);
    if (!err) err = Sync(m_dbt);
    if (err) {
      undoMemo();
      FailErrno(m_memoPath, "cannot write the memo text", err);
    }
  }

  const uint64_t at = m_headerLength + static_cast<uint64_t>(m_recno - 1) * m_recordLength;
  try {
    StampHeader(m_count);
  } catch (const DbfError&) {
    undoMemo();
    throw;
  }
  int err = WriteAt(m_dbf, record.data(), record.size(), at);
  if (!err) err = Sync(m_dbf);
  if (err) {
    WriteAt(m_dbf, m_record.data(), m_record.size(), at);
    Sync(m_dbf);
    undoMemo();
    FailErrno(m_path, "cannot write record " + std::to_string(m_recno), err);
  }
  m_record = record;
  m_pending = std::move(record);
  m_memoAssigned.assign(m_fields.size(), false);
  m_memoTexts.assign(m_fields.size(), std::string());
  m_changed = false;
}

// The new record and the end mark are written and flushed before the header
// counts the record, so a failure leaves the count (all a reader trusts) as
// it was; the bytes overwritten past the last record are put back.
void DbfTable::Append() {
  Require(true);
  if (m_changed) WriteRecord();
  if (m_count == 0xFFFFFFFFu) Fail(m_path, "the table is full");
  const uint64_t at = m_headerLength + static_cast<uint64_t>(m_count) * m_recordLength;
  const uint64_t size = SizeOf(m_dbf, m_path);
  std::string blank(m_recordLength, ' ');
  blank += kEndOfFile;
  std::string old(size > at ? std::min<uint64_t>(size - at, blank.size()) : 0, '\0');
  ReadAt(m_dbf, old.data(), old.size(), at, m_path);
  int err = WriteAt(m_dbf, blank.data(), blank.size(), at);
  if (!err) err = Sync(m_dbf);
  if (!err) {
    try {
      StampHeader(m_count + 1);
      err = Sync(m_dbf);
    } catch (const DbfError&) {
      err = EIO;
    }
  }
  if (err) {
    char count[4];
    EncodeFixed32(count, m_count);
    WriteAt(m_dbf, count, sizeof count, 4);
    WriteAt(m_dbf, old.data(), old.size(), at);
    [[maybe_unused]] int ignored = ::ftruncate(m_dbf, static_cast<off_t>(size));
    Sync(m_dbf);
    FailErrno(m_path, "cannot append a record", err);
  }
  ++m_count;
  Go(m_count);
}

// ---------------------------------------------------------------------------
// DbfWriter
//
// A new table is written whole to temporary files beside the old one and only
// renamed over it once both files are complete and flushed: until then the
// old table (if any) is untouched, and a failed build leaves it as it was.
// The .dbt is renamed first, so the one moment at which the two files do not
// belong together is the one between two renames.

namespace {

// A replaced table keeps its permissions.
int MakeTemp(const std::string& path, SafeFile& file) {
  std::string error;
  if (!file.Open(path, error)) Fail(path, error);
  return file.Descriptor();
}

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > 10) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return name[0] >= 'A' && name[0] <= 'Z';
}

}  // namespace

DbfWriter::DbfWriter(const std::string& path, std::vector<DbfField> fields)
    : m_path(path), m_memoPath(DbfMemoPath(path)), m_fields(std::move(fields)) {
  if (m_fields.empty() || m_fields.size() > 255) Fail(path, "a table needs 1 to 255 fields");
  uint64_t length = 1;
  for (DbfField& f : m_fields) {
    for (char& c : f.name) c = Upper(c);
    f.type = Upper(f.type);
    if (!ValidName(f.name)) Fail(path, "bad field name \"" + f.name + "\"");
    for (const DbfField& g : m_fields)
      if (&g != &f && g.name == f.name) Fail(path, "field " + f.name + " appears twice");
    switch (f.type) {
      case 'C':
        if (f.length < 1 || f.length > kMaxWideField) Fail(path, "field " + f.name + " has a bad length");
        f.decimals = 0;
        break;
      case 'M':
        f.length = 10;
        f.decimals = 0;
        m_hasMemo = true;
        break;
      case 'N':
      case 'F':
        if (f.length < 1 || f.length > 20 || f.decimals >= f.length)
          Fail(path, "field " + f.name + " has a bad length");
        break;
      case 'D':
        f.length = 8;
        f.decimals = 0;
        break;
      case 'L':
        f.length = 1;
        f.decimals = 0;
        break;
      default:
        Fail(path, "field " + f.name + " has an unknown type");
    }
    m_offsets.push_back(static_cast<uint32_t>(length));
    length += f.length;
  }
  if (length > 0xFFFF) Fail(path, "records would be longer than 65535 bytes");
  m_recordLength = static_cast<uint32_t>(length);

  try {
    m_dbf = MakeTemp(m_path, m_dbfFile);
    std::string header(kPrefix, '\0');
    header[0] = m_hasMemo ? static_cast<char>(0x83) : 0x03;
    EncodeFixed16(header.data() + 8, static_cast<uint16_t>(kPrefix + kDescriptor * m_fields.size() + 1));
    EncodeFixed16(header.data() + 10, static_cast<uint16_t>(m_recordLength));
    header[29] = 0x03;
    for (size_t i = 0; i < m_fields.size(); ++i) {
      const DbfField& f = m_fields[i];
      char d[kDescriptor] = {};
      std::memcpy(d, f.name.data(), f.name.size());
      d[11] = f.type;
      EncodeFixed32(d + 12, m_offsets[i]);
      d[16] = static_cast<char>(f.length & 0xFF);
      d[17] = static_cast<char>(f.type == 'C' ? f.length >> 8 : f.decimals);
      header.append(d, kDescriptor);
    }
    header += '\r';
    m_dbfBuffer = header;
    if (m_hasMemo) {
      m_dbt = MakeTemp(m_memoPath, m_dbtFile);
      m_dbtBuffer = MemoHeader(1);
    }
  } catch (...) {
    Discard();
    throw;
  }
}

DbfWriter::~DbfWriter() { Discard(); }

void DbfWriter::Discard() {
  m_dbfFile.Discard();
  m_dbtFile.Discard();
  m_dbf = m_dbt = -1;
}

void DbfWriter::Put(int fd, std::string& buffer, uint64_t& written, bool force) {
  if (buffer.empty() || (!force && buffer.size() < (1u << 20))) return;
  if (int err = WriteAt(fd, buffer.data(), buffer.size(), written)) {
    Discard();
    FailErrno(m_path, "cannot write the table", err);
  }
  written += buffer.size();
  buffer.clear();
}

void DbfWriter::AddRecord(const std::vector<std::string>& values, bool deleted) {
  if (m_dbf < 0) Fail(m_path, "the table is already complete");
  if (values.size() > m_fields.size())
    Fail(m_path, std::to_string(values.size()) + " values for " + std::to_string(m_fields.size()) + " fields");
  if (m_count == 0xFFFFFFFFu) Fail(m_path, "the table is full");
  std::string record(m_recordLength, ' ');
  record[0] = deleted ? '*' : ' ';
  for (size_t i = 0; i < values.size(); ++i) {
    const DbfField& f = m_fields[i];
    char* out = record.data() + m_offsets[i];
    if (f.type != 'M') {
      FormatInto(f, values[i], out, m_path);
    } else if (!values[i].empty()) {
      CheckMemoText(values[i], m_path);
      if (m_nextBlock > 999999999u) Fail(m_memoPath, "the memo file is full");
      PutBlockNumber(out, f.length, m_nextBlock);
      size_t before = m_dbtBuffer.size();
      AppendMemo(m_dbtBuffer, values[i]);
      m_nextBlock += static_cast<uint32_t>((m_dbtBuffer.size() - before) / kBlock);
    }
  }
  m_dbfBuffer += record;
  ++m_count;
  Put(m_dbf, m_dbfBuffer, m_dbfWritten, false);
  if (m_hasMemo) Put(m_dbt, m_dbtBuffer, m_dbtWritten, false);
}

void DbfWriter::Commit() {
  if (m_dbf < 0) Fail(m_path, "the table is already complete");
  m_dbfBuffer += kEndOfFile;
  Put(m_dbf, m_dbfBuffer, m_dbfWritten, true);
  char counts[7];
  PutDate(counts);
  EncodeFixed32(counts + 3, m_count);
  if (int err = WriteAt(m_dbf, counts, sizeof counts, 1)) {
    Discard();
    FailErrno(m_path, "cannot write the table", err);
  }
  if (m_hasMemo) {
    Put(m_dbt, m_dbtBuffer, m_dbtWritten, true);
    std::string header = MemoHeader(m_nextBlock);
    if (int err = WriteAt(m_dbt, header.data(), 4, 0)) {
      Discard();
      FailErrno(m_path, "cannot write the table", err);
    }
  }
  // Both files are complete on the disk before either is renamed.
  std::string error;
  bool ok = m_dbfFile.Seal(error) && (!m_hasMemo || m_dbtFile.Seal(error));
  ok = ok && (!m_hasMemo || m_dbtFile.Commit(error)) && m_dbfFile.Commit(error);
  if (!ok) {
    Discard();
    throw DbfError(error);
  }
  Discard();
}

}  // namespace platform
