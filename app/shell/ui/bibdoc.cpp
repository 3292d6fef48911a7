#include "app/shell/ui/bibdoc.h"

#include "biblefile/biblemodule.h"

namespace klmw {

void CBibDoc::BindBible(const CBibleModule* bible) {
  if (bible == m_bible) return;
  m_bible = bible;
  if (m_textOpen) m_text.Close();
  m_textOpen = false;
  m_textFailed = false;
  m_marks.clear();
  m_run.Reset([this](int index, std::string& text) { return ReadVerse(index, text); },
              bible ? bible->GetVerseCount() : 0);
}

bool CBibDoc::ReadVerse(int index, std::string& text) {
  if (!m_bible || m_textFailed) return false;
  // The file opens on the first read and stays open with the document.
  if (!m_textOpen) {
    m_textOpen = m_bible->OpenText(m_text);
    if (!m_textOpen) {
      m_textFailed = true;
      return false;
    }
  }
  if (!m_letters) return m_bible->GetVerseText(m_text, index + 1, text);
  std::string raw;
  if (!m_bible->ReadStoredVerse(m_text, index + 1, raw)) return false;
  std::vector<CFootnoteMark> marks;
  text = CleanVerseForDisplay(raw, marks);
  if (marks.empty()) {
    m_marks.erase(index);
  } else {
    m_marks[index] = std::move(marks);
  }
  return true;
}

void CBibDoc::SetFootnoteLetters(bool show) {
  if (show == m_letters) return;
  m_letters = show;
  m_marks.clear();
  m_run.Reset([this](int index, std::string& text) { return ReadVerse(index, text); },
              m_bible ? m_bible->GetVerseCount() : 0);
}

const std::vector<CFootnoteMark>* CBibDoc::FootnoteMarks(int index) const {
  const auto it = m_marks.find(index);
  return it == m_marks.end() ? nullptr : &it->second;
}

}  // namespace klmw
