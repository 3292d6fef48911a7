#include "app/shell/ui/placedocument.h"

#include <algorithm>
#include <iterator>

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

void CPlaceDocument::SetSearchResult(const std::vector<std::string>& words, const std::vector<int>& colors,
                                     CHitSet hits) {
  m_search.SetLastSearch(words, colors);
  m_searchHits = std::move(hits);
  UpdateAllViews(nullptr, kHintReload);
}

void CPlaceDocument::EndSearch() {
  m_search.Clear();
  m_searchHits = CHitSet(0);
  UpdateAllViews(nullptr, kHintSearchEnded);
}

void CPlaceDocument::GoToSection(int bookIndex, int key) {
  if (bookIndex == m_bookIndex && key == m_sectionKey) return;
  m_history.Visit({m_bookIndex, m_sectionKey});
  m_bookIndex = bookIndex;
  m_sectionKey = key;
  UpdateAllViews(nullptr, kHintPosition);
}

void CPlaceDocument::FollowSection(int key, const std::string& title) {
  m_sectionKey = key;
  SetTitle(title);
  UpdateAllViews(nullptr, kHintFollow);
}

int CPlaceDocument::SetTreeMode(int mode) {
  const int left = m_treeMode;
  mode = mode ? 1 : 0;
  m_modeKeys[left] = m_sectionKey;
  m_treeMode = mode;
  GoToSection(m_bookIndex, m_modeKeys[mode]);
  return left;
}

bool CPlaceDocument::IsVerseMarked(int index) const {
  auto it = std::upper_bound(m_markedVerses.begin(), m_markedVerses.end(), index,
                             [](int i, const CVerseSpan& s) { return i < s.first; });
  return it != m_markedVerses.begin() && index <= std::prev(it)->last;
}

int CPlaceDocument::NextMarkedVerse(int top) const {
  for (const CVerseSpan& s : m_markedVerses)
    if (s.first > top) return s.first;
  return -1;
}

int CPlaceDocument::PreviousMarkedVerse(int top) const {
  for (auto it = m_markedVerses.rbegin(); it != m_markedVerses.rend(); ++it)
    if (it->first < top) return it->first;
  return -1;
}

bool CPlaceDocument::GoBack() {
  CBookPlace to;
  if (!m_history.Back({m_bookIndex, m_sectionKey}, to)) return false;
  m_bookIndex = to.book;
  m_sectionKey = to.key;
  UpdateAllViews(nullptr, kHintPosition);
  return true;
}

bool CPlaceDocument::GoForward() {
  CBookPlace to;
  if (!m_history.Forward({m_bookIndex, m_sectionKey}, to)) return false;
  m_bookIndex = to.book;
  m_sectionKey = to.key;
  UpdateAllViews(nullptr, kHintPosition);
  return true;
}

}  // namespace klmw
