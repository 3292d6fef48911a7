// REFBASE.DAT, the conversion data (all integers little-endian, offsets from
// the start of the file):
//
// Header, 68 bytes at 0:
//   0  50  title "Vantrel Bible Reference Conversion File" 0x1A NUL (bytes after the NUL unread)
//  50   2  format version, exactly 10
//  52   2  number of books
//  54   2  number of chapter records in the file
//  56   4  reserved
//  60   4  offset of the book table (signed)
//  64   4  reserved
// Book record, 8 bytes, one per book from the book table on:
//   0 2 chapter count   2 2 numeric label limit   4 4 offset of its chapter records (0 = none)
// Chapter record, 16 bytes, one per chapter ID of a book, contiguous:
//   0 2 verse count   2 2 numeric label limit   4 8 label (NUL-terminated)
//  12 4 offset of its verse records (0 = none)
// Verse record, 24 bytes, one per verse ID of a chapter, contiguous:
//   0 2 alias count   4 4 alias list offset   8 2 near-alias count
//  12 4 near-alias list offset   16 8 label (NUL-terminated)
// Alias, 6 bytes: book, chapter ID, verse ID.
//
// A label limit equal to the count means the labels are plain decimal
// numbers; otherwise they are looked up as text. Only the book and chapter
// records are kept in memory; verse records and alias lists are read each
// time, and every one of them is checked against the file's length first.
#include "refbase/biblereference.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/coding.h"
#include "platform/file.h"
#include "refbase/datafiles.h"
#include "refbase/vtmsg.h"

uint16_t cBibleReference::m_total_books = 0;
int32_t cBibleReference::m_book_table_location = 0;
uint16_t cBibleReference::m_total_chapters = 0;
std::unique_ptr<BOOK_TABLE_ENTRY[]> cBibleReference::m_book_table;
std::unique_ptr<CHAPTER_TABLE_ENTRY[]> cBibleReference::m_chapter_table;
uint16_t cBibleReference::m_conversion_data_in_use = 0;

