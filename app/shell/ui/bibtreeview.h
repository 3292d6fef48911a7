// The tree pane of a Bible window: the books of the window's Bible, each
// given its chapters the first time it opens. Choosing a book or a chapter
// moves the window to its first verse, and the windows that follow it come
// along through the frame; when the window moves, the tree marks the book
// (or, once the book is open, the chapter) being read. "Show just current
// book" narrows the tree to that one book. A document that holds a book
// gets the book tree of CSoltTreeView unchanged.
#pragma once

#include <functional>

#include "app/shell/ui/solttreeview.h"

namespace klmw {

class CBibleModule;
struct CTreeBibleBook;

class CBibTreeView : public CSoltTreeView {
  Q_OBJECT

 public:
  // The Bible a document shows; null for a book.
  using BibleOf = std::function<const CBibleModule*(const CPlaceDocument&)>;
  // Item data of the Bible's items: the book (from 0), the chapter (from 0,
  // -1 on a book item) and the verse index choosing the item goes to (-1
  // when it has none). kFilledRole says whether a book has its chapters.
  static constexpr int kBookRole = Qt::UserRole + 2;
  static constexpr int kChapterRole = Qt::UserRole + 3;
  static constexpr int kVerseRole = Qt::UserRole + 4;

  CBibTreeView(BibleOf bibleOf, BookOf bookOf, QWidget* parent = nullptr);

  void OnUpdate(platform::CView* sender, long hint, void* object) override;

  // Whether the tree shows a Bible (and not a book).
  bool ShowsBible() const { return m_bible != nullptr; }
  bool GetShowCurrentBook() const { return m_showCurrentBook; }
  // Rebuilds the tree with only the current verse's book, or with all.
  void SetShowCurrentBook(bool on);

 protected:
  void OnItemExpanded(QTreeWidgetItem* item) override;
  void OnCurrentItemChanged(QTreeWidgetItem* item) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Rebuild(int verse);
  void SelectVerse(int verse);
  void AddChapters(QTreeWidgetItem* bookItem);
  QTreeWidgetItem* FindBookItem(int book) const;
  static void SetItemData(QTreeWidgetItem* item, const CTreeBibleBook& data, int chapter);

  BibleOf m_bibleOf;
  const CBibleModule* m_bible = nullptr;
  bool m_showCurrentBook = false;
  bool m_selecting = false;
};

}  // namespace klmw
