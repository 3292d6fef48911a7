#include "app/bibles/verserun.h"

#include <algorithm>

namespace klmw {

void CVerseRun::Reset(Reader reader, int verseCount) {
  m_reader = std::move(reader);
  m_verseCount = std::max(0, verseCount);
  m_first = 0;
  m_texts.clear();
  m_reads = 0;
}

std::string CVerseRun::Read(int index) {
  std::string text;
  ++m_reads;
  if (!m_reader || !m_reader(index, text)) text.clear();
  return text;
}

void CVerseRun::Load(int start, int length) {
  if (m_verseCount <= 0) return;
  length = std::clamp(length, 1, std::min(kMaxLength, m_verseCount));
  start = std::clamp(start, 0, m_verseCount - length);
  const int last = m_first + Count() - 1;
  if (!m_texts.empty() && start == m_first - 1) {
    m_texts.push_front(Read(start));
    m_first = start;
    if (Count() > length) m_texts.pop_back();
    return;
  }
  if (!m_texts.empty() && start + length - 1 == last + 1) {
    m_texts.push_back(Read(last + 1));
    while (Count() > length) {
      m_texts.pop_front();
      ++m_first;
    }
    return;
  }
  if (!m_texts.empty() && start == m_first && Count() == length) return;
  m_texts.clear();
  m_first = start;
  for (int i = 0; i < length; ++i) m_texts.push_back(Read(start + i));
}

const std::string& CVerseRun::Get(int index) {
  if (index < 0 || index >= m_verseCount) return m_empty;
  if (!Contains(index)) {
    if (!m_texts.empty() && index == m_first - 1) {
      m_texts.push_front(Read(index));
      m_first = index;
      if (Count() > kMaxLength) m_texts.pop_back();
    } else if (!m_texts.empty() && index == m_first + Count()) {
      m_texts.push_back(Read(index));
      if (Count() > kMaxLength) {
        m_texts.pop_front();
        ++m_first;
      }
    } else {
      Load(index);
    }
  }
  return m_texts[static_cast<size_t>(index - m_first)];
}

}  // namespace klmw
