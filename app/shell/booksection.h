// The text of one section of a SOLT book as a book window shows it: the
// book's header area and the section's viewable area, streamed chunk by
// chunk into a rich-text document, and the section's level within that
// area for the view to scroll to.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "soltread.h"
#include "textpane/model/rtfdoc.h"

namespace klmw {

class CBookSection {
 public:
  // Works on a copy of the registered book, opened when first needed and
  // closed when this goes.
  explicit CBookSection(const cSOLTBook& book);
  ~CBookSection();
  CBookSection(const CBookSection&) = delete;
  CBookSection& operator=(const CBookSection&) = delete;

  // The key that stands for the first glossary entry.
  static constexpr int kFirstGlossaryEntry = -2;

  // Finds section `key` (the first section for a key the book does not
  // have). False when the book cannot be opened or the entry not read; the
  // user is told of the latter.
  bool Prepare(int key);
  // Reads the section Prepare found into doc, replacing its text. With
  // `enough`, asked before each chunk with the bytes read so far, the area
  // ends early when it says so (what is read then is kept).
  void Stream(textpane::CRtfDoc& doc, std::function<bool(size_t read)> enough = {});

  // The section last prepared.
  const cSectionsData& GetEntry() const { return m_entry; }
  // Whether it is an entry of the book's glossary.
  bool IsGlossaryEntry() const { return m_glossary; }
  // The level its text starts at inside its area.
  int GetLevelCount() const { return m_entry.GetLevelCount(); }
  const std::string& GetBookName() const { return m_bookName; }
  // The copy read from, for the view's own look-ups in the same book.
  cSOLTBook& GetBook() { return m_book; }

 private:
  bool OpenBook();
  static textpane::DWORD Read(textpane::DWORD_PTR cookie, char* buffer, long size, long* count);

  cSOLTBook m_book;
  std::string m_bookName;
  cSectionsData m_entry;
  bool m_glossary = false;
  bool m_firstChunk = false;
  long m_chunkSize = 0;
  std::function<bool(size_t)> m_enough;
  size_t m_read = 0;
};

}  // namespace klmw
