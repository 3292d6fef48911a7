// Lays verses.idx out as: header, book records, each book's chapter records,
// each chapter's verse records, then every key list. versesindex.cpp
// describes the format.
#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/coding.h"
#include "soltread/indexwriters.h"

namespace solt {

namespace {

constexpr uint16_t kHeaderLength = 16;

void Patch32(std::string& out, size_t at, size_t value) {
  if (value > INT32_MAX) throw std::length_error("verses.idx would outgrow its 32-bit offsets");
  platform::EncodeFixed32(out.data() + at, static_cast<uint32_t>(value));
}

// Appends a key list and points the record field at `field` to it.
void PutList(std::string& out, size_t field, const std::vector<uint32_t>& keys) {
  if (keys.size() > INT32_MAX) throw std::length_error("a key list is too long for verses.idx");
  Patch32(out, field, out.size());
  platform::PutFixed32(out, static_cast<uint32_t>(keys.size()));
  for (uint32_t key : keys) platform::PutFixed32(out, key);
}

// The element numbered `number` of a list kept sorted by number, added if new.
template <typename T, typename Field>
T& Ensure(std::vector<T>& list, uint16_t number, Field field) {
  auto at = std::lower_bound(list.begin(), list.end(), number,
                             [&](const T& item, uint16_t n) { return item.*field < n; });
  if (at == list.end() || (*at).*field != number) {
    T item{};
    item.*field = number;
    at = list.insert(at, std::move(item));
  }
  return *at;
}

}  // namespace

cVersesWriter::sBook& cVersesWriter::Book(uint16_t book) { return Ensure(m_books, book, &sBook::book); }

cVersesWriter::sChapter& cVersesWriter::Chapter(uint16_t book, uint16_t chapter) {
  return Ensure(Book(book).chapters, chapter, &sChapter::chapter);
}

void cVersesWriter::SetBookKeys(uint16_t book, std::vector<uint32_t> keys) {
  sBook& b = Book(book);
  b.hasKeys = true;
  b.keys = std::move(keys);
}

void cVersesWriter::SetBookAllChapters(uint16_t book, std::vector<uint32_t> keys) {
  sBook& b = Book(book);
  b.hasAllChapters = true;
  b.allChapters = std::move(keys);
}

void cVersesWriter::SetBookAllVerses(uint16_t book, std::vector<uint32_t> keys) {
  sBook& b = Book(book);
  b.hasAllVerses = true;
  b.allVerses = std::move(keys);
}

void cVersesWriter::SetChapterKeys(uint16_t book, uint16_t chapter, std::vector<uint32_t> keys) {
  sChapter& c = Chapter(book, chapter);
  c.hasKeys = true;
  c.keys = std::move(keys);
}

void cVersesWriter::SetChapterAllVerses(uint16_t book, uint16_t chapter, std::vector<uint32_t> keys) {
  sChapter& c = Chapter(book, chapter);
  c.hasAllVerses = true;
  c.allVerses = std::move(keys);
}

void cVersesWriter::SetVerseKeys(uint16_t book, uint16_t chapter, uint16_t verse, std::vector<uint32_t> keys) {
  Ensure(Chapter(book, chapter).verses, verse, &sVerse::verse).keys = std::move(keys);
}

std::string cVersesWriter::Build() const {
  const uint16_t bookSize = std::max<uint16_t>(m_bookRecordSize, 20);
  const uint16_t chapterSize = std::max<uint16_t>(m_chapterRecordSize, 16);
  const uint16_t verseSize = std::max<uint16_t>(m_verseRecordSize, 6);
  // Numbers are u16 and distinct, so only a full 65536 can overflow a count.
  if (m_books.size() > 0xFFFF) throw std::length_error("too many books for verses.idx");

  std::string out = MakeVersionRecord(m_version);
  std::string header(kHeaderLength, '\0');
  platform::EncodeFixed16(header.data(), kHeaderLength);
  platform::EncodeFixed16(header.data() + 2, static_cast<uint16_t>(m_books.size()));
  platform::EncodeFixed16(header.data() + 4, bookSize);
  platform::EncodeFixed16(header.data() + 6, chapterSize);
  platform::EncodeFixed16(header.data() + 8, verseSize);
  out += header;

  const size_t bookTable = out.size();
  out.append(m_books.size() * bookSize, '\0');
  std::vector<size_t> chapterTables(m_books.size());
  std::vector<std::vector<size_t>> verseTables(m_books.size());
  for (size_t b = 0; b < m_books.size(); ++b) {
    const sBook& book = m_books[b];
    if (book.chapters.size() > 0xFFFF) throw std::length_error("too many chapters for verses.idx");
    const size_t record = bookTable + b * bookSize;
    platform::EncodeFixed16(out.data() + record, book.book);
    platform::EncodeFixed16(out.data() + record + 2, static_cast<uint16_t>(book.chapters.size()));
    if (!book.chapters.empty()) Patch32(out, record + 4, out.size());
    chapterTables[b] = out.size();
    out.append(book.chapters.size() * chapterSize, '\0');
  }
  for (size_t b = 0; b < m_books.size(); ++b) {
    for (size_t c = 0; c < m_books[b].chapters.size(); ++c) {
      const sChapter& chapter = m_books[b].chapters[c];
      if (chapter.verses.size() > 0xFFFF) throw std::length_error("too many verses for verses.idx");
      const size_t record = chapterTables[b] + c * chapterSize;
      platform::EncodeFixed16(out.data() + record, chapter.chapter);
      platform::EncodeFixed16(out.data() + record + 2, static_cast<uint16_t>(chapter.verses.size()));
      if (!chapter.verses.empty()) Patch32(out, record + 4, out.size());
      verseTables[b].push_back(out.size());
      for (const sVerse& verse : chapter.verses) {
        std::string v(verseSize, '\0');
        platform::EncodeFixed16(v.data(), verse.verse);
        out += v;
      }
    }
  }

  // Lists given, even empty ones, get an offset; the rest keep 0.
  for (size_t b = 0; b < m_books.size(); ++b) {
    const sBook& book = m_books[b];
    const size_t record = bookTable + b * bookSize;
    if (book.hasKeys) PutList(out, record + 8, book.keys);
    if (book.hasAllChapters) PutList(out, record + 12, book.allChapters);
    if (book.hasAllVerses) PutList(out, record + 16, book.allVerses);
    for (size_t c = 0; c < book.chapters.size(); ++c) {
      const sChapter& chapter = book.chapters[c];
      const size_t chapterRecord = chapterTables[b] + c * chapterSize;
      if (chapter.hasKeys) PutList(out, chapterRecord + 8, chapter.keys);
      if (chapter.hasAllVerses) PutList(out, chapterRecord + 12, chapter.allVerses);
      for (size_t v = 0; v < chapter.verses.size(); ++v)
        PutList(out, verseTables[b][c] + v * verseSize + 2, chapter.verses[v].keys);
    }
  }
  return out;
}

}  // namespace solt
