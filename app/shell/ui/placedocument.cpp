#include "app/shell/ui/placedocument.h"

namespace klmw {

void CPlaceDocument::SetPosition(int bookIndex, int sectionKey, int firstPosition,
                                 const std::string& search, int pageDownMode) {
  m_bookIndex = bookIndex;
  m_sectionKey = sectionKey;
  m_firstPosition = firstPosition;
  m_searchString = search.empty() ? " " : search;
  m_pageDownMode = pageDownMode;
  UpdateAllViews(nullptr, kHintPosition);
}

void CPlaceDocument::SetSectionKey(int key) {
  if (key == m_sectionKey) return;
  m_sectionKey = key;
  UpdateAllViews(nullptr, kHintPosition);
}

void CPlaceDocument::SetPageDownMode(int mode) {
  if (mode == m_pageDownMode) return;
  m_pageDownMode = mode;
  UpdateAllViews(nullptr, kHintPosition);
}

}  // namespace klmw
