#include "app/books/bibletree.h"

#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"

namespace klmw {

std::string GetTreeBookLabel(const CBibleModule& bible, int book) {
  if (book >= 0 && book < kBibleBookCount) return GetBookName(bible.GetCode(), book + 1);
  return bible.GetBookLabel(book + 1);
}

CTreeBibleBook MakeTreeBook(const CBibleModule& bible, int book) {
  const std::vector<int>& cumulative = bible.GetCumulative();
  CTreeBibleBook item;
  item.m_book = book;
  if (book < 0 || book >= bible.GetBookCount()) return item;
  item.m_label = GetTreeBookLabel(bible, book);
  item.m_firstVerse = cumulative[static_cast<size_t>(book)];
  item.m_endVerse = cumulative[static_cast<size_t>(book) + 1];
  return item;
}

std::vector<CTreeBibleBook> MakeTreeBooks(const CBibleModule& bible, bool justCurrentBook, int verse) {
  std::vector<CTreeBibleBook> books;
  int book = 0, chapter = 0, inChapter = 0;
  if (justCurrentBook && bible.IndexToPlace(verse, book, chapter, inChapter)) {
    books.push_back(MakeTreeBook(bible, book));
    return books;
  }
  for (int b = 0; b < bible.GetBookCount(); ++b) books.push_back(MakeTreeBook(bible, b));
  return books;
}

std::vector<CTreeChapter> MakeTreeChapters(const CBibleModule& bible, const CTreeBibleBook& book) {
  std::vector<CTreeChapter> chapters;
  const int count = bible.GetChapterCount(book.m_book);
  chapters.reserve(static_cast<size_t>(count));
  int first = book.m_firstVerse;
  for (int c = 0; c < count; ++c) {
    CTreeChapter item;
    item.m_book = book.m_book;
    item.m_chapter = c;
    item.m_label = book.m_label + " " + std::to_string(c + 1);
    item.m_firstVerse = first;
    first += bible.GetChapterVerseCount(book.m_book, c);
    item.m_endVerse = first;
    chapters.push_back(std::move(item));
  }
  return chapters;
}

}  // namespace klmw
