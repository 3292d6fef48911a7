#include "textpane/model/node.h"

#include <cassert>

#include "textpane/model/paragraph.h"

namespace textpane {

Node::~Node() {
  // Children are let go one by one rather than through a recursive chain of
  // siblings: a section can hold a whole book's paragraphs.
  Node* c = m_firstChild;
  while (c) {
    Node* next = c->m_next;
    c->m_parent = c->m_next = c->m_prev = nullptr;
    c->Release();
    c = next;
  }
}

int Node::ChildCount() const {
  int n = 0;
  for (Node* c = m_firstChild; c; c = c->m_next) ++n;
  return n;
}

void Node::InsertChildAfter(Node* after, RefPtr<Node> child) {
  Node* c = child.Detach();
  assert(c && !c->m_parent);
  assert(!after || after->m_parent == this);
  c->m_parent = this;
  c->m_prev = after;
  c->m_next = after ? after->m_next : m_firstChild;
  if (c->m_next)
    c->m_next->m_prev = c;
  else
    m_lastChild = c;
  if (after)
    after->m_next = c;
  else
    m_firstChild = c;
}

void Node::AppendChild(RefPtr<Node> child) { InsertChildAfter(LastChild(), std::move(child)); }

RefPtr<Node> Node::Unlink() {
  if (!m_parent) return nullptr;
  if (m_prev)
    m_prev->m_next = m_next;
  else
    m_parent->m_firstChild = m_next;
  if (m_next)
    m_next->m_prev = m_prev;
  else
    m_parent->m_lastChild = m_prev;
  m_parent = m_prev = m_next = nullptr;
  return RefPtr<Node>::Adopt(this);
}

bool Node::Contains(const Node* n) const {
  for (; n; n = n->m_parent) {
    if (n == this) return true;
  }
  return false;
}

Paragraph* Node::AsParagraph() {
  return m_kind == NodeKind::Paragraph ? static_cast<Paragraph*>(this) : nullptr;
}

const Paragraph* Node::AsParagraph() const {
  return m_kind == NodeKind::Paragraph ? static_cast<const Paragraph*>(this) : nullptr;
}

Paragraph* FirstLeaf(const Node* n) {
  if (!n) return nullptr;
  if (n->Kind() == NodeKind::Paragraph) return const_cast<Paragraph*>(n->AsParagraph());
  for (Node* c = n->FirstChild(); c; c = c->Next()) {
    if (Paragraph* p = FirstLeaf(c)) return p;
  }
  return nullptr;
}

Paragraph* LastLeaf(const Node* n) {
  if (!n) return nullptr;
  if (n->Kind() == NodeKind::Paragraph) return const_cast<Paragraph*>(n->AsParagraph());
  for (Node* c = n->LastChild(); c; c = c->Prev()) {
    if (Paragraph* p = LastLeaf(c)) return p;
  }
  return nullptr;
}

Paragraph* NextLeaf(const Node* n) {
  for (Node* c = n->FirstChild(); c; c = c->Next()) {
    if (Paragraph* p = FirstLeaf(c)) return p;
  }
  for (const Node* m = n; m; m = m->Parent()) {
    for (Node* s = m->Next(); s; s = s->Next()) {
      if (Paragraph* p = FirstLeaf(s)) return p;
    }
  }
  return nullptr;
}

Paragraph* PrevLeaf(const Node* n) {
  for (const Node* m = n; m; m = m->Parent()) {
    for (Node* s = m->Prev(); s; s = s->Prev()) {
      if (Paragraph* p = LastLeaf(s)) return p;
    }
  }
  return nullptr;
}

}  // namespace textpane
