#include "app/shell/ui/solttreeview.h"

#include <vector>

#include "app/books/booknavigation.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "platform/file.h"
#include "platform/messages.h"

namespace klmw {

CSoltTreeView::CSoltTreeView(BookOf bookOf, QWidget* parent) : QTreeWidget(parent), m_bookOf(std::move(bookOf)) {
  setHeaderHidden(true);
  setColumnCount(1);
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { OnItemExpanded(item); });
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnCurrentItemChanged(item); });
}

CSoltTreeView::~CSoltTreeView() {
  if (m_book && m_book->IsOpen(SOLT_ALL_FILES)) m_book->Close(SOLT_ALL_FILES);
}

void CSoltTreeView::OnUpdate(platform::CView*, long hint, void*) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!doc) return;
  if (hint != CPlaceDocument::kHintPosition && hint != CPlaceDocument::kHintFollow && m_book) return;
  const cSOLTBook* book = m_bookOf ? m_bookOf(*doc) : nullptr;
  if (!book) {
    clear();
    m_book.reset();
    m_bookIndex = -1;
    return;
  }
  if (!m_book || m_bookIndex != doc->GetBookIndex() || m_book->GetBookName() != book->GetBookName()) {
    Rebuild(*doc, *book);
  }
  SelectSection(doc->GetSectionKey());
}

void CSoltTreeView::Rebuild(const CPlaceDocument& doc, const cSOLTBook& book) {
  if (m_book && m_book->IsOpen(SOLT_ALL_FILES)) m_book->Close(SOLT_ALL_FILES);
  m_book = std::make_unique<cSOLTBook>(book);
  m_bookIndex = doc.GetBookIndex();
  m_selecting = true;
  clear();
  auto* root = new QTreeWidgetItem(this, {FromLatin1252(book.GetBookName())});
  root->setData(0, kKeyRole, kTopLevelKey);
  root->setData(0, kFilledRole, false);
  root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  root->setExpanded(true);
  // The glossary, when the book has one, is a list of its own below.
  cSOLTBook* reader = m_book.get();
  bool glossary = false;
  if (OpenBookForReading(*reader)) {
    try {
      glossary = reader->GetLastKey() > reader->GetLastSectionKey();
    } catch (const platform::FileException&) {
    }
  }
  if (glossary) {
    auto* node = new QTreeWidgetItem(this, {tr("Glossary")});
    node->setData(0, kKeyRole, kGlossaryKey);
    node->setData(0, kFilledRole, false);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  m_selecting = false;
}

void CSoltTreeView::ExpandItem(QTreeWidgetItem* item, int depth) {
  if (!item || depth <= 0) return;
  if (!m_book) {
    platform::MessageBox("Got a m_pCurrentBook NULL");
    return;
  }
  if (!item->data(0, kFilledRole).toBool()) {
    item->setData(0, kFilledRole, true);
    const std::vector<cSectionsData> children = GetChildSections(*m_book, item->data(0, kKeyRole).toInt());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(children.size()));
    for (const cSectionsData& section : children) {
      auto* child = new QTreeWidgetItem({FromLatin1252(section.GetName())});
      child->setData(0, kKeyRole, section.GetSectionKey());
      child->setData(0, kFilledRole, false);
      child->setChildIndicatorPolicy(HasChildSections(*m_book, section) ? QTreeWidgetItem::ShowIndicator
                                                                        : QTreeWidgetItem::DontShowIndicator);
      items.append(child);
    }
    item->addChildren(items);
    if (items.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
  }
  if (depth > 1) {
    for (int i = 0; i < item->childCount(); ++i) ExpandItem(item->child(i), depth - 1);
  }
}

QTreeWidgetItem* CSoltTreeView::FindSection(int key) {
  QTreeWidgetItem* root = topLevelItem(0);
  if (!root || !m_book || key < 0 || !OpenBookForReading(*m_book)) return nullptr;
  // The section's ancestors, outermost last; a damaged table must not
  // make the walk endless.
  std::vector<int> path;
  bool glossary = false;
  try {
    const int limit = m_book->GetLastKey() + 1;
    glossary = key > m_book->GetLastSectionKey();
    for (int k = key; k >= 0 && static_cast<int>(path.size()) <= limit;) {
      cSectionsData entry;
      if (m_book->GetEntry(k, entry) != 0) return nullptr;
      path.push_back(k);
      k = glossary ? -1 : entry.GetParentKey();
    }
  } catch (const platform::FileException&) {
    return nullptr;
  }
  QTreeWidgetItem* item = root;
  // Glossary entries stand in a list of their own.
  if (glossary) {
    item = topLevelItem(1);
    if (!item) return nullptr;
  }
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    ExpandItem(item);
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < item->childCount() && !found; ++i) {
      if (item->child(i)->data(0, kKeyRole).toInt() == *it) found = item->child(i);
    }
    if (!found) return nullptr;
    item = found;
  }
  return item;
}

void CSoltTreeView::SelectSection(int key) {
  QTreeWidgetItem* item = FindSection(key);
  m_selecting = true;
  if (item) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
  } else {
    setCurrentItem(nullptr);
  }
  m_selecting = false;
}

void CSoltTreeView::OnCurrentItemChanged(QTreeWidgetItem* item) {
  if (m_selecting || !item) return;
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  const int key = item->data(0, kKeyRole).toInt();
  if (!doc || key < 0) return;
  doc->GoToSection(doc->GetBookIndex(), key);
}

}  // namespace klmw
