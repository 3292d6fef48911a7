// REFBASE.DAT made of arbitrary bytes, loaded by the reference library and,
// when it loads, asked for labels, aliases and related books.
//
// Input: the whole of REFBASE.DAT. The places asked about are the first
// chapters and verses of the first books the file describes, plus the book,
// chapter and verse named by the last six input bytes.
//
// A corrupt file may be refused (the loader raises platform::FileException
// and leaves nothing loaded) and a lookup may fail; what must not happen is a
// crash, a read out of bounds, an allocation the file's size does not
// justify, or a half-loaded library.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "refbase.h"
#include "refbase/datafiles.h"

namespace {

using fuzz::Check;

constexpr unsigned short kMaxBooks = 8, kMaxChapters = 4, kMaxVerses = 4;

int AcceptNone(unsigned short) { return 0; }
int AcceptOdd(unsigned short book) { return book & 1; }

void AskVerse(unsigned short book, unsigned short chapter, unsigned short verse) {
  cBibleReference r;
  r.SetReferenceID(book, chapter, verse);
  char chapterLabel[8], verseLabel[8];
  if (r.GetLabelsForReference(chapterLabel, verseLabel) == 0) {
    Check(::strnlen(chapterLabel, 8) < 8 && ::strnlen(verseLabel, 8) < 8, "a label without its NUL");
    // The file's labels need not lead back (a plainly numbered book may store
    // anything as a label), so the answers are only exercised.
    r.GetChapterIDForLabel(book, chapterLabel);
    r.GetVerseIDForLabel(book, chapter, verseLabel);
  }
  r.GetVerseIDForLabel(book, chapter, "1");
  r.GetVerseIDForLabel(book, chapter, "1a");
  cBibleReference list[3];
  const int n = r.GetListOfAliases(3, list);
  Check(n >= 0 && n <= 3, "more aliases than room");
  r.GetNumberOfAliases();
  cBibleReference out;
  r.GetReferenceAlias(&out, AcceptNone, 1);
  r.GetReferenceAlias(&out, AcceptOdd, 1);
  cBibleReference next(r);
  next.GetNextVerse();
  cBibleReferenceList similar;
  fuzz::Try([&] { cBibleReference::GetSimilarChapters(book, chapter, &similar); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();
  const std::string& dir = fuzz::ScratchDir();
  fuzz::WriteFile(dir + "REFBASE.DAT", data, size);
  refbase::SetDataDirectory(dir);
  while (cBibleReference::m_conversion_data_in_use) cBibleReference::ReleaseConversionData();

  try {
    cBibleReference::InitializeConversionData();
  } catch (const platform::FileException&) {
    Check(cBibleReference::m_conversion_data_in_use == 0 && !cBibleReference::m_book_table &&
              !cBibleReference::m_chapter_table,
          "a refused file left tables behind");
    return 0;
  }
  Check(cBibleReference::m_conversion_data_in_use == 1, "a loaded file without its use");

  const unsigned short books = cBibleReference::m_total_books;
  for (unsigned short b = 1; b <= books && b <= kMaxBooks; ++b) {
    cBibleReference ref;
    ref.GetChapterIDForLabel(b, "1");
    ref.GetChapterIDForLabel(b, "a");
    const unsigned short chapters = cBibleReference::ChaptersInBook(b);
    for (unsigned short c = 1; c <= chapters && c <= kMaxChapters; ++c) {
      const unsigned short verses = cBibleReference::VersesInChapter(b, c);
      for (unsigned short v = 0; v <= verses && v <= kMaxVerses; ++v) AskVerse(b, c, v);
      AskVerse(b, c, verses);
      AskVerse(b, c, static_cast<unsigned short>(verses + 1));
    }
    cBibleReferenceList similar;
    fuzz::Try([&] { cBibleReference::GetSimilarBooks(b, &similar); });
  }
  if (size >= 6) {
    const uint8_t* tail = data + size - 6;
    AskVerse(static_cast<unsigned short>(fuzz::Le16(tail)), static_cast<unsigned short>(fuzz::Le16(tail + 2)),
             static_cast<unsigned short>(fuzz::Le16(tail + 4)));
  }
  cBibleReference::ReleaseConversionData();
  Check(cBibleReference::m_conversion_data_in_use == 0 && !cBibleReference::m_book_table, "release left tables");
  return 0;
}
