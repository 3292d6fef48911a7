#include "textpane/layout/layout.h"

#include "textpane/layout/breaker.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "textpane/model/charcase.h"
#include "textpane/model/charformat.h"
#include "textpane/model/node.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/picture.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {


DocumentLayout::DocumentLayout() = default;
DocumentLayout::~DocumentLayout() = default;

void DocumentLayout::Clear() {
  m_doc = nullptr;
  m_breaker.reset();
  m_paragraphs.clear();
  m_lines.clear();
  m_bands.clear();
  m_rows.clear();
  m_cells.clear();
  m_height = 0;
  m_contentWidth = 0;
  for (auto& e : m_widthCache) {
    e.paragraph = nullptr;
    e.stamp = 0;
  }
}

void DocumentLayout::Layout(const CRtfDoc& doc, std::shared_ptr<FontCache> fonts, int32_t width,
                            int32_t pageWidth, int32_t pageHeight) {
  Clear();
  m_doc = &doc;
  m_fonts = std::move(fonts);
  m_width = std::max(0, width);
  m_pageWidth = pageWidth;
  m_pageHeight = pageHeight;
  m_contentWidth = m_width;
  m_breaker = std::make_unique<Breaker>(doc, *m_fonts, pageWidth, pageHeight);
  {
    CharFormat deflt;
    deflt.font = static_cast<uint16_t>(doc.Fonts().defaultFont);
    m_defaultLineHeight = m_fonts->Get(FontCache::Describe(deflt, doc.Fonts()))->lineHeight;
  }
  m_paragraphs.reserve(doc.ParagraphCount());
  int64_t y = 0;
  if (doc.Root()) LayoutNode(*doc.Root(), y);
  m_height = y;
  // Growth leaves up to half the room unused; a book's layout lives long.
  m_lines.shrink_to_fit();
  m_bands.shrink_to_fit();
}

void DocumentLayout::LayoutNode(const Node& node, int64_t& y) {
  switch (node.Kind()) {
    case NodeKind::Paragraph: {
      LayoutBand band;
      band.top = y;
      band.firstParagraph = static_cast<uint32_t>(m_paragraphs.size());
      m_bands.push_back(band);
      y += LayoutParagraph(*node.AsParagraph(), 0, m_width, y);
      return;
    }
    case NodeKind::Row:
      LayoutRow(static_cast<const RowNode&>(node), y);
      return;
    default:
      for (const Node* c = node.FirstChild(); c; c = c->Next()) LayoutNode(*c, y);
  }
}

int32_t DocumentLayout::LayoutParagraph(const Paragraph& p, int32_t left, int32_t width, int64_t top) {
  const ParaFormat& pf = *p.Format();
  PlacedParagraph placed;
  placed.paragraph = &p;
  placed.top = top;
  placed.left = left;
  placed.width = width;
  placed.firstLine = static_cast<uint32_t>(m_lines.size());
  m_breaker->Measure(p);
  m_breaker->Break(p, width, m_doc->Format().defaultTab, m_lines, nullptr);
  int64_t h = std::max<int16_t>(0, pf.spaceBefore) + BorderRoom(pf.borders[kSideTop]);
  for (uint32_t i = placed.firstLine; i < m_lines.size(); ++i) {
    const LayoutLine& l = m_lines[i];
    h += l.height;
    m_contentWidth = std::max<int32_t>(m_contentWidth, Clamp32(int64_t{left} + l.x + l.width));
  }
  h += BorderRoom(pf.borders[kSideBottom]) + std::max<int16_t>(0, pf.spaceAfter);
  placed.height = Clamp32(h);
  m_paragraphs.push_back(placed);
  return placed.height;
}

