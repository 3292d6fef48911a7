// What the tree pane of a Bible window holds: one item per book of the
// window's Bible (or only the book of the current verse), each with its
// chapters below it, and the verses every item stands for. The items carry
// the program's own book names (Spanish for "RVR"); a book beyond the 66
// keeps the label its Bible's definition gives it.
#pragma once

#include <string>
#include <vector>

namespace klmw {

class CBibleModule;

// A book item: the book (from 0) and the verse indexes it covers, from its
// first verse up to the first verse after it.
struct CTreeBibleBook {
  static constexpr int kKind = 4;
  int m_book = 0;
  std::string m_label;
  int m_firstVerse = 0;
  int m_endVerse = 0;

  // The verse choosing the item goes to; -1 when the item has no verse.
  int GetVerse() const { return m_firstVerse < m_endVerse ? m_firstVerse : -1; }
};

// A chapter item of a book: chapter from 0, labelled "<book> <chapter + 1>".
struct CTreeChapter : CTreeBibleBook {
  static constexpr int kKind = 3;
  int m_chapter = 0;
};

// The label of book `book` (from 0) in the tree.
std::string GetTreeBookLabel(const CBibleModule& bible, int book);

// The item of book `book` (from 0); without verses outside the Bible.
CTreeBibleBook MakeTreeBook(const CBibleModule& bible, int book);

// The book items: every book, or with justCurrentBook only the book of verse
// index `verse` (every book when the Bible has no such verse).
std::vector<CTreeBibleBook> MakeTreeBooks(const CBibleModule& bible, bool justCurrentBook, int verse);

// The chapter items of a book item.
std::vector<CTreeChapter> MakeTreeChapters(const CBibleModule& bible, const CTreeBibleBook& book);

}  // namespace klmw
