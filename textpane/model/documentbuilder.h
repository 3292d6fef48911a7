// The one writer of a document: keeps an insertion cursor and the working
// formats a reader's groups write into, and turns reading events into tree
// changes. Changes to the working character and paragraph formats take
// effect at the next insertion. The builder must not outlive its document.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textpane/model/charformat.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

class DocumentBuilder {
 public:
  // Starts at the beginning of the document, with default working formats.
  explicit DocumentBuilder(CRtfDoc& doc);
  ~DocumentBuilder();
  DocumentBuilder(const DocumentBuilder&) = delete;
  DocumentBuilder& operator=(const DocumentBuilder&) = delete;

  // 13 ends the paragraph, but only at its end; other bytes go in as text.
  void InsertChar(unsigned char c);
  // As InsertChar for each byte, in one step for a whole run of text.
  void InsertText(std::string_view bytes);
  void InsertPicture(RefPtr<Picture> picture);

  CharFormat& CurrentCharFormat() { return m_char; }
  ParaFormat& CurrentParaFormat() { return m_para; }
  SectionFormat& CurrentSectionFormat() { return m_section; }
  DocFormat& DocumentFormat() { return m_doc.Format(); }
  // The definition of the row StartRow began; a scratch record outside rows.
  RowFormat& CurrentRowFormat() { return m_row ? m_row->format : m_scratchRow; }

  void StartSection();
  // Table structure, in the order the reader meets it: StartRow, one AddCell
  // per cell definition, text with EndCell after each cell, EndRow.
  void StartRow();
  void AddCell(const CellFormat& cell);
  void EndCell();
  void EndRow();

  // Finishes the pending link text just before the cursor; a type of 5 or
  // more cancels it instead.
  void AddLink(int type, std::string target);

  bool RecordLevel(int32_t n);
  TextPos LevelPosition(int32_t n) const { return m_doc.LevelPosition(n); }

  void Finish();
  void SetCursor(TextPos pos);
  TextPoint Cursor() const { return {m_cursor, m_offset}; }
  bool TableOpen() const { return m_table != nullptr; }

 private:
  void CommitFormats();
  void LeaveTableIfOutside();
  void CloseTable();
  void TakeOut(Node* n);
  void NoteRowUsed();
  void MoveCursor(Paragraph* p, size_t offset, bool bindLevels = true);
  RefPtr<Paragraph> NewParagraph(const ParaFormatRef& format, const CharFormatRef& mark);

  CRtfDoc& m_doc;
  CharFormat m_char;
  ParaFormat m_para;
  SectionFormat m_section;
  RowFormat m_scratchRow;
  CharFormatRef m_charRef;  // m_char as interned at the last commit
  ParaFormatRef m_paraRef;

  Paragraph* m_cursor;
  size_t m_offset = 0;
  TableNode* m_table = nullptr;
  RowNode* m_row = nullptr;  // the row last started or appended
  // The row EndRow appended in case the next row has no definition of its
  // own; it goes again unless text or a cell end lands in it.
  RowNode* m_repeatRow = nullptr;
  // Levels whose place was taken out; they go to the cursor's next place.
  std::vector<size_t> m_unboundLevels;
};

}  // namespace textpane
