#include "app/shell/ui/bibtreeview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <utility>
#include <vector>

#include "app/books/bibletree.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "biblefile/biblemodule.h"

namespace klmw {

CBibTreeView::CBibTreeView(BibleOf bibleOf, BookOf bookOf, QWidget* parent)
    : CSoltTreeView(std::move(bookOf), parent), m_bibleOf(std::move(bibleOf)) {}

void CBibTreeView::OnUpdate(platform::CView* sender, long hint, void* object) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  const CBibleModule* bible = doc && m_bibleOf ? m_bibleOf(*doc) : nullptr;
  if (!bible) {
    if (m_bible) {
      m_bible = nullptr;
      clear();
    }
    CSoltTreeView::OnUpdate(sender, hint, object);
    return;
  }
  const int verse = doc->GetSectionKey();
  if (bible != m_bible) {
    // The book tree lets go of whatever book it showed.
    if (!m_bible) CSoltTreeView::OnUpdate(sender, hint, object);
    m_bible = bible;
    Rebuild(verse);
  } else if (m_showCurrentBook && topLevelItemCount() == 1) {
    // The window moved into another book: that one is shown instead.
    int book = 0, chapter = 0, inChapter = 0;
    if (m_bible->IndexToPlace(verse, book, chapter, inChapter) && !FindBookItem(book)) Rebuild(verse);
  }
  SelectVerse(verse);
}

void CBibTreeView::SetShowCurrentBook(bool on) {
  m_showCurrentBook = on;
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!m_bible || !doc) return;
  Rebuild(doc->GetSectionKey());
  SelectVerse(doc->GetSectionKey());
}

void CBibTreeView::SetItemData(QTreeWidgetItem* item, const CTreeBibleBook& data, int chapter) {
  item->setData(0, kBookRole, data.m_book);
  item->setData(0, kChapterRole, chapter);
  item->setData(0, kVerseRole, data.GetVerse());
}

void CBibTreeView::Rebuild(int verse) {
  m_selecting = true;
  clear();
  for (const CTreeBibleBook& book : MakeTreeBooks(*m_bible, m_showCurrentBook, verse)) {
    auto* item = new QTreeWidgetItem(this, {FromLatin1252(book.m_label)});
    SetItemData(item, book, -1);
    item->setData(0, kFilledRole, false);
    item->setChildIndicatorPolicy(m_bible->GetChapterCount(book.m_book) > 0 ? QTreeWidgetItem::ShowIndicator
                                                                            : QTreeWidgetItem::DontShowIndicator);
  }
  m_selecting = false;
}

void CBibTreeView::AddChapters(QTreeWidgetItem* bookItem) {
  if (!m_bible || !bookItem || bookItem->parent() || bookItem->data(0, kFilledRole).toBool()) return;
  bookItem->setData(0, kFilledRole, true);
  const std::vector<CTreeChapter> chapters =
      MakeTreeChapters(*m_bible, MakeTreeBook(*m_bible, bookItem->data(0, kBookRole).toInt()));
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(chapters.size()));
  for (const CTreeChapter& chapter : chapters) {
    auto* item = new QTreeWidgetItem({FromLatin1252(chapter.m_label)});
    SetItemData(item, chapter, chapter.m_chapter);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    items.append(item);
  }
  bookItem->addChildren(items);
}

void CBibTreeView::OnItemExpanded(QTreeWidgetItem* item) {
  if (m_bible) {
    AddChapters(item);
  } else {
    CSoltTreeView::OnItemExpanded(item);
  }
}

void CBibTreeView::OnCurrentItemChanged(QTreeWidgetItem* item) {
  if (!m_bible) {
    CSoltTreeView::OnCurrentItemChanged(item);
    return;
  }
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (m_selecting || !item || !doc) return;
  const int verse = item->data(0, kVerseRole).toInt();
  // The document tells its views and the frame; the frame moves the
  // windows that follow this one.
  if (verse >= 0) doc->SetSectionKey(verse);
}

QTreeWidgetItem* CBibTreeView::FindBookItem(int book) const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (topLevelItem(i)->data(0, kBookRole).toInt() == book) return topLevelItem(i);
  }
  return nullptr;
}

// The chapter is marked once its book is open; a closed book is marked as a
// whole, so that reading on does not open books the user closed.
void CBibTreeView::SelectVerse(int verse) {
  int book = 0, chapter = 0, inChapter = 0;
  QTreeWidgetItem* item = nullptr;
  if (m_bible->IndexToPlace(verse, book, chapter, inChapter)) item = FindBookItem(book);
  if (item && item->isExpanded() && chapter < item->childCount()) item = item->child(chapter);
  if (item == currentItem()) return;
  m_selecting = true;
  setCurrentItem(item);
  if (item) scrollToItem(item);
  m_selecting = false;
}

// The right button opens the menu without choosing the item under it.
void CBibTreeView::mousePressEvent(QMouseEvent* event) {
  if (m_bible && event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  CSoltTreeView::mousePressEvent(event);
}

void CBibTreeView::contextMenuEvent(QContextMenuEvent* event) {
  if (!m_bible) {
    CSoltTreeView::contextMenuEvent(event);
    return;
  }
  // The frame's own Search and Font commands, so that they act as from the
  // menu bar: the font goes to this pane, which takes the focus.
  setFocus(Qt::MouseFocusReason);
  auto* frame = qobject_cast<CMainFrame*>(window());
  QMenu menu(this);
  const struct {
    int id;
    const char* label;
  } entries[] = {{ID_EDIT_FIND, "&Search..."}, {ID_CHANGE_FONT, "&Font..."}};
  std::vector<std::pair<QAction*, QAction*>> commands;
  for (const auto& e : entries) {
    QAction* command = frame ? frame->GetCommand(e.id) : nullptr;
    QAction* action = menu.addAction(tr(e.label));
    action->setEnabled(command && command->isEnabled());
    commands.emplace_back(action, command);
  }
  QAction* chosen = menu.exec(event->globalPos());
  for (const auto& [action, command] : commands) {
    if (chosen && chosen == action && command) command->trigger();
  }
}

}  // namespace klmw
