// Renders a document tree compactly so that tests can state its whole shape:
// S{...} section, T{...} table, R{...} row, C{...} cell, P(text) paragraph
// with its mark left out.
#pragma once

#include <string>

#include "textpane/model/paragraph.h"

namespace textpane::test {

inline std::string TreeText(const Node* n) {
  std::string out;
  switch (n->Kind()) {
    case NodeKind::Paragraph: {
      const std::string& t = n->AsParagraph()->Text();
      return "P(" + t.substr(0, t.size() - 1) + ")";
    }
    case NodeKind::Root: break;
    case NodeKind::Section: out = "S{"; break;
    case NodeKind::Table: out = "T{"; break;
    case NodeKind::Row: out = "R{"; break;
    case NodeKind::Cell: out = "C{"; break;
  }
  for (const Node* c = n->FirstChild(); c; c = c->Next()) {
    if (c != n->FirstChild()) out += ' ';
    out += TreeText(c);
  }
  if (n->Kind() != NodeKind::Root) out += '}';
  return out;
}

}  // namespace textpane::test