namespace {

constexpr char kTitle[] = "Vantrel Bible Reference Conversion File\x1A";
constexpr unsigned kHeaderSize = 68, kBookSize = 8, kChapterSize = 16, kVerseSize = 24, kAliasSize = 6;
constexpr unsigned kVersion = 10;
constexpr unsigned kLoadCaption = 110;
// The similar-book walk starts with buffers of at least this many records.
constexpr size_t kInitialVerses = 250, kInitialAliases = 10;

using platform::FileException;

struct VerseRecord {
  uint16_t aliases;
  int32_t aliasOffset;
  uint16_t nearAliases;
  int32_t nearOffset;
  char label[8];
};

VerseRecord DecodeVerse(const unsigned char* p) {
  VerseRecord r;
  r.aliases = platform::DecodeFixed16(p);
  r.aliasOffset = platform::DecodeSigned32(p + 4);
  r.nearAliases = platform::DecodeFixed16(p + 8);
  r.nearOffset = platform::DecodeSigned32(p + 12);
  std::memcpy(r.label, p + 16, 8);
  return r;
}

struct Alias {
  uint16_t book, chapter, verse;
};

Alias DecodeAlias(const unsigned char* p) {
  return {platform::DecodeFixed16(p), platform::DecodeFixed16(p + 2), platform::DecodeFixed16(p + 4)};
}

void Show(int id) { cVTMsg(nullptr).DisplayMessage(id); }

// Opens REFBASE.DAT for one lookup; a failure is shown (104) and gives false.
bool OpenForLookup(platform::File& file) {
  FileException error;
  const std::string& path = refbase::RefbaseDatPath();
  if (file.Open(path, platform::File::modeRead, &error)) return true;
  cVTMsg(nullptr).DisplayMessage(104, path.c_str(), error.m_cause);
  return false;
}

// Runs a lookup that reads the file, showing what goes wrong: 105 with the
// cause for a file error, 103 for anything else. Returns false on failure.
template <typename Body>
bool Guarded(Body body) {
  try {
    body();
    return true;
  } catch (const FileException& e) {
    cVTMsg(nullptr).DisplayMessage(105, e.m_cause);
  } catch (...) {
    Show(103);
  }
  return false;
}

// A decimal label of digits only; 0 unless 1 <= value <= limit.
unsigned short NumericLabel(const char* label, unsigned limit) {
  if (!label || !*label) return 0;
  unsigned long n = 0;
  for (const char* p = label; *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
    n = n * 10 + static_cast<unsigned long>(*p - '0');
    if (n > 65535) n = 65536;
  }
  return n >= 1 && n <= limit ? static_cast<unsigned short>(n) : 0;
}

// A label field of 8 bytes, NUL-terminated or not, against a typed label.
bool SameLabel(const char* field, const char* label) {
  const size_t n = ::strnlen(field, 8);
  return std::strlen(label) == n && ::strncasecmp(field, label, n) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and setting.

cBibleReference::cBibleReference(unsigned short book, const char* chapterLabel, const char* verseLabel) {
  SetReference(book, chapterLabel, verseLabel);
}

cBibleReference::cBibleReference(unsigned short book, unsigned short chapterID, unsigned short verseID) {
  SetReferenceID(book, chapterID, verseID);
}

cBibleReference::~cBibleReference() { m_book = m_chapter = m_verse = 0; }

void cBibleReference::GetReferenceID(unsigned short* book, unsigned short* chapter, unsigned short* verse) const {
  if (book) *book = m_book;
  if (chapter) *chapter = m_chapter;
  if (verse) *verse = m_verse;
}

const CHAPTER_TABLE_ENTRY* cBibleReference::Chapter(unsigned short book, unsigned short chapter) {
  if (!m_conversion_data_in_use || book < 1 || book > m_total_books) return nullptr;
  const BOOK_TABLE_ENTRY& b = m_book_table[book - 1];
  if (!b.chapter_table || chapter < 1 || chapter > b.chapters) return nullptr;
  return &b.chapter_table[chapter - 1];
}

int cBibleReference::SetBook(unsigned short book) {
  m_book = 0;
  if (!m_conversion_data_in_use || book < 1 || book > m_total_books) return 1;
  m_book = book;
  return 0;
}

int cBibleReference::SetChapterID(unsigned short id) {
  if (!m_conversion_data_in_use || m_book == 0 || id == 0 || id > ChaptersInBook(m_book)) return 1;
  m_chapter = id;
  return 0;
}

int cBibleReference::SetVerseID(unsigned short id) {
  if (!m_conversion_data_in_use || m_book == 0 || m_chapter == 0) return 1;
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || id > c->verses) return 1;
  m_verse = id;
  return 0;
}

int cBibleReference::SetReferenceID(unsigned short book, unsigned short chapterID, unsigned short verseID) {
  m_book = m_chapter = m_verse = 0;
  if (SetBook(book) || SetChapterID(chapterID) || SetVerseID(verseID)) return 1;
  return 0;
}

int cBibleReference::SetChapter(const char* label) {
  if (!m_conversion_data_in_use) return 1;
  m_chapter = GetChapterIDForLabel(m_book, label);
  return m_chapter == 0 ? 1 : 0;
}

int cBibleReference::SetVerse(const char* label) {
  if (!m_conversion_data_in_use) return 1;
  m_verse = GetVerseIDForLabel(m_book, m_chapter, label);
  return m_verse == 0 ? 1 : 0;
}

int cBibleReference::SetReference(unsigned short book, const char* chapterLabel, const char* verseLabel) {
  m_book = m_chapter = m_verse = 0;
  if (SetBook(book) || SetChapter(chapterLabel) || SetVerse(verseLabel)) return 1;
  return 0;
}

// ---------------------------------------------------------------------------
// Labels.

unsigned short cBibleReference::GetChapterIDForLabel(unsigned short book, const char* label) const {
  if (!m_conversion_data_in_use || book < 1 || book > m_total_books || !label) return 0;
  const BOOK_TABLE_ENTRY& b = m_book_table[book - 1];
  if (!b.chapter_table) return 0;
  if (b.chapters == b.numeric_limit) return NumericLabel(label, b.numeric_limit);
  for (unsigned i = 0; i < b.chapters; ++i)
    if (SameLabel(b.chapter_table[i].label, label)) return static_cast<unsigned short>(i + 1);
  return 0;
}

unsigned short cBibleReference::GetVerseIDForLabel(unsigned short book, unsigned short chapter,
                                                   const char* label) const {
  const CHAPTER_TABLE_ENTRY* c = Chapter(book, chapter);
  if (!c || !label) return 0;
  if (c->verses == c->numeric_limit) return NumericLabel(label, c->numeric_limit);
  // Without verse records the labels handed out are the IDs in decimal (see
  // GetLabelForVerse); reading "records" at offset 0 would read the header.
  if (c->verse_offset == 0) return NumericLabel(label, c->verses);
  platform::File file;
  if (!OpenForLookup(file)) return 0;
  unsigned short id = 0;
  Guarded([&] {
    std::vector<unsigned char> records;
    const unsigned long length = static_cast<unsigned long>(c->verses) * kVerseSize;
    ReadConversionFileItem(&file, c->verse_offset, length, nullptr);  // checked before the buffer is made
    records.resize(length);
    ReadConversionFileItem(&file, c->verse_offset, length, records.data());
    for (unsigned v = 0; v < c->verses && id == 0; ++v)
      if (SameLabel(reinterpret_cast<const char*>(&records[v * kVerseSize + 16]), label))
        id = static_cast<unsigned short>(v + 1);
  });
  return id;
}

int cBibleReference::GetLabelForChapter(char* out) const {
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || !out) return 1;
  std::memcpy(out, c->label, 8);
  return 0;
}

