#include "app/shell/ui/bibdoc.h"

#include "biblefile/biblemodule.h"

namespace klmw {

void CBibDoc::BindBible(const CBibleModule* bible) {
  if (bible == m_bible) return;
  m_bible = bible;
  if (m_textOpen) m_text.Close();
  m_textOpen = false;
  m_textFailed = false;
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
  return m_bible->GetVerseText(m_text, index + 1, text);
}

}  // namespace klmw