void DocumentLayout::LayoutRow(const RowNode& row, int64_t& y) {
  const RowFormat& rf = row.format;
  PlacedRow placed;
  placed.row = &row;
  placed.top = y;
  placed.firstCell = static_cast<uint32_t>(m_cells.size());
  const int32_t rowIndex = static_cast<int32_t>(m_rows.size());

  int32_t lastRight = rf.left;
  for (const Node* c = row.FirstChild(); c; c = c->Next()) {
    if (c->Kind() == NodeKind::Cell) lastRight = static_cast<const CellNode*>(c)->format.rightBoundary;
  }
  int32_t start = rf.left;
  const int32_t rowWidth = lastRight - rf.left;
  if (rowWidth < m_width) {
    if (rf.alignment == kAlignRight) start = m_width - rowWidth;
    if (rf.alignment == kAlignCentre) start = (m_width - rowWidth) / 2;
  }
  placed.left = start;

  LayoutBand band;
  band.top = y;
  band.firstParagraph = static_cast<uint32_t>(m_paragraphs.size());
  band.row = rowIndex;
  const int32_t gap = std::max<int16_t>(0, rf.halfGap);
  int32_t prevEnd = start;
  int32_t tallest = std::abs(static_cast<int32_t>(rf.height));
  for (const Node* c = row.FirstChild(); c; c = c->Next()) {
    if (c->Kind() != NodeKind::Cell) continue;
    PlacedCell cell;
    cell.left = prevEnd;
    cell.right = std::max(prevEnd, start + static_cast<const CellNode*>(c)->format.rightBoundary);
    cell.firstParagraph = static_cast<uint32_t>(m_paragraphs.size());
    const int32_t contentWidth = std::max(0, cell.right - cell.left - 2 * gap);
    int64_t cy = y;
    for (const Paragraph* p = FirstLeaf(c); p && c->Contains(p); p = NextLeaf(p)) {
      cy += LayoutParagraph(*p, cell.left + gap, contentWidth, cy);
    }
    cell.paragraphCount = static_cast<uint32_t>(m_paragraphs.size() - cell.firstParagraph);
    cell.height = Clamp32(cy - y);
    tallest = std::max(tallest, cell.height);
    m_contentWidth = std::max(m_contentWidth, cell.right);
    m_cells.push_back(cell);
    prevEnd = cell.right;
  }
  placed.cellCount = static_cast<uint32_t>(m_cells.size() - placed.firstCell);
  placed.height = tallest;
  m_rows.push_back(placed);
  m_bands.push_back(band);
  y += tallest;
}

size_t DocumentLayout::IndexOf(const Paragraph* p) const {
  // The layout places paragraphs in document order, so the document's own
  // index finds them.
  const size_t i = m_doc && p ? m_doc->ParagraphIndexOf(p) : m_paragraphs.size();
  return i < m_paragraphs.size() && m_paragraphs[i].paragraph == p ? i : m_paragraphs.size();
}

std::span<const LayoutLine> DocumentLayout::Lines(const PlacedParagraph& p) const {
  const size_t i = IndexOf(p);
  const size_t end = i + 1 < m_paragraphs.size() ? m_paragraphs[i + 1].firstLine : m_lines.size();
  return {m_lines.data() + p.firstLine, end - p.firstLine};
}

int32_t DocumentLayout::Widest(const PlacedParagraph& p) const {
  int32_t widest = 0;
  for (const LayoutLine& l : Lines(p)) widest = std::max(widest, l.width);
  return widest;
}

int32_t DocumentLayout::LinesTop(const PlacedParagraph& p) const {
  const ParaFormat& pf = *p.paragraph->Format();
  return std::max<int16_t>(0, pf.spaceBefore) + BorderRoom(pf.borders[kSideTop]);
}

int32_t DocumentLayout::BandHeight(size_t band) const {
  const int64_t end = band + 1 < m_bands.size() ? m_bands[band + 1].top : m_height;
  return Clamp32(end - m_bands[band].top);
}

std::span<const PlacedParagraph> DocumentLayout::BandParagraphs(size_t band) const {
  const size_t first = m_bands[band].firstParagraph;
  const size_t end = band + 1 < m_bands.size() ? m_bands[band + 1].firstParagraph : m_paragraphs.size();
  return {m_paragraphs.data() + first, end - first};
}

const PlacedParagraph* DocumentLayout::Find(const Paragraph* p) const {
  const size_t i = IndexOf(p);
  return i < m_paragraphs.size() ? &m_paragraphs[i] : nullptr;
}

size_t DocumentLayout::BandAt(int64_t y) const {
  if (m_bands.empty()) return 0;
  auto it = std::upper_bound(m_bands.begin(), m_bands.end(), y,
                             [](int64_t v, const LayoutBand& b) { return v < b.top; });
  return it == m_bands.begin() ? 0 : static_cast<size_t>(it - m_bands.begin()) - 1;
}

