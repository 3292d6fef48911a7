// The tree pane of a book window: the book's sections under the book's
// name, each node filled with its children when it first opens and marked
// as expandable while it has some. Choosing a node shows its section; when
// the reader scrolls into another section the tree selects that one.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <memory>

#include "platform/docview.h"
#include "soltread.h"

namespace klmw {

class CPlaceDocument;

class CSoltTreeView : public QTreeWidget, public platform::CView {
  Q_OBJECT

 public:
  // The registered book a document shows; null when it shows none.
  using BookOf = std::function<const cSOLTBook*(const CPlaceDocument&)>;
  // Item data: the section key (-1 on the book's own node) and whether the
  // children were added.
  static constexpr int kKeyRole = Qt::UserRole;
  static constexpr int kFilledRole = Qt::UserRole + 1;

  explicit CSoltTreeView(BookOf bookOf, QWidget* parent = nullptr);
  ~CSoltTreeView() override;

  void OnUpdate(platform::CView* sender, long hint, void* object) override;

  // Adds the item's child sections unless it has them, and `depth` - 1
  // levels below them.
  void ExpandItem(QTreeWidgetItem* item, int depth = 1);
  // The node of section `key`, opening its ancestors on the way; null when
  // the tree has no node for it (a glossary entry).
  QTreeWidgetItem* FindSection(int key);

 protected:
  // An item opened, or another item became current; a derived tree that
  // shows other items takes these over.
  virtual void OnItemExpanded(QTreeWidgetItem* item) { ExpandItem(item); }
  virtual void OnCurrentItemChanged(QTreeWidgetItem* item);

 private:
  void Rebuild(const CPlaceDocument& doc, const cSOLTBook& book);
  void SelectSection(int key);

  BookOf m_bookOf;
  std::unique_ptr<cSOLTBook> m_book;  // a copy of the registered book, read by the tree
  int m_bookIndex = -1;
  bool m_selecting = false;
};

}  // namespace klmw