int cBibleReference::GetLabelForVerse(char* out) const {
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || !out || m_verse == 0 || m_verse > c->verses) return 1;
  if (c->verse_offset == 0 || c->verses == c->numeric_limit) {
    std::snprintf(out, 8, "%u", static_cast<unsigned>(m_verse));
    return 0;
  }
  platform::File file;
  if (!OpenForLookup(file)) return 1;
  const bool ok = Guarded([&] {
    unsigned char record[kVerseSize];
    ReadConversionFileItem(&file, c->verse_offset + static_cast<long>(m_verse - 1) * kVerseSize, kVerseSize, record);
    // A label that fills its field without a NUL would overrun the caller's buffer.
    if (::strnlen(reinterpret_cast<const char*>(record + 16), 8) == 8)
      throw FileException(FileException::invalidFile, file.GetFilePath());
    std::memcpy(out, record + 16, 8);
  });
  return ok ? 0 : 1;
}

int cBibleReference::GetLabelsForReference(char* chapterOut, char* verseOut) const {
  if (GetLabelForChapter(chapterOut)) return 1;
  return GetLabelForVerse(verseOut) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Counts and navigation.

unsigned short cBibleReference::ChaptersInBook(unsigned short book) {
  if (!m_conversion_data_in_use || book < 1 || book > m_total_books) return 0;
  const BOOK_TABLE_ENTRY& b = m_book_table[book - 1];
  // A book whose record has no chapter offset has no chapters, whatever its count says.
  return b.chapter_table ? b.chapters : 0;
}

unsigned short cBibleReference::VersesInChapter(unsigned short book, unsigned short chapter) {
  const CHAPTER_TABLE_ENTRY* c = Chapter(book, chapter);
  return c ? c->verses : 0;
}

int cBibleReference::GetNextVerse() {
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c) return 0;
  if (m_verse < c->verses) {
    ++m_verse;
    return 1;
  }
  if (m_chapter < ChaptersInBook(m_book)) {
    ++m_chapter;
    m_verse = 1;
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Aliases.

unsigned short cBibleReference::GetNumberOfAliases() const {
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || m_verse == 0 || m_verse > c->verses || c->verse_offset == 0) return 0;
  platform::File file;
  if (!OpenForLookup(file)) return 0;
  unsigned short count = 0;
  Guarded([&] {
    unsigned char record[kVerseSize];
    ReadConversionFileItem(&file, c->verse_offset + static_cast<long>(m_verse - 1) * kVerseSize, kVerseSize, record);
    count = DecodeVerse(record).aliases;
  });
  return count;
}

int cBibleReference::GetListOfAliases(int max, cBibleReference* out) const {
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || !out || max <= 0 || m_verse == 0 || m_verse > c->verses || c->verse_offset == 0) return 0;
  platform::File file;
  if (!OpenForLookup(file)) return 0;
  int written = 0;
  Guarded([&] {
    unsigned char record[kVerseSize];
    ReadConversionFileItem(&file, c->verse_offset + static_cast<long>(m_verse - 1) * kVerseSize, kVerseSize, record);
    const VerseRecord verse = DecodeVerse(record);
    const unsigned count = verse.aliases < static_cast<unsigned>(max) ? verse.aliases : static_cast<unsigned>(max);
    if (count == 0) return;
    std::vector<unsigned char> list(static_cast<size_t>(count) * kAliasSize);
    ReadConversionFileItem(&file, verse.aliasOffset, list.size(), list.data());
    for (unsigned i = 0; i < count; ++i) {
      const Alias a = DecodeAlias(&list[i * kAliasSize]);
      out[i].SetReferenceID(a.book, a.chapter, a.verse);
      ++written;
    }
  });
  return written;
}

