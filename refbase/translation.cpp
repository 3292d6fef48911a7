// VTTRANS.DAT, little-endian:
//
//   offset  width  meaning
//   0       40     title "Vantrel Bible Translation Data File" 0x1A NUL, compared
//                  ignoring case up to the NUL
//   40      4      format version, 10
//   44      4      offset of the translation table (56 from our builder)
//   48      4      offset of the name table
//   52      2      number of translations T
//   54      2      highest book number M (256 from our builder)
//
// Translation table: T records of 513 16-bit values (TRANSLATION_TABLE_ENTRY),
// record t-1 for translation t. Name table: T records of 10 bytes.
//
// The file is untrusted: both tables must lie inside the file before anything
// is allocated for them, so a header that claims 65,535 translations costs no
// more memory than the file's own length.
#include "refbase/translation.h"
#include "refbase/vttransformat.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/coding.h"
#include "platform/file.h"
#include "refbase/datafiles.h"
#include "refbase/vtmsg.h"

TRANSLATION_TABLE_ENTRY* cTranslation::m_translation_table = nullptr;
TRANSLATION_NAME_TABLE_ENTRY* cTranslation::m_translation_name_table = nullptr;
int32_t cTranslation::m_translation_table_location = 0;
int32_t cTranslation::m_translation_name_table_location = 0;
unsigned short cTranslation::m_number_of_translations = 0;
unsigned short cTranslation::m_max_books = 0;
int32_t cTranslation::m_translation_data_in_use = 0;

namespace {

using namespace refbase::vttrans;


constexpr int kMsgOpenFailed = 150;
constexpr int kMsgLoadCaption = 152;
constexpr int kMsgInvalid = 154;
constexpr int kMsgIncompatible = 155;

// Books above 256 have no element in a record, whatever the header's M says.
unsigned MaxBook() { return std::min<unsigned>(cTranslation::m_max_books, TRANSLATION_TABLE_ENTRY::kMaxBook); }

// A position past 256 has no book element; such a record is corrupt and the
// book is treated as absent rather than followed out of the record.
unsigned short PositionOf(const TRANSLATION_TABLE_ENTRY* record, unsigned short book) {
  if (!record || book == 0 || book > MaxBook()) return 0;
  unsigned short position = record->element[book];
  return position <= TRANSLATION_TABLE_ENTRY::kMaxBook ? position : 0;
}

void FreeTables() {
  delete[] cTranslation::m_translation_table;
  delete[] cTranslation::m_translation_name_table;
  cTranslation::m_translation_table = nullptr;
  cTranslation::m_translation_name_table = nullptr;
  cTranslation::m_number_of_translations = 0;
}

// Whether `count` records of `size` bytes at `offset` lie inside the file.
bool TableFits(const platform::File& file, int32_t offset, unsigned count, unsigned size) {
  return offset >= 0 && static_cast<int64_t>(offset) + int64_t{count} * size <= file.GetLength();
}

}  // namespace

cTranslation::cTranslation() = default;

cTranslation::cTranslation(unsigned short id) { SetTranslation(id); }

cTranslation::cTranslation(const char* name) { SetTranslation(name); }

int cTranslation::SetTranslation(unsigned short id) {
  m_range_first = m_range_last = m_range_current = 0;
  // A failed choice leaves no translation rather than the previous one, so a
  // caller that ignores the result is not answered about another Bible.
  m_translation_id = 0;
  if (m_translation_data_in_use <= 0 || id == 0 || id > m_number_of_translations) return 1;
  m_translation_id = id;
  return 0;
}

int cTranslation::SetTranslation(const char* name) { return SetTranslation(GetTranslationIDFromName(name)); }

const TRANSLATION_TABLE_ENTRY* cTranslation::Record() const {
  if (m_translation_data_in_use <= 0 || !m_translation_table || m_translation_id == 0 ||
      m_translation_id > m_number_of_translations)
    return nullptr;
  return &m_translation_table[m_translation_id - 1];
}

const char* cTranslation::GetTranslationName() const {
  return Record() ? m_translation_name_table[m_translation_id - 1].name : nullptr;
}

unsigned short cTranslation::IsBookValid(unsigned short book) const { return PositionOf(Record(), book); }

int cTranslation::BookCompare(unsigned short a, unsigned short b) const {
  unsigned short pa = IsBookValid(a), pb = IsBookValid(b);
  if (pa == 0 || pb == 0 || pa == pb) return 0;
  return pa < pb ? 1 : -1;
}

int cTranslation::SetBookRange(unsigned short first, unsigned short last) {
  if (BookCompare(first, last) != 1) return 1;
  m_range_first = static_cast<unsigned short>(IsBookValid(first) - 1);
  m_range_last = static_cast<unsigned short>(IsBookValid(last) - 1);
  m_range_current = m_range_first;
  return 0;
}

unsigned short cTranslation::GetNextBookInRange() {
  const TRANSLATION_TABLE_ENTRY* record = Record();
  if (!record || m_range_first >= m_range_last) return 0;
  if (m_range_current < m_range_first || m_range_current >= m_range_last) return 0;
  // The range was set from positions of at most 256, so the element stays
  // inside the record.
  ++m_range_current;
  return record->element[TRANSLATION_TABLE_ENTRY::kMaxBook + 1 + m_range_current];
}