const PlacedParagraph* DocumentLayout::ParagraphAtY(size_t bandIndex, int32_t x, int64_t y) const {
  const LayoutBand& band = m_bands[bandIndex];
  auto paragraphs = BandParagraphs(bandIndex);
  if (paragraphs.empty()) return nullptr;
  size_t first = IndexOf(paragraphs.front()), count = paragraphs.size();
  if (band.row >= 0) {
    const PlacedRow& r = m_rows[static_cast<size_t>(band.row)];
    // The cell under x; left of the row the first, right of it the last.
    const PlacedCell* cell = nullptr;
    for (uint32_t c = 0; c < r.cellCount; ++c) {
      const PlacedCell& pc = m_cells[r.firstCell + c];
      if (pc.paragraphCount == 0) continue;
      cell = &pc;
      if (x < pc.right) break;
    }
    if (!cell) return nullptr;
    first = cell->firstParagraph;
    count = cell->paragraphCount;
  }
  for (size_t i = first; i < first + count; ++i) {
    const PlacedParagraph& p = m_paragraphs[i];
    if (y < p.top + p.height || i + 1 == first + count) return &p;
  }
  return nullptr;
}

TextPoint DocumentLayout::HitTest(int32_t x, int64_t y) const {
  if (m_bands.empty()) return {};
  const PlacedParagraph* p = ParagraphAtY(BandAt(y), x, y);
  if (!p) return {};
  auto lines = Lines(*p);
  if (lines.empty()) return {};
  int64_t top = p->top + LinesTop(*p);
  size_t li = 0;
  for (; li + 1 < lines.size(); ++li) {
    if (y < top + lines[li].height) break;
    top += lines[li].height;
  }
  const LayoutLine& line = lines[li];
  auto widths = Widths(*p);
  int64_t cx = int64_t{p->left} + line.x;
  for (uint32_t i = line.start; i <= line.end && i < widths.size(); ++i) {
    if (x < cx + widths[i] / 2) return {const_cast<Paragraph*>(p->paragraph), i};
    cx += widths[i];
  }
  const bool lastLine = li + 1 == lines.size();
  return {const_cast<Paragraph*>(p->paragraph), lastLine ? line.end : line.end + 1};
}

TextPoint DocumentLayout::TopLinePoint(int64_t y) const {
  if (m_bands.empty()) return {};
  for (size_t b = BandAt(y); b < m_bands.size(); ++b) {
    for (const PlacedParagraph& p : BandParagraphs(b)) {
      int64_t top = p.top + LinesTop(p);
      for (const LayoutLine& l : Lines(p)) {
        if (top + l.height > y) return {const_cast<Paragraph*>(p.paragraph), l.start};
        top += l.height;
      }
    }
  }
  const PlacedParagraph& p = m_paragraphs.back();
  return {const_cast<Paragraph*>(p.paragraph), Lines(p).empty() ? 0 : Lines(p).back().start};
}

DocumentLayout::Place DocumentLayout::Locate(TextPoint at) const {
  Place place;
  const PlacedParagraph* p = Find(at.paragraph);
  if (!p) return place;
  auto lines = Lines(*p);
  if (lines.empty()) return place;
  int64_t top = p->top + LinesTop(*p);
  size_t li = 0;
  for (; li + 1 < lines.size() && at.offset > lines[li].end; ++li) top += lines[li].height;
  const LayoutLine& line = lines[li];
  auto widths = Widths(*p);
  int64_t x = int64_t{p->left} + line.x;
  for (size_t i = line.start; i < at.offset && i < widths.size(); ++i) x += widths[i];
  place.lineTop = top;
  place.lineHeight = line.height;
  place.x = Clamp32(x);
  place.width = at.offset < widths.size() ? widths[at.offset] : 0;
  place.found = true;
  return place;
}

