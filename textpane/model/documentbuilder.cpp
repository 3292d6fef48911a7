#include "textpane/model/documentbuilder.h"

#include <cassert>
#include <utility>

#include "textpane/model/charcase.h"

namespace textpane {

namespace {

unsigned char UpperCase(unsigned char c) { return UpperCase1252(c); }

template <class T>
T* EnclosingOf(Node* n, NodeKind kind) {
  for (; n; n = n->Parent()) {
    if (n->Kind() == kind) return static_cast<T*>(n);
  }
  return nullptr;
}

bool PendingLinkText(const CharFormat& f) { return f.linkText && f.linkType == kNoLinkType; }

}  // namespace

// The document's index of paragraph starts would go stale under every
// insertion, so it is not kept while a builder is at work.
DocumentBuilder::DocumentBuilder(CRtfDoc& doc) : m_doc(doc), m_cursor(doc.FirstParagraph()) {
  assert(m_cursor);
  ++m_doc.m_builders;
  m_doc.DropPositions();
  m_charRef = m_doc.CharFormats().Intern(m_char);
  m_paraRef = m_doc.ParaFormats().Intern(m_para);
}

DocumentBuilder::~DocumentBuilder() {
  --m_doc.m_builders;
  m_doc.DropPositions();
}

RefPtr<Paragraph> DocumentBuilder::NewParagraph(const ParaFormatRef& format, const CharFormatRef& mark) {
  return MakeRef<Paragraph>(format, mark);
}

void DocumentBuilder::MoveCursor(Paragraph* p, size_t offset, bool bindLevels) {
  m_cursor = p;
  m_offset = offset;
  if (bindLevels && !m_unboundLevels.empty()) {
    m_doc.Levels().Bind(m_unboundLevels, Cursor());
    m_unboundLevels.clear();
  }
}

void DocumentBuilder::TakeOut(Node* n) {
  std::vector<size_t> lost = m_doc.Levels().Detach(n);
  m_unboundLevels.insert(m_unboundLevels.end(), lost.begin(), lost.end());
  n->Unlink();
}

void DocumentBuilder::CommitFormats() {
  if (*m_charRef != m_char) m_charRef = m_doc.CharFormats().Intern(m_char);
  if (*m_cursor->Format() != m_para) {
    if (*m_paraRef != m_para) m_paraRef = m_doc.ParaFormats().Intern(m_para);
    m_cursor->SetFormat(m_paraRef);
  }
  if (auto* section = EnclosingOf<SectionNode>(m_cursor, NodeKind::Section)) section->format = m_section;
}

void DocumentBuilder::NoteRowUsed() {
  if (m_repeatRow && m_repeatRow->Contains(m_cursor)) m_repeatRow = nullptr;
}

void DocumentBuilder::LeaveTableIfOutside() {
  if (m_table && !m_para.inTable) CloseTable();
}

void DocumentBuilder::InsertChar(unsigned char c) {
  if (m_char.level == kDropLevel) return;
  if (m_char.caps) c = UpperCase(c);
  LeaveTableIfOutside();
  CommitFormats();
  NoteRowUsed();
  if (c == kCharParagraphMark) {
    if (m_offset + 1 != m_cursor->Length()) return;
    // The mark carries the formatting in force where the paragraph ends, and
    // the next paragraph starts out with it.
    m_cursor->SetMarkFormat(m_charRef);
    auto next = NewParagraph(m_cursor->Format(), m_charRef);
    Paragraph* p = next.get();
    m_cursor->Parent()->InsertChildAfter(m_cursor, std::move(next));
    MoveCursor(p, 0);
    return;
  }
  const char ch = static_cast<char>(c);
  m_cursor->Insert(m_offset, std::string_view(&ch, 1), m_charRef);
  ++m_offset;
}

void DocumentBuilder::InsertText(std::string_view bytes) {
  if (bytes.empty() || m_char.level == kDropLevel) return;
  if (m_char.caps || bytes.find(static_cast<char>(kCharParagraphMark)) != std::string_view::npos) {
    for (char c : bytes) InsertChar(static_cast<unsigned char>(c));
    return;
  }
  LeaveTableIfOutside();
  CommitFormats();
  NoteRowUsed();
  m_cursor->Insert(m_offset, bytes, m_charRef);
  m_offset += bytes.size();
}

void DocumentBuilder::InsertPicture(RefPtr<Picture> picture) {
  // Pictures before the first level of a level-wise read go with the text.
  if (m_char.level == kDropLevel || !picture) return;
  LeaveTableIfOutside();
  CommitFormats();
  NoteRowUsed();
  CharFormat f = m_char;
  f.picture = std::move(picture);
  const char ch = static_cast<char>(kCharPicture);
  m_cursor->Insert(m_offset, std::string_view(&ch, 1), m_doc.CharFormats().Intern(f));
  ++m_offset;
}

void DocumentBuilder::StartSection() {
  if (m_table) CloseTable();
  if (*m_charRef != m_char) m_charRef = m_doc.CharFormats().Intern(m_char);
  if (*m_paraRef != m_para) m_paraRef = m_doc.ParaFormats().Intern(m_para);
  auto* current = EnclosingOf<SectionNode>(m_cursor, NodeKind::Section);
  auto section = MakeRef<SectionNode>(m_section);
  auto first = NewParagraph(m_paraRef, m_charRef);
  Paragraph* p = first.get();
  section->AppendChild(std::move(first));
  current->Parent()->InsertChildAfter(current, std::move(section));
  // "\par\sect" leaves an empty paragraph after the section's last mark;
  // it is no part of the text, as at the end of the document.
  Paragraph* last = LastLeaf(current);
  if (last == m_cursor && last->IsEmpty() && last->Prev()) TakeOut(last);
  MoveCursor(p, 0);
}

void DocumentBuilder::StartRow() {
  if (m_table) {
    if (m_repeatRow) {
      const bool cursorInside = m_repeatRow->Contains(m_cursor);
      TakeOut(m_repeatRow);
      m_repeatRow = nullptr;
      // The new row's first cell will take the cursor (and any level that
      // stood in the removed row); until then it waits after the table.
      if (cursorInside) MoveCursor(FirstLeaf(m_table->Next()), 0, false);
    }
  } else {
    auto table = MakeRef<TableNode>();
    m_table = table.get();
    Node* parent = m_cursor->Parent();
    if (m_offset == 0) {
      parent->InsertChildAfter(m_cursor->Prev(), std::move(table));
    } else {
      // Mid-paragraph: the table follows the paragraph, and a fresh one
      // follows the table to take whatever comes after it.
      parent->InsertChildAfter(m_cursor, std::move(table));
      auto after = NewParagraph(m_cursor->Format(), m_cursor->MarkFormat());
      Paragraph* p = after.get();
      parent->InsertChildAfter(m_table, std::move(after));
      MoveCursor(p, 0);
    }
  }
  auto row = MakeRef<RowNode>();
  m_row = row.get();
  m_table->AppendChild(std::move(row));
}

void DocumentBuilder::AddCell(const CellFormat& cell) {
  if (!m_row) return;
  if (*m_charRef != m_char) m_charRef = m_doc.CharFormats().Intern(m_char);
  if (*m_paraRef != m_para) m_paraRef = m_doc.ParaFormats().Intern(m_para);
  const bool first = m_row->FirstChild() == nullptr;
  m_row->format.cells.push_back(cell);
  auto node = MakeRef<CellNode>(cell);
  auto para = NewParagraph(m_paraRef, m_charRef);
  Paragraph* p = para.get();
  node->AppendChild(std::move(para));
  m_row->AppendChild(std::move(node));
  if (first) MoveCursor(p, 0);
}

void DocumentBuilder::EndCell() {
  CommitFormats();
  NoteRowUsed();
  auto* cell = EnclosingOf<CellNode>(m_cursor, NodeKind::Cell);
  if (!cell) return;
  m_cursor->SetMarkFormat(m_charRef);
  // After the last cell the cursor stays put: \row follows.
  Paragraph* next = FirstLeaf(cell->Next());
  if (!next) return;
  next->SetFormat(m_cursor->Format());
  next->SetMarkFormat(m_cursor->MarkFormat());
  MoveCursor(next, 0);
}

void DocumentBuilder::EndRow() {
  CommitFormats();
  auto* row = EnclosingOf<RowNode>(m_cursor, NodeKind::Row);
  if (!row) row = m_row;
  if (!row || !m_table) return;
  if (row == m_repeatRow) m_repeatRow = nullptr;
  auto copy = MakeRef<RowNode>(row->format);
  for (const CellFormat& cf : row->format.cells) {
    auto cell = MakeRef<CellNode>(cf);
    cell->AppendChild(NewParagraph(m_cursor->Format(), m_charRef));
    copy->AppendChild(std::move(cell));
  }
  m_repeatRow = m_row = copy.get();
  m_table->InsertChildAfter(row, std::move(copy));
  if (Paragraph* p = FirstLeaf(m_row)) MoveCursor(p, 0);
}

void DocumentBuilder::CloseTable() {
  if (m_repeatRow) TakeOut(m_repeatRow);
  TableNode* table = m_table;
  m_table = nullptr;
  m_row = m_repeatRow = nullptr;
  Paragraph* after = FirstLeaf(table->Next());
  if (!after) {
    auto p = NewParagraph(m_paraRef, m_charRef);
    after = p.get();
    table->Parent()->InsertChildAfter(table, std::move(p));
  }
  if (!table->FirstChild()) TakeOut(table);
  MoveCursor(after, 0);
}

void DocumentBuilder::AddLink(int type, std::string target) {
  const bool finished = type >= 0 && type < kNoLinkType;
  RefPtr<LinkTarget> link;
  if (finished) link = MakeRef<LinkTarget>(type, std::move(target));
  CharFormatPool& pool = m_doc.CharFormats();
  auto change = [&](const CharFormatRef& old) {
    CharFormat f = *old;
    if (finished) {
      f.linkType = static_cast<uint16_t>(type);
      f.link = link;
    } else {
      f.linkText = 0;
    }
    return pool.Intern(f);
  };

  Paragraph* p = m_cursor;
  size_t end = m_offset;
  while (p) {
    // Run starts up to `end`, then back over the runs that still qualify.
    std::vector<size_t> starts;
    size_t pos = 0;
    for (const Run& r : p->Runs()) {
      if (pos >= end) break;
      starts.push_back(pos);
      pos += r.length;
    }
    size_t begin = end;
    for (size_t i = starts.size(); i-- > 0;) {
      if (!PendingLinkText(*p->Runs()[i].format)) break;
      begin = starts[i];
    }
    p->ChangeFormats(begin, end, change);
    if (begin > 0) break;
    p = PrevLeaf(p);
    if (p) end = p->Length();
  }
  m_char.linkText = 0;
  m_char.linkType = kNoLinkType;
}

bool DocumentBuilder::RecordLevel(int32_t n) {
  if (n < 0 || static_cast<size_t>(n) != m_doc.Levels().Count()) return false;
  // A level belongs where the next text goes; text that leaves a table
  // closes it first.
  LeaveTableIfOutside();
  return m_doc.Levels().Record(n, Cursor());
}

void DocumentBuilder::Finish() {
  if (m_table) CloseTable();
  Paragraph* last = LastLeaf(m_doc.Root());
  // A trailing empty paragraph goes, unless nothing with text comes before
  // it (a table left without cells holds no paragraph to fall back on).
  Paragraph* prev = last && last->IsEmpty() && last->Prev() ? PrevLeaf(last) : nullptr;
  if (prev) {
    const bool cursorThere = m_cursor == last;
    TakeOut(last);
    if (cursorThere) MoveCursor(prev, prev->Length() - 1);
  }
  if (!m_unboundLevels.empty()) MoveCursor(m_cursor, m_offset);
}

void DocumentBuilder::SetCursor(TextPos pos) {
  TextPoint at = m_doc.PointAt(pos);
  MoveCursor(at.paragraph, at.offset);
}

}  // namespace textpane
