#include "textpane/model/levels.h"

#include <algorithm>

#include "textpane/model/paragraph.h"

namespace textpane {

bool LevelTable::Record(int32_t n, TextPoint at) {
  if (n < 0 || static_cast<size_t>(n) != m_levels.size()) return false;
  if (m_levels.size() == m_levels.capacity()) {
    // Books hold from a few to tens of thousands of levels: grow in steps
    // that stay small for short books and bounded for long ones.
    const size_t step = std::clamp<size_t>(m_levels.capacity() / 8, 4, 1024);
    m_levels.reserve(m_levels.capacity() + step);
  }
  m_levels.push_back(at);
  return true;
}

TextPoint LevelTable::At(int32_t n) const {
  if (n < 0 || static_cast<size_t>(n) >= m_levels.size()) return {};
  return m_levels[static_cast<size_t>(n)];
}

void LevelTable::Clear() {
  m_levels.clear();
  m_levels.shrink_to_fit();
}

std::vector<size_t> LevelTable::Detach(const Node* removed) {
  // Whatever the builder takes out is the latest part of the document, so the
  // levels inside it are the last ones recorded; stopping at the first level
  // outside keeps this cheap however many levels a book has.
  std::vector<size_t> out;
  for (size_t i = m_levels.size(); i-- > 0;) {
    Paragraph* p = m_levels[i].paragraph;
    if (p && !removed->Contains(p)) break;
    if (p) {
      m_levels[i] = {};
      out.push_back(i);
    }
  }
  return out;
}

void LevelTable::Bind(const std::vector<size_t>& levels, TextPoint at) {
  for (size_t i : levels) m_levels[i] = at;
}

}  // namespace textpane