unsigned short cTranslation::GetBookPosition(unsigned short book) const {
  const TRANSLATION_TABLE_ENTRY* record = Record();
  if (!record || book == 0 || book > MaxBook()) return 0;
  return record->element[book];
}

const char* cTranslation::GetFirstTranslationName(unsigned short* id) {
  // The first call hands out name 1 and moves past it, so that the calls
  // that follow go on with name 2.
  m_name_cursor = 0;
  return GetNextTranslationName(id);
}

const char* cTranslation::GetNextTranslationName(unsigned short* id) {
  if (m_translation_data_in_use <= 0 || !m_translation_name_table || m_name_cursor >= m_number_of_translations)
    return nullptr;
  const char* name = m_translation_name_table[m_name_cursor].name;
  ++m_name_cursor;
  if (id) *id = m_name_cursor;
  return name;
}

unsigned short cTranslation::GetTranslationIDFromName(const char* name) {
  if (!name || m_translation_data_in_use <= 0 || !m_translation_name_table) return 0;
  for (unsigned t = 0; t < m_number_of_translations; ++t)
    if (::strcasecmp(m_translation_name_table[t].name, name) == 0) return static_cast<unsigned short>(t + 1);
  return 0;
}

unsigned short cTranslation::GetBookPositionForTranslation(unsigned short translation, unsigned short book) {
  if (m_translation_data_in_use <= 0 || !m_translation_table || translation == 0 ||
      translation > m_number_of_translations || book == 0 || book > MaxBook())
    return 0;
  return m_translation_table[translation - 1].element[book];
}

int cTranslation::InitializeTranslationData() {
  if (m_translation_data_in_use > 0) {
    ++m_translation_data_in_use;
    return 0;
  }
  platform::File file;
  if (!file.Open(refbase::VttransDatPath(), platform::File::modeRead)) {
    refbase::LoadWarning(kMsgOpenFailed, kMsgLoadCaption);
    return 1;
  }
  int message = 0;
  try {
    message = ValidateTranslationFile(&file);
    if (message == 0) message = LoadTranslationData(&file);
  } catch (const platform::FileException&) {
    message = kMsgAccessFailed;
  } catch (const std::bad_alloc&) {
    message = kMsgNoMemory;
  }
  if (message != 0) {
    FreeTables();
    m_translation_data_in_use = 0;
    refbase::LoadWarning(message, kMsgLoadCaption);
    return 1;
  }
  m_translation_data_in_use = 1;
  return 0;
}

void cTranslation::ReleaseTranslationData() {
  if (m_translation_data_in_use <= 0) return;
  if (--m_translation_data_in_use == 0) FreeTables();
}

// Returns the message that refuses the file, or 0.
int cTranslation::ValidateTranslationFile(platform::File* file) {
  unsigned char header[kHeaderSize];
  if (file->Read(header, kHeaderSize) != kHeaderSize) return kMsgAccessFailed;
  // Up to and including the title's NUL; the bytes after it are not examined.
  if (::strncasecmp(reinterpret_cast<const char*>(header), kTitle, sizeof kTitle) != 0) return kMsgInvalid;
  if (platform::DecodeSigned32(header + 40) != kVersion) return kMsgIncompatible;
  m_translation_table_location = platform::DecodeSigned32(header + 44);
  m_translation_name_table_location = platform::DecodeSigned32(header + 48);
  m_number_of_translations = platform::DecodeFixed16(header + 52);
  m_max_books = platform::DecodeFixed16(header + 54);
  return 0;
}

// Returns the message that refuses the file, or 0.
int cTranslation::LoadTranslationData(platform::File* file) {
  const unsigned count = m_number_of_translations;
  if (!TableFits(*file, m_translation_table_location, count, TRANSLATION_TABLE_ENTRY::kFileSize) ||
      !TableFits(*file, m_translation_name_table_location, count, TRANSLATION_NAME_TABLE_ENTRY::kFileSize))
    return kMsgAccessFailed;

  m_translation_table = new (std::nothrow) TRANSLATION_TABLE_ENTRY[count]();
  m_translation_name_table = new (std::nothrow) TRANSLATION_NAME_TABLE_ENTRY[count]();
  if (!m_translation_table || !m_translation_name_table) return kMsgNoMemory;

  std::vector<unsigned char> bytes(TRANSLATION_TABLE_ENTRY::kFileSize);
  file->Seek(m_translation_table_location, platform::File::begin);
  for (unsigned t = 0; t < count; ++t) {
    file->ReadExact(bytes.data(), TRANSLATION_TABLE_ENTRY::kFileSize);
    for (unsigned e = 0; e < TRANSLATION_TABLE_ENTRY::kElements; ++e)
      m_translation_table[t].element[e] = platform::DecodeFixed16(bytes.data() + 2 * e);
  }

  file->Seek(m_translation_name_table_location, platform::File::begin);
  for (unsigned t = 0; t < count; ++t) {
    TRANSLATION_NAME_TABLE_ENTRY& entry = m_translation_name_table[t];
    file->ReadExact(entry.name, TRANSLATION_NAME_TABLE_ENTRY::kFileSize);
    // A name without its NUL must not run into the next one.
    entry.name[TRANSLATION_NAME_TABLE_ENTRY::kFileSize - 1] = '\0';
  }
  return 0;
}
