#include "textpane/view/rangecopy.h"

#include <algorithm>
#include <string_view>

#include "textpane/model/documentbuilder.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

namespace {

RowNode* RowOf(const Paragraph* p) {
  for (Node* n = p ? p->Parent() : nullptr; n; n = n->Parent()) {
    if (n->Kind() == NodeKind::Row) return static_cast<RowNode*>(n);
  }
  return nullptr;
}

class RangeCopier {
 public:
  RangeCopier(const CRtfDoc& from, CRtfDoc& to) : m_from(from), m_to(to), m_builder(to) {}

  void Copy(TextPoint a, TextPoint b) {
    m_to.Fonts() = m_from.Fonts();
    m_to.Colors() = m_from.Colors();
    m_to.Format() = m_from.Format();
    if (!a.paragraph || !b.paragraph) return Finish();
    if (PointBefore(m_from, b, a)) std::swap(a, b);
    // Text inside one cell is only text; the row comes once the range
    // leaves the cell.
    const bool oneCell = a.paragraph->Parent() == b.paragraph->Parent() && RowOf(a.paragraph);
    for (const Paragraph* p = a.paragraph; p;) {
      if (const RowNode* row = oneCell ? nullptr : RowOf(p)) {
        CopyRow(*row);
        if (row->Contains(b.paragraph)) break;
        p = NextLeaf(LastLeaf(row));
        continue;
      }
      const size_t begin = p == a.paragraph ? std::min(a.offset, p->Length()) : 0;
      const size_t end = p == b.paragraph ? std::min(b.offset, p->Length()) : p->Length();
      ParaFormat pf = *p->Format();
      pf.inTable = 0;
      m_builder.CurrentParaFormat() = pf;
      CopyText(*p, begin, std::min(end, p->Length() - 1));
      if (end == p->Length()) EndParagraph(*p);
      if (p == b.paragraph) break;
      p = NextLeaf(p);
    }
    Finish();
  }

 private:
  void Finish() {
    m_builder.Finish();
    m_to.UpdateAllViews(nullptr, 0, nullptr);
  }

  void UseFormat(const CharFormat& f) {
    CharFormat c = f;
    c.level = 0;
    c.mark = 0;
    c.picture = nullptr;
    m_builder.CurrentCharFormat() = c;
  }

  // Characters [begin, end) of p, never its mark.
  void CopyText(const Paragraph& p, size_t begin, size_t end) {
    size_t off = 0;
    const std::string& text = p.Text();
    for (const Run& run : p.Runs()) {
      const size_t runEnd = off + run.length;
      const size_t from = std::max(off, begin), to = std::min(runEnd, end);
      if (from < to) {
        UseFormat(*run.format);
        if (run.format->picture) {
          for (size_t i = from; i < to; ++i) {
            if (text[i] == static_cast<char>(kCharPicture)) m_builder.InsertPicture(run.format->picture);
            else m_builder.InsertChar(static_cast<unsigned char>(text[i]));
          }
        } else {
          m_builder.InsertText(std::string_view(text).substr(from, to - from));
        }
      }
      off = runEnd;
      if (off >= end) break;
    }
  }

  void EndParagraph(const Paragraph& p) {
    UseFormat(*p.MarkFormat());
    m_builder.InsertChar(kCharParagraphMark);
  }

  void CopyRow(const RowNode& row) {
    RowFormat rf = row.format;
    rf.cells.clear();
    m_builder.StartRow();
    m_builder.CurrentRowFormat() = rf;
    for (const Node* cell = row.FirstChild(); cell; cell = cell->Next()) {
      if (cell->Kind() == NodeKind::Cell) m_builder.AddCell(static_cast<const CellNode*>(cell)->format);
    }
    for (const Node* cell = row.FirstChild(); cell; cell = cell->Next()) {
      if (cell->Kind() != NodeKind::Cell) continue;
      for (const Node* c = cell->FirstChild(); c; c = c->Next()) {
        const Paragraph* p = c->AsParagraph();
        if (!p) continue;
        ParaFormat pf = *p->Format();
        pf.inTable = 1;
        m_builder.CurrentParaFormat() = pf;
        CopyText(*p, 0, p->Length() - 1);
        UseFormat(*p->MarkFormat());
        if (c->Next()) m_builder.InsertChar(kCharParagraphMark);
      }
      m_builder.EndCell();
    }
    m_builder.EndRow();
  }

  const CRtfDoc& m_from;
  CRtfDoc& m_to;
  DocumentBuilder m_builder;
};

}  // namespace

bool PointBefore(const CRtfDoc& doc, TextPoint a, TextPoint b) {
  if (a.paragraph == b.paragraph) return a.offset < b.offset;
  return doc.PositionOf(a) < doc.PositionOf(b);
}

void CopyRange(const CRtfDoc& from, TextPoint a, TextPoint b, CRtfDoc& to) {
  to.DeleteContents();
  RangeCopier(from, to).Copy(a, b);
}

const Picture* FirstPictureInRange(const CRtfDoc& doc, TextPoint a, TextPoint b) {
  if (!a.paragraph || !b.paragraph) return nullptr;
  if (PointBefore(doc, b, a)) std::swap(a, b);
  for (const Paragraph* p = a.paragraph; p; p = NextLeaf(p)) {
    const size_t begin = p == a.paragraph ? a.offset : 0;
    const size_t end = p == b.paragraph ? std::min(b.offset, p->Length()) : p->Length();
    size_t off = 0;
    for (const Run& run : p->Runs()) {
      const size_t runEnd = off + run.length;
      if (run.format->picture && std::max(off, begin) < std::min(runEnd, end)) {
        for (size_t i = std::max(off, begin); i < std::min(runEnd, end); ++i) {
          if (p->Text()[i] == static_cast<char>(kCharPicture)) return run.format->picture.get();
        }
      }
      off = runEnd;
    }
    if (p == b.paragraph) break;
  }
  return nullptr;
}

}  // namespace textpane
