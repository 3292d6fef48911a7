#include "app/shell/booksection.h"

#include "platform/file.h"
#include "platform/messages.h"

namespace klmw {

CBookSection::CBookSection(const cSOLTBook& book) : m_book(book), m_bookName(book.GetBookName()) {}

CBookSection::~CBookSection() {
  if (m_book.IsOpen(SOLT_ALL_FILES)) m_book.Close(SOLT_ALL_FILES);
}

bool CBookSection::OpenBook() {
  if (m_book.IsOpen(SOLT_ALL_FILES)) return true;
  try {
    return m_book.Open(SOLT_ALL_FILES) == SOLT_OK;
  } catch (const platform::FileException&) {
    return false;
  }
}

bool CBookSection::Prepare(int key) {
  if (!OpenBook()) return false;
  try {
    // The glossary's own key stands for its first entry, when it has one.
    if (!m_book.IsValidKey(key))
      key = key == kFirstGlossaryEntry && m_book.GetLastKey() > m_book.GetLastSectionKey() ? m_book.GetLastSectionKey() + 1
                                                                                          : 0;
    cSectionsData entry;
    if (m_book.GetEntry(key, entry) == 0) {
      m_entry = entry;
      m_glossary = entry.GetSectionKey() > m_book.GetLastSectionKey();
      return true;
    }
  } catch (const platform::FileException&) {
  }
  platform::MessageBox("Could not get a book section entry.\n");
  return false;
}

void CBookSection::Stream(textpane::CRtfDoc& doc, std::function<bool(size_t read)> enough) {
  m_firstChunk = true;
  m_enough = std::move(enough);
  m_read = 0;
  doc.SetText(&CBookSection::Read, reinterpret_cast<textpane::DWORD_PTR>(this), textpane::FORMAT_RTF);
  m_enough = nullptr;
}

// The reader asks until it gets no bytes; the first call starts the area.
textpane::DWORD CBookSection::Read(textpane::DWORD_PTR cookie, char* buffer, long size, long* count) {
  auto* self = reinterpret_cast<CBookSection*>(cookie);
  *count = 0;
  if (size <= 0 || !self->OpenBook()) return 1;
  if (!self->m_firstChunk && self->m_enough && self->m_enough(self->m_read)) return 0;
  try {
    unsigned long n;
    if (self->m_firstChunk) {
      self->m_firstChunk = false;
      self->m_chunkSize = size;
      n = self->m_book.GetFirstViewableAreaChunk(self->m_entry.GetBookKey(), static_cast<unsigned>(size), buffer);
    } else {
      // Every chunk is as large as the first; a smaller buffer would overflow.
      if (size < self->m_chunkSize) return 1;
      n = self->m_book.GetNextViewableAreaChunk(buffer);
    }
    *count = static_cast<long>(n);
    self->m_read += n;
    return 0;
  } catch (const platform::FileException&) {
    // A damaged area ends where it could be read.
    return 1;
  }
}

}  // namespace klmw
