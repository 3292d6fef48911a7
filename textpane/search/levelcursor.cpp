#include "textpane/search/levelcursor.h"

#include "textpane/model/paragraph.h"

namespace textpane {

LevelCursor::LevelCursor(const CRtfDoc& doc, int32_t level) : m_level(level) {
  TextPoint start = doc.Levels().At(level);
  if (!start.paragraph) start = {doc.FirstParagraph(), 0};
  m_paragraph = start.paragraph;
  if (!m_paragraph) return;
  m_position = doc.PositionOf(start);
  // Find the run holding the start and how much of it lies ahead.
  size_t runStart = 0;
  const std::vector<Run>& runs = m_paragraph->Runs();
  while (m_run < runs.size() && runStart + runs[m_run].length <= start.offset) runStart += runs[m_run++].length;
  m_offset = start.offset;
  Settle();
  if (m_paragraph && m_run < runs.size()) m_left = runStart + runs[m_run].length - start.offset;
}

unsigned char LevelCursor::Char() const { return static_cast<unsigned char>(m_paragraph->Text()[m_offset]); }

const char* LevelCursor::RunChars() const { return m_paragraph->Text().data() + m_offset; }

void LevelCursor::Advance(size_t n) {
  if (!m_paragraph) return;
  m_offset += n;
  m_position += static_cast<TextPos>(n);
  m_left -= n;
  if (m_left == 0) {
    ++m_run;
    Settle();
  }
}

void LevelCursor::Settle() {
  while (m_paragraph) {
    const std::vector<Run>& runs = m_paragraph->Runs();
    if (m_run >= runs.size()) {
      m_paragraph = NextLeaf(m_paragraph);
      m_run = 0;
      m_offset = 0;
      continue;
    }
    if (runs[m_run].length == 0) {
      ++m_run;
      continue;
    }
    m_format = &*runs[m_run].format;
    m_left = runs[m_run].length;
    if (m_format->level != m_level) m_paragraph = nullptr;
    return;
  }
}

}  // namespace textpane
