// The document tree. A parent holds one count on each of its children; views
// may hold counts of their own on any node. Shape:
//   root -> sections -> paragraphs and tables (reading order)
//   table -> rows -> cells -> paragraphs
// The paragraphs in depth-first order are the document's text.
#pragma once

#include <cstdint>

#include "textpane/model/refcounted.h"
#include "textpane/model/tableformat.h"

namespace textpane {

class Paragraph;

enum class NodeKind : uint8_t { Root, Section, Paragraph, Table, Row, Cell };

class Node : public RefCounted {
 public:
  NodeKind Kind() const { return m_kind; }
  Node* Parent() const { return m_parent; }
  Node* Next() const { return m_next; }
  Node* Prev() const { return m_prev; }
  Node* FirstChild() const { return m_firstChild; }
  Node* LastChild() const { return m_lastChild; }
  int ChildCount() const;

  // The parent takes over the count `child` comes with. `after` null puts the
  // child first.
  void InsertChildAfter(Node* after, RefPtr<Node> child);
  void AppendChild(RefPtr<Node> child);
  // Takes this node out of its parent and hands the parent's count back.
  RefPtr<Node> Unlink();

  // Whether n is this node or lies under it.
  bool Contains(const Node* n) const;

  Paragraph* AsParagraph();
  const Paragraph* AsParagraph() const;

 protected:
  explicit Node(NodeKind kind) : m_kind(kind) {}
  ~Node() override;

 private:
  Node* m_parent = nullptr;
  Node* m_next = nullptr;
  Node* m_prev = nullptr;
  Node* m_firstChild = nullptr;
  // Kept so that appending is not a walk over the siblings: a row can hold
  // thousands of cells and a table thousands of rows.
  Node* m_lastChild = nullptr;
  NodeKind m_kind;
};

class RootNode : public Node {
 public:
  RootNode() : Node(NodeKind::Root) {}
};

class SectionNode : public Node {
 public:
  explicit SectionNode(const SectionFormat& format = {}) : Node(NodeKind::Section), format(format) {}
  SectionFormat format;
};

class TableNode : public Node {
 public:
  TableNode() : Node(NodeKind::Table) {}
};

class RowNode : public Node {
 public:
  explicit RowNode(const RowFormat& format = {}) : Node(NodeKind::Row), format(format) {}
  RowFormat format;
};

class CellNode : public Node {
 public:
  explicit CellNode(const CellFormat& format = {}) : Node(NodeKind::Cell), format(format) {}
  CellFormat format;
};

// Document order over the leaves; null past either end. A node without
// leaves under it is passed over.
Paragraph* FirstLeaf(const Node* n);
Paragraph* LastLeaf(const Node* n);
Paragraph* NextLeaf(const Node* n);
Paragraph* PrevLeaf(const Node* n);

}  // namespace textpane
