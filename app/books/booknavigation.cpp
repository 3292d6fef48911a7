#include "app/books/booknavigation.h"

#include <algorithm>

#include "platform/file.h"

namespace klmw {

namespace {

void Push(std::vector<CBookPlace>& places, const CBookPlace& place) {
  // The same place twice in a row would make one step do nothing.
  if (!places.empty() && places.back() == place) return;
  if (places.size() >= CBookHistory::kMaxPlaces) places.erase(places.begin());
  places.push_back(place);
}

}  // namespace

bool OpenBookForReading(cSOLTBook& book) {
  if (book.IsOpen(SOLT_ALL_FILES)) return true;
  try {
    return book.Open(SOLT_ALL_FILES) == SOLT_OK;
  } catch (const platform::FileException&) {
    return false;
  }
}

std::vector<cSectionsData> GetChildSections(cSOLTBook& book, int key) {
  std::vector<cSectionsData> children;
  if (!OpenBookForReading(book)) return children;
  try {
    if (key == kGlossaryKey) {
      for (int k = book.GetLastSectionKey() + 1; k <= book.GetLastKey(); ++k) {
        cSectionsData entry;
        if (book.GetEntry(k, entry) != 0) break;
        children.push_back(entry);
      }
      return children;
    }
    if (key < 0) {
      book.GetSectionsArray(0, children);
      return children;
    }
    cSectionsData entry;
    if (book.GetEntry(key, entry) != 0) return children;
    // A damaged table could link siblings in a ring; no section has more
    // siblings than the book has sections.
    const int limit = book.GetLastSectionKey() + 1;
    for (int k = entry.GetChildKey(); k > 0 && static_cast<int>(children.size()) < limit;) {
      cSectionsData child;
      if (book.GetEntry(k, child) != 0) break;
      children.push_back(child);
      k = child.GetNextKey();
    }
  } catch (const platform::FileException&) {
  }
  return children;
}

bool HasChildSections(cSOLTBook& book, const cSectionsData& section) {
  if (section.GetChildKey() <= 0 || !OpenBookForReading(book)) return false;
  try {
    cSectionsData child;
    return book.GetEntry(section.GetChildKey(), child) == 0;
  } catch (const platform::FileException&) {
    return false;
  }
}

int KeyOfLevel(cSOLTBook& book, const cSectionsData& shown, int level) {
  if (level < 0 || !OpenBookForReading(book)) return -1;
  const int key = shown.GetSectionKey() - shown.GetLevelCount() + level;
  try {
    cSectionsData entry;
    if (!book.IsValidKey(key) || book.GetEntry(key, entry) != 0) return -1;
    // The level must be that entry's own place in the same area.
    if (entry.GetBookKey() != shown.GetBookKey() || entry.GetLevelCount() != level) return -1;
  } catch (const platform::FileException&) {
    return -1;
  }
  return key;
}

bool StepSection(cSOLTBook& book, int key, int step, int& out) {
  out = key;
  if (!OpenBookForReading(book)) return false;
  try {
    if (book.IsValidKey(key + step)) out = key + step;
  } catch (const platform::FileException&) {
    return false;
  }
  return true;
}

int StepBook(int bookIndex, int step, int bookCount, const std::function<bool(int)>& usable) {
  if (bookCount <= 0) return 0;
  if (step == 0) return std::clamp(bookIndex, 0, bookCount - 1);
  const int dir = step > 0 ? 1 : -1;
  for (int i = bookIndex + dir; i >= 0 && i < bookCount; i += dir) {
    if (!usable || usable(i)) return i;
  }
  return std::clamp(bookIndex, 0, bookCount - 1);
}

void CBookHistory::Visit(const CBookPlace& left) {
  Push(m_back, left);
  m_forward.clear();
}

bool CBookHistory::Back(const CBookPlace& current, CBookPlace& to) {
  // Scrolling may already have brought the reader back to where a step
  // would go.
  while (!m_back.empty() && m_back.back() == current) m_back.pop_back();
  if (m_back.empty()) return false;
  to = m_back.back();
  m_back.pop_back();
  Push(m_forward, current);
  return true;
}

bool CBookHistory::Forward(const CBookPlace& current, CBookPlace& to) {
  while (!m_forward.empty() && m_forward.back() == current) m_forward.pop_back();
  if (m_forward.empty()) return false;
  to = m_forward.back();
  m_forward.pop_back();
  Push(m_back, current);
  return true;
}

void CBookHistory::Clear() {
  m_back.clear();
  m_forward.clear();
}

}  // namespace klmw
