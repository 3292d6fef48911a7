// Which places of the book refer to a Bible book, chapter or verse
// (verses.idx). Each answer is the number of keys; a place that is not
// indexed leaves the caller's array as it was.
#include "soltread.h"
#include "soltread/bookfileset.h"

int cSOLTBook::GetBookOccurrences(unsigned short book, std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetBookKeys(book, cVersesIndex::kOwnList, keys);
}

int cSOLTBook::GetBookOccurrencesAllChapters(unsigned short book, std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetBookKeys(book, cVersesIndex::kAllChapters, keys);
}

int cSOLTBook::GetBookOccurrencesAllVerses(unsigned short book, std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetBookKeys(book, cVersesIndex::kAllVerses, keys);
}

int cSOLTBook::GetChapterOccurrences(unsigned short book, unsigned short chapter, std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetChapterKeys(book, chapter, cVersesIndex::kOwnList, keys);
}

int cSOLTBook::GetChapterOccurrencesAllVerses(unsigned short book, unsigned short chapter,
                                              std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetChapterKeys(book, chapter, cVersesIndex::kAllVerses, keys);
}

int cSOLTBook::GetVerseOccurrences(unsigned short book, unsigned short chapter, unsigned short verse,
                                   std::vector<unsigned>& keys) {
  RequireOpen(SOLT_VERSES_IDX);
  return m_pFileSet->GetVerses().GetVerseKeys(book, chapter, verse, keys);
}