void DocumentLayout::ForEachRangeRect(
    TextPoint a, TextPoint b, int64_t fromY, int64_t toY,
    const std::function<void(int64_t top, int32_t left, int32_t right, int32_t height)>& rect) const {
  if (!m_doc || m_bands.empty() || !a.paragraph || !b.paragraph) return;
  size_t ia = IndexOf(a.paragraph), ib = IndexOf(b.paragraph);
  if (ia >= m_paragraphs.size() || ib >= m_paragraphs.size()) return;
  if (ia > ib || (ia == ib && a.offset > b.offset)) {
    std::swap(a, b);
    std::swap(ia, ib);
  }
  if (ia == ib && a.offset == b.offset) return;
  for (size_t bi = BandAt(fromY); bi < m_bands.size() && m_bands[bi].top < toY; ++bi) {
    for (const PlacedParagraph& p : BandParagraphs(bi)) {
      const size_t pi = IndexOf(p);
      if (pi < ia || pi > ib) continue;
      const size_t from = pi == ia ? a.offset : 0;
      const size_t to = pi == ib ? b.offset : p.paragraph->Length();  // exclusive
      auto widths = Widths(p);
      int64_t top = p.top + LinesTop(p);
      for (const LayoutLine& l : Lines(p)) {
        const int64_t lineTop = top;
        top += l.height;
        if (top <= fromY || lineTop >= toY || l.end < from || l.start >= to) continue;
        int64_t x = int64_t{p.left} + l.x, left = x, right = x;
        for (size_t i = l.start; i <= l.end && i < widths.size(); ++i) {
          if (i == from) left = x;
          x += widths[i];
          if (i < to) right = x;
        }
        if (from < l.start) left = int64_t{p.left} + l.x;
        if (right > left) rect(lineTop, Clamp32(left), Clamp32(right), l.height);
      }
    }
  }
}

const DocumentLayout::WidthCacheEntry& DocumentLayout::CachedWidths(const PlacedParagraph& p) const {
  WidthCacheEntry* victim = &m_widthCache[0];
  for (WidthCacheEntry& e : m_widthCache) {
    if (e.paragraph == p.paragraph) {
      e.stamp = ++m_widthClock;
      return e;
    }
    if (e.stamp < victim->stamp) victim = &e;
  }
  WidthCacheEntry& e = *victim;
  e.stamp = ++m_widthClock;
  e.paragraph = p.paragraph;
  e.leaders.clear();
  std::vector<LayoutLine> lines;
  m_breaker->Measure(*p.paragraph);
  m_breaker->Break(*p.paragraph, p.width, m_doc->Format().defaultTab, lines, &e.leaders);
  e.widths.swap(m_breaker->Widths());
  // A very long paragraph is not worth keeping twice.
  if (e.widths.capacity() > (1u << 22)) m_breaker->Widths().clear();
  return e;
}

std::span<const int32_t> DocumentLayout::Widths(const PlacedParagraph& p) const {
  if (!m_breaker) return {};
  return CachedWidths(p).widths;
}

uint8_t DocumentLayout::TabLeader(const PlacedParagraph& p, uint32_t offset) const {
  if (!m_breaker) return kLeaderNone;
  for (const auto& [at, leader] : CachedWidths(p).leaders) {
    if (at == offset) return leader;
  }
  return kLeaderNone;
}

std::vector<int64_t> DocumentLayout::PageStarts(int32_t pageHeight) const {
  std::vector<int64_t> starts{0};
  if (pageHeight <= 0) return starts;
  auto place = [&](int64_t top, int64_t bottom) {
    while (bottom > starts.back() + pageHeight) {
      // What does not fit starts the next page, unless it starts this one
      // already; then it is cut where the page ends.
      starts.push_back(top > starts.back() ? top : starts.back() + pageHeight);
      top = starts.back();
    }
  };
  for (size_t b = 0; b < m_bands.size(); ++b) {
    const LayoutBand& band = m_bands[b];
    if (band.row >= 0) {
      place(band.top, band.top + BandHeight(b));
      continue;
    }
    const PlacedParagraph& p = m_paragraphs[band.firstParagraph];
    int64_t top = p.top + LinesTop(p);
    for (const LayoutLine& l : Lines(p)) {
      place(top, top + l.height);
      top += l.height;
    }
  }
  return starts;
}

size_t DocumentLayout::MemoryUsed() const {
  size_t n = sizeof *this + m_paragraphs.capacity() * sizeof(PlacedParagraph) +
             m_lines.capacity() * sizeof(LayoutLine) + m_bands.capacity() * sizeof(LayoutBand) +
             m_rows.capacity() * sizeof(PlacedRow) + m_cells.capacity() * sizeof(PlacedCell);
  for (const WidthCacheEntry& e : m_widthCache) n += e.widths.capacity() * sizeof(int32_t);

  return n;
}

}  // namespace textpane
