#include "app/bibles/bibleviewcore.h"

#include <algorithm>

#include "app/bibles/verserun.h"
#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"

namespace klmw {

CBibleViewCore::CBibleViewCore(std::shared_ptr<textpane::FontCache> fonts, int32_t pixel, const CBibleFontSizes& sizes)
    : m_layout(std::move(fonts), pixel, sizes) {}

void CBibleViewCore::SetBible(const CBibleModule* bible, CVerseRun* run, const std::string& code) {
  m_bible = bible;
  m_run = run;
  m_code = code;
  m_built = false;
  ClearSelection();
  SetTop(m_top, m_lineOffset);
}

void CBibleViewCore::SetSize(int32_t width, int32_t height) {
  if (width == m_width && height == m_height) return;
  m_width = std::max<int32_t>(0, width);
  m_height = std::max<int32_t>(0, height);
  m_built = false;
  m_verses.clear();
}

int CBibleViewCore::GetLastVerse() const {
  if (!m_bible) return 0;
  return std::clamp(m_bible->GetVerseCount() - 1, 0, kLastVerseIndex);
}

bool CBibleViewCore::SetTop(int verse, int lineOffset) {
  verse = std::clamp(verse, 0, GetLastVerse());
  lineOffset = lineOffset > 0 && m_bible ? std::min(lineOffset, LinesOf(verse) - 1) : 0;
  if (verse == m_top && lineOffset == m_lineOffset) return false;
  m_top = verse;
  m_lineOffset = std::max(0, lineOffset);
  m_built = false;
  return true;
}

CVerse CBibleViewCore::MakeVerse(int index, int32_t width, int32_t y) {
  CVerse v = PrepareVerse(index);
  m_layout.Layout(v, width, y);
  return v;
}

CVerse CBibleViewCore::PrepareVerse(int index) {
  CVerse v;
  v.index = index;
  if (m_bible) m_bible->IndexToPlace(index, v.book, v.chapter, v.verse);
  if (m_run) v.text = m_run->Get(index);
  if (v.verse == 0) {
    const std::string name = v.book < kBibleBookCount ? GetBookName(m_code, v.book + 1)
                                                      : (m_bible ? m_bible->GetBookLabel(v.book + 1) : std::string());
    v.headingText = name + " " + std::to_string(v.chapter + 1);
  }
  if (m_decorator) m_decorator(v);
  return v;
}

int CBibleViewCore::LinesOf(int index) {
  for (const CVerse& v : m_verses)
    if (v.index == index && v.laidOut) return std::max<int>(1, static_cast<int>(v.lines.size()));
  return std::max<int>(1, static_cast<int>(MakeVerse(index, m_width).lines.size()));
}

void CBibleViewCore::Build() {
  if (m_built) return;
  m_built = true;
  m_verses.clear();
  if (!m_bible || !m_run || m_width <= 0) return;
  const int last = GetLastVerse();
  // The line inside the top verse sits at the window's top.
  CVerse top = MakeVerse(m_top, m_width, 0);
  int32_t y = 0;
  if (m_lineOffset > 0 && static_cast<size_t>(m_lineOffset) < top.lines.size()) {
    y = -top.lines[static_cast<size_t>(m_lineOffset)].y;
    m_layout.Layout(top, m_width, y);
  }
  y = top.bottom;
  m_verses.push_back(std::move(top));
  for (int i = m_top + 1; i <= last && y < m_height; ++i) {
    m_verses.push_back(MakeVerse(i, m_width, y));
    y = m_verses.back().bottom;
  }
}

const std::vector<CVerse>& CBibleViewCore::Verses() {
  Build();
  return m_verses;
}

int CBibleViewCore::VersesShown() {
  Build();
  int n = 0;
  for (const CVerse& v : m_verses)
    if (v.bottom <= m_height) ++n;
  return std::max(1, n);
}

int CBibleViewCore::LinesShown() const { return std::max(1, m_height / m_layout.LineHeight()); }

void CBibleViewCore::Draw(textpane::Surface& surface, const CBibleColours& colours) {
  Build();
  for (const CVerse& v : m_verses) {
    if (v.bottom <= 0) continue;
    m_layout.Draw(surface, v, m_width, 0, colours, &m_selection);
  }
}

int CBibleViewCore::FirstOfChapter(int index, int step) const {
  int b = 0, c = 0, v = 0;
  if (!m_bible || !m_bible->IndexToPlace(index, b, c, v)) return index;
  if (step > 0) {
    int next = m_bible->PlaceToIndex(b, c + 1, 0);
    if (next < 0) next = m_bible->PlaceToIndex(b + 1, 0, 0);
    return next < 0 ? index : next;
  }
  if (v > 0) return m_bible->PlaceToIndex(b, c, 0);
  if (c > 0) return m_bible->PlaceToIndex(b, c - 1, 0);
  if (b == 0) return index;
  int lastChapter = 0;
  while (m_bible->PlaceToIndex(b - 1, lastChapter + 1, 0) >= 0) ++lastChapter;
  return m_bible->PlaceToIndex(b - 1, lastChapter, 0);
}

int CBibleViewCore::FirstOfBook(int index, int step) const {
  int b = 0, c = 0, v = 0;
  if (!m_bible || !m_bible->IndexToPlace(index, b, c, v)) return index;
  if (step > 0) {
    const int next = m_bible->PlaceToIndex(b + 1, 0, 0);
    return next < 0 ? index : next;
  }
  const int start = m_bible->PlaceToIndex(b, 0, 0);
  if (index > start || b == 0) return start;
  return m_bible->PlaceToIndex(b - 1, 0, 0);
}

bool CBibleViewCore::PageDown(int mode, bool byLine) {
  if (mode == kPageByChapter) return SetTop(FirstOfChapter(m_top, 1));
  if (mode == kPageByBook) return SetTop(FirstOfBook(m_top, 1));
  if (!byLine) return SetTop(m_top + VersesShown());
  int lines = std::max(1, LinesShown() - 1);
  int index = m_top, offset = m_lineOffset;
  const int last = GetLastVerse();
  while (lines > 0) {
    const int n = LinesOf(index);
    if (offset + lines < n) {
      offset += lines;
      break;
    }
    if (index == last) {
      offset = n - 1;
      break;
    }
    lines -= n - offset;
    ++index;
    offset = 0;
  }
  return SetTop(index, offset);
}

bool CBibleViewCore::PageUp(int mode, bool byLine) {
  if (mode == kPageByChapter) return SetTop(FirstOfChapter(m_top, -1));
  if (mode == kPageByBook) return SetTop(FirstOfBook(m_top, -1));
  if (!byLine) {
    // The verses above that fill the window, one at least.
    int index = m_top;
    int32_t filled = 0;
    while (index > 0) {
      const CVerse v = MakeVerse(index - 1, m_width);
      if (filled + (v.bottom - v.top) > m_height && index < m_top) break;
      filled += v.bottom - v.top;
      --index;
    }
    return SetTop(index);
  }
  int lines = std::max(1, LinesShown() - 1);
  int index = m_top, offset = m_lineOffset;
  while (lines > 0) {
    if (offset > 0) {
      const int d = std::min(offset, lines);
      offset -= d;
      lines -= d;
    } else {
      if (index == 0) break;
      --index;
      offset = LinesOf(index) - 1;
      --lines;
    }
  }
  return SetTop(index, offset);
}

bool CBibleViewCore::HitTest(int32_t x, int32_t y, int& verse, int& offset) {
  Build();
  if (m_verses.empty()) return false;
  const CVerse* hit = &m_verses.front();
  if (y >= m_verses.front().top) {
    for (const CVerse& v : m_verses) {
      hit = &v;
      if (y < v.bottom) break;
    }
  }
  verse = hit->index;
  offset = y < hit->top ? 0 : m_layout.HitTest(*hit, x, y);
  return true;
}

void CBibleViewCore::BeginSelection(int32_t x, int32_t y) {
  m_selection = {};
  if (!HitTest(x, y, m_anchorVerse, m_anchorChar)) m_anchorVerse = -1;
}

void CBibleViewCore::ExtendSelection(int32_t x, int32_t y) {
  int verse = 0, offset = 0;
  if (m_anchorVerse < 0 || !HitTest(x, y, verse, offset)) return;
  const bool forward = verse > m_anchorVerse || (verse == m_anchorVerse && offset >= m_anchorChar);
  m_selection = forward ? CVerseSelection{m_anchorVerse, m_anchorChar, verse, offset}
                        : CVerseSelection{verse, offset, m_anchorVerse, m_anchorChar};
}

}  // namespace klmw