int cBibleReference::GetReferenceAlias(cBibleReference* out, int (*accept)(unsigned short book),
                                       int includeNear) const {
  if (!m_conversion_data_in_use || !out || !accept || m_book == 0 || m_chapter == 0 || m_verse == 0) return 1;
  if (accept(m_book)) {
    *out = *this;
    return 0;
  }
  const CHAPTER_TABLE_ENTRY* c = Chapter(m_book, m_chapter);
  if (!c || c->verse_offset == 0 || m_verse > c->verses) return 1;
  platform::File file;
  if (!OpenForLookup(file)) return 1;
  bool found = false;
  Guarded([&] {
    unsigned char record[kVerseSize];
    ReadConversionFileItem(&file, c->verse_offset + static_cast<long>(m_verse - 1) * kVerseSize, kVerseSize, record);
    const VerseRecord verse = DecodeVerse(record);
    const struct {
      unsigned count;
      int32_t offset;
    } lists[2] = {{verse.aliases, verse.aliasOffset}, {verse.nearAliases, verse.nearOffset}};
    for (int k = 0; k < (includeNear ? 2 : 1) && !found; ++k) {
      for (unsigned i = 0; i < lists[k].count; ++i) {
        unsigned char entry[kAliasSize];
        ReadConversionFileItem(&file, lists[k].offset + static_cast<long>(i) * kAliasSize, kAliasSize, entry);
        const Alias a = DecodeAlias(entry);
        if (accept(a.book)) {
          out->m_book = a.book;
          out->m_chapter = a.chapter;
          out->m_verse = a.verse;
          found = true;
          break;
        }
      }
    }
  });
  return found ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Related books and chapters.

namespace {

// Walks the alias lists of a chapter's verses, reusing the caller's buffers.
// Returns false when `add` refused an alias or a buffer could not grow.
template <typename Add>
bool WalkChapterAliases(platform::File& file, const CHAPTER_TABLE_ENTRY& chapter, std::vector<unsigned char>& verses,
                        std::vector<unsigned char>& aliases, Add add,
                        void (*read)(platform::File*, long, unsigned long, void*)) {
  const size_t versesLength = static_cast<size_t>(chapter.verses) * kVerseSize;
  // The offset and length are checked before the buffer grows to them.
  read(&file, chapter.verse_offset, versesLength, nullptr);
  try {
    if (verses.size() < versesLength) verses.resize(versesLength);
  } catch (const std::bad_alloc&) {
    Show(112);
    return false;
  }
  read(&file, chapter.verse_offset, versesLength, verses.data());
  for (unsigned v = 0; v < chapter.verses; ++v) {
    const VerseRecord verse = DecodeVerse(&verses[v * kVerseSize]);
    if (verse.aliases == 0) continue;
    const size_t listLength = static_cast<size_t>(verse.aliases) * kAliasSize;
    read(&file, verse.aliasOffset, listLength, nullptr);
    try {
      if (aliases.size() < listLength) aliases.resize(listLength);
    } catch (const std::bad_alloc&) {
      Show(112);
      return false;
    }
    read(&file, verse.aliasOffset, listLength, aliases.data());
    for (unsigned i = 0; i < verse.aliases; ++i)
      if (!add(DecodeAlias(&aliases[i * kAliasSize]))) return false;
  }
  return true;
}

}  // namespace

int cBibleReference::GetSimilarBooks(unsigned short book, cBibleReferenceList* list) {
  if (!m_conversion_data_in_use || !list || book < 1 || book > m_total_books) return 1;
  platform::File file;
  std::vector<unsigned char> verses(kInitialVerses * kVerseSize), aliases(kInitialAliases * kAliasSize);
  // The counter is wider than a chapter ID so that a book of 65,535 chapters ends.
  for (unsigned ch = 1; ch <= ChaptersInBook(book); ++ch) {
    const CHAPTER_TABLE_ENTRY& c = *Chapter(book, static_cast<unsigned short>(ch));
    if (c.verse_offset == 0) continue;
    if (!file.IsOpen()) {
      FileException error;
      if (!file.Open(refbase::RefbaseDatPath(), platform::File::modeRead, &error)) throw error;
    }
    if (!WalkChapterAliases(
            file, c, verses, aliases, [&](const Alias& a) { return AddBookToList(a.book, list) == 0; },
            &ReadConversionFileItem))
      return 1;
  }
  return 0;
}

int cBibleReference::GetSimilarChapters(unsigned short book, unsigned short chapter, cBibleReferenceList* list) {
  const CHAPTER_TABLE_ENTRY* c = Chapter(book, chapter);
  if (!c || !list) return 1;
  if (c->verse_offset == 0) return 0;
  platform::File file;
  FileException error;
  if (!file.Open(refbase::RefbaseDatPath(), platform::File::modeRead, &error)) throw error;
  std::vector<unsigned char> verses(kInitialVerses * kVerseSize), aliases(kInitialAliases * kAliasSize);
  const bool ok = WalkChapterAliases(
      file, *c, verses, aliases, [&](const Alias& a) { return AddChapterToList(a.book, a.chapter, list) == 0; },
      &ReadConversionFileItem);
  return ok ? 0 : 1;
}

int cBibleReference::AddBookToList(unsigned short book, cBibleReferenceList* list) {
  if (!list) return 1;
  for (const auto& r : *list)
    if (r && r->GetBook() == book) return 0;
  auto r = std::make_unique<cBibleReference>();
  if (r->SetBook(book)) {
    Show(113);
    return 1;
  }
  list->push_back(std::move(r));
  return 0;
}

int cBibleReference::AddChapterToList(unsigned short book, unsigned short chapter, cBibleReferenceList* list) {
  if (!list) return 1;
  for (const auto& r : *list)
    if (r && r->GetBook() == book && r->GetChapterID() == chapter) return 0;
  auto r = std::make_unique<cBibleReference>();
  if (r->SetBook(book) || r->SetChapterID(chapter)) {
    Show(113);
    return 1;
  }
  list->push_back(std::move(r));
  return 0;
}

// ---------------------------------------------------------------------------
// Loading.

// Reads exactly `length` bytes at `offset`. The range is checked against the
// file's length first, so a corrupt offset or count is a generic file error
// rather than a wild seek or a huge buffer. With `into` null only the check
// is made.
void cBibleReference::ReadConversionFileItem(platform::File* file, long offset, unsigned long length, void* into) {
  const int64_t size = file->GetLength();
  if (offset < 0 || static_cast<uint64_t>(offset) + length > static_cast<uint64_t>(size))
    throw FileException(FileException::genericException, file->GetFilePath());
  if (!into || length == 0) return;
  file->Seek(offset, platform::File::begin);
  if (file->Read(into, static_cast<unsigned>(length)) != length)
    throw FileException(FileException::genericException, file->GetFilePath());
}

void cBibleReference::ValidateConversionFile(platform::File* file) {
  unsigned char header[kHeaderSize];
  try {
    file->Seek(0, platform::File::begin);
    if (file->Read(header, kHeaderSize) != kHeaderSize)
      throw FileException(FileException::genericException, file->GetFilePath());
  } catch (const FileException&) {
    refbase::LoadWarning(108, kLoadCaption);
    throw;
  }
  // The whole title up to its NUL, 0x1A included, case and all.
  if (std::memcmp(header, kTitle, sizeof kTitle) != 0) {
    refbase::LoadWarning(107, kLoadCaption);
    throw FileException(FileException::invalidFile, file->GetFilePath());
  }
  if (platform::DecodeFixed16(header + 50) != kVersion) {
    refbase::LoadWarning(109, kLoadCaption);
    throw FileException(FileException::invalidFile, file->GetFilePath());
  }
  m_total_books = platform::DecodeFixed16(header + 52);
  m_total_chapters = platform::DecodeFixed16(header + 54);
  m_book_table_location = platform::DecodeSigned32(header + 60);
}

void cBibleReference::ReadBookTable(platform::File* file) {
  std::vector<unsigned char> bytes;
  try {
    const unsigned long length = static_cast<unsigned long>(m_total_books) * kBookSize;
    ReadConversionFileItem(file, m_book_table_location, length, nullptr);
    bytes.resize(length);
    ReadConversionFileItem(file, m_book_table_location, length, bytes.data());
  } catch (const FileException&) {
    refbase::LoadWarning(108, kLoadCaption);
    throw;
  }
  m_book_table = std::make_unique<BOOK_TABLE_ENTRY[]>(m_total_books);
  for (unsigned b = 0; b < m_total_books; ++b) {
    const unsigned char* p = &bytes[b * kBookSize];
    m_book_table[b] = {platform::DecodeFixed16(p), platform::DecodeFixed16(p + 2), platform::DecodeSigned32(p + 4),
                       nullptr};
  }
}

void cBibleReference::ReadChapterTable(platform::File* file, long offset, unsigned long count,
                                       CHAPTER_TABLE_ENTRY* into) {
  std::vector<unsigned char> bytes;
  try {
    ReadConversionFileItem(file, offset, count * kChapterSize, nullptr);
    bytes.resize(count * kChapterSize);
    ReadConversionFileItem(file, offset, count * kChapterSize, bytes.data());
  } catch (const FileException&) {
    refbase::LoadWarning(108, kLoadCaption);
    throw;
  }
  for (unsigned long i = 0; i < count; ++i) {
    const unsigned char* p = &bytes[i * kChapterSize];
    CHAPTER_TABLE_ENTRY& c = into[i];
    c.verses = platform::DecodeFixed16(p);
    c.numeric_limit = platform::DecodeFixed16(p + 2);
    std::memcpy(c.label, p + 4, 8);
    c.verse_offset = platform::DecodeSigned32(p + 12);
    // Every chapter label is handed out as a C string; one that fills its
    // field marks a corrupt file.
    if (::strnlen(c.label, 8) == 8) {
      refbase::LoadWarning(107, kLoadCaption);
      throw FileException(FileException::invalidFile, file->GetFilePath());
    }
  }
}

void cBibleReference::InitializeConversionData() {
  if (m_conversion_data_in_use) {
    ++m_conversion_data_in_use;
    return;
  }
  platform::File file;
  FileException openError;
  if (!file.Open(refbase::RefbaseDatPath(), platform::File::modeRead, &openError)) {
    refbase::LoadWarning(106, kLoadCaption);
    throw FileException(openError.m_cause, refbase::RefbaseDatPath(), openError.m_lOsError);
  }
  auto forget = [] {
    m_book_table.reset();
    m_chapter_table.reset();
    m_total_books = m_total_chapters = 0;
    m_book_table_location = 0;
    m_conversion_data_in_use = 0;
  };
  try {
    ValidateConversionFile(&file);
    ReadBookTable(&file);
    // Every chapter record lies in the file, so a total the file cannot hold
    // is corrupt; checked before the table is allocated.
    if (uint64_t{m_total_chapters} * kChapterSize > static_cast<uint64_t>(file.GetLength())) {
      refbase::LoadWarning(107, kLoadCaption);
      throw FileException(FileException::invalidFile, file.GetFilePath());
    }
    m_chapter_table = std::make_unique<CHAPTER_TABLE_ENTRY[]>(m_total_chapters);
    CHAPTER_TABLE_ENTRY* cursor = m_chapter_table.get();
    unsigned long remaining = m_total_chapters;
    for (unsigned b = 0; b < m_total_books; ++b) {
      BOOK_TABLE_ENTRY& book = m_book_table[b];
      if (book.offset == 0) continue;
      if (book.chapters > remaining) {
        refbase::LoadWarning(107, kLoadCaption);
        throw FileException(FileException::invalidFile, file.GetFilePath());
      }
      ReadChapterTable(&file, book.offset, book.chapters, cursor);
      book.chapter_table = cursor;
      cursor += book.chapters;
      remaining -= book.chapters;
    }
    if (remaining != 0) {
      refbase::LoadWarning(107, kLoadCaption);
      throw FileException(FileException::invalidFile, file.GetFilePath());
    }
  } catch (const std::bad_alloc&) {
    refbase::LoadWarning(100, kLoadCaption);
    forget();
    throw FileException(FileException::genericException, refbase::RefbaseDatPath());
  } catch (...) {
    forget();
    throw;
  }
  m_conversion_data_in_use = 1;
}

void cBibleReference::ReleaseConversionData() {
  if (m_conversion_data_in_use == 0) return;
  if (--m_conversion_data_in_use > 0) return;
  m_book_table.reset();
  m_chapter_table.reset();
  m_total_books = m_total_chapters = 0;
  m_book_table_location = 0;
}
