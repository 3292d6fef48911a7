#include "textpane/view/rtfviewcore.h"

#include "textpane/rtf/outstream.h"
#include "textpane/rtf/rtfwriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "textpane/model/paragraph.h"
#include "textpane/rtf/outstream.h"
#include "textpane/rtf/rtfwriter.h"
#include "textpane/search/levelcursor.h"
#include "textpane/view/rangecopy.h"

namespace textpane {

namespace {

// The zoom steps of Ctrl+Plus and Ctrl+Minus.
constexpr int kZoomSteps[] = {50, 67, 75, 90, 100, 110, 125, 150, 175, 200};

const Node* CellOf(const Paragraph* p) {
  const Node* parent = p ? p->Parent() : nullptr;
  return parent && parent->Kind() == NodeKind::Cell ? parent : nullptr;
}

const Node* RowOf(const Paragraph* p) {
  const Node* cell = CellOf(p);
  return cell ? cell->Parent() : nullptr;
}

}  // namespace

CRtfViewCore::CRtfViewCore(FontSystem& fonts, int pixelsPerInch)
    : m_fontSystem(fonts),
      m_pixelsPerInch(std::max(1, pixelsPerInch)),
      m_unitsPerPixel(UnitsPerPixel(kDefaultScaling, m_pixelsPerInch)),
      m_fonts(FontCache::ForScaling(fonts, kDefaultScaling)) {}

CRtfViewCore::~CRtfViewCore() { DropLayout(); }

int CRtfViewCore::UnitsPerPixel(int scaling, int pixelsPerInch) {
  if (scaling <= 0 || pixelsPerInch <= 0) return 1;
  // An inch is 1440 × 100 ÷ scaling units, rounded to whole units per pixel.
  const double perPixel = 144000.0 / scaling / pixelsPerInch;
  return std::max(1, static_cast<int>(std::lround(perPixel)));
}

// --- document ---------------------------------------------------------------

void CRtfViewCore::SetDocument(const CRtfDoc* doc) {
  m_doc = doc;
  SetTree(doc ? doc->Root() : nullptr);
}

void CRtfViewCore::SetTree(Node* root) {
  DropLayout();
  m_root = root;
  m_anchor = m_focus = {};
  m_haveKeepTop = false;
  m_y = 0;
  m_x = 0;
  // Whatever level a new text opens at was not reached by scrolling.
  m_levelSilently = true;
}

void CRtfViewCore::Invalidate() {
  if (m_layoutValid && !m_layout.IsEmpty() && !m_haveKeepTop) {
    m_keepTop = TopPoint();
    m_haveKeepTop = true;
  }
  m_layoutValid = false;
}

void CRtfViewCore::DropLayout() {
  m_layout.Clear();
  m_layoutValid = false;
}

const DocumentLayout& CRtfViewCore::Layout() {
  EnsureLayout();
  return m_layout;
}

void CRtfViewCore::EnsureLayout() {
  if (m_layoutValid) return;
  if (!m_doc || !m_root || m_doc->Root() != m_root || m_clientWidth <= 0) {
    // Nothing to show yet, or no width to break lines for: keep the
    // wanted top for when there is.
    m_layout.Clear();
    return;
  }
  m_layout.Layout(*m_doc, m_fonts, m_clientWidth * m_unitsPerPixel);
  m_layoutValid = true;
  if (m_haveKeepTop) {
    m_haveKeepTop = false;
    const DocumentLayout::Place place = m_layout.Locate(m_keepTop);
    if (place.found) m_y = place.lineTop;
  }
  m_y = std::clamp<int64_t>(m_y, 0, MaxTop());
  m_x = std::clamp<int32_t>(m_x, 0, MaxLeft());
  if (m_levelSilently && !m_layout.IsEmpty()) {
    m_levelSilently = false;
    const int32_t shown = LevelAt(TopPoint());
    if (shown >= 0) m_lastLevel = shown;
  }
}

TextPoint CRtfViewCore::TopPoint() {
  EnsureLayout();
  if (m_layout.IsEmpty()) return m_haveKeepTop ? m_keepTop : TextPoint{};
  return m_layout.TopLinePoint(m_y);
}

int32_t CRtfViewCore::LevelAt(TextPoint p) const {
  if (!p.paragraph || p.offset >= p.paragraph->Length()) return -1;
  return p.paragraph->FormatAt(p.offset)->level;
}

// --- geometry ---------------------------------------------------------------

CRtfViewCore::Scroll CRtfViewCore::Resize(int widthPixels, int heightPixels) {
  widthPixels = std::max(0, widthPixels);
  heightPixels = std::max(0, heightPixels);
  Scroll s;
  if (widthPixels != m_clientWidth) {
    Invalidate();
    m_clientWidth = widthPixels;
    s.repaint = true;
  }
  m_clientHeight = heightPixels;
  if (m_layoutValid) {
    const int64_t y = std::clamp<int64_t>(m_y, 0, MaxTop());
    if (y != m_y) {
      m_y = y;
      s.repaint = true;
    }
  }
  return s;
}

DrawArea CRtfViewCore::AreaFor(int px, int py, int widthPixels, int heightPixels) const {
  const int32_t k = m_unitsPerPixel;
  DrawArea area;
  area.originY = m_y;
  area.originX = m_x;
  area.clip = {px * k, py * k, (px + widthPixels) * k, (py + heightPixels) * k};
  return area;
}

// --- scrolling --------------------------------------------------------------

int64_t CRtfViewCore::MaxTop() {
  EnsureLayout();
  return std::max<int64_t>(0, m_layout.Height() - int64_t{m_clientHeight} * m_unitsPerPixel);
}

int32_t CRtfViewCore::MaxLeft() {
  EnsureLayout();
  if (m_layout.IsEmpty()) return 0;
  return std::max<int32_t>(0, m_layout.ContentWidth() - m_clientWidth * m_unitsPerPixel);
}

int32_t CRtfViewCore::LineIncrement() {
  EnsureLayout();
  const int32_t k = m_unitsPerPixel;
  int32_t height = m_layout.DefaultLineHeight();
  if (height <= 0) height = 240;  // a line of 12-point text
  return std::max(1, (height + k / 2) / k) * k;
}

int64_t CRtfViewCore::PageIncrement() {
  const int32_t line = LineIncrement();
  const int64_t client = int64_t{m_clientHeight} * m_unitsPerPixel;
  return client < 2 * int64_t{line} ? line : client - line;
}

int32_t CRtfViewCore::HorizontalIncrement() const {
  const int32_t k = m_unitsPerPixel;
  const int32_t units = (72000 + m_scaling - 1) / m_scaling;
  return (units + k - 1) / k * k;
}

CRtfViewCore::Scroll CRtfViewCore::ScrollTo(int64_t top, int32_t left) {
  EnsureLayout();
  top = std::clamp<int64_t>(top, 0, MaxTop());
  left = std::clamp<int32_t>(left, 0, MaxLeft());
  Scroll s;
  const int64_t dy = m_y - top;
  const int64_t dx = int64_t{m_x} - left;
  m_y = top;
  m_x = left;
  if (!dy && !dx) return s;
  const int64_t k = m_unitsPerPixel;
  // Whole pixels within the window move; anything else is painted anew.
  if (dy % k == 0 && dx % k == 0 && std::abs(dy / k) < m_clientHeight && std::abs(dx / k) < m_clientWidth) {
    s.dy = static_cast<int>(dy / k);
    s.dx = static_cast<int>(dx / k);
  } else {
    s.repaint = true;
  }
  return s;
}

int CRtfViewCore::VerticalBarValue() {
  const int64_t max = MaxTop();
  if (max <= 0) return 0;
  return static_cast<int>(m_y * kScrollBarRange / max);
}

CRtfViewCore::Scroll CRtfViewCore::VerticalThumb(int value) {
  value = std::clamp(value, 0, kScrollBarRange);
  Scroll s = ScrollTo(MaxTop() * value / kScrollBarRange, m_x);
  // A thumb move paints anew, as a page move does.
  if (s.Moved()) s = Scroll{0, 0, true};
  return s;
}

bool CRtfViewCore::KeyDown(Key key, unsigned modifiers, Scroll& scroll) {
  scroll = {};
  const bool plain = (modifiers & (kShift | kCtrl | kAlt)) == 0;
  switch (key) {
    case Key::PageUp:
    case Key::PageDown:
    case Key::Up:
    case Key::Down:
      if (!plain) return false;
      if (key == Key::Up) scroll = LineUp();
      else if (key == Key::Down) scroll = LineDown();
      else scroll = key == Key::PageUp ? PageUp() : PageDown();
      if (key == Key::PageUp || key == Key::PageDown) scroll = scroll.Moved() ? Scroll{0, 0, true} : Scroll{};
      return true;
    case Key::Home:
    case Key::End:
      if (modifiers & kCtrl) {
        scroll = key == Key::Home ? Top() : Bottom();
        if (scroll.Moved()) scroll = Scroll{0, 0, true};
      }
      return true;
    case Key::Other: break;
  }
  return false;
}

// --- positions --------------------------------------------------------------

TextPos CRtfViewCore::GetCaretPos() {
  if (!m_doc) return 0;
  const TextPoint top = TopPoint();
  return top.paragraph ? m_doc->PositionOf(top) : 0;
}

CRtfViewCore::Scroll CRtfViewCore::ScrollToPoint(TextPoint p) {
  EnsureLayout();
  if (m_layout.IsEmpty()) {
    m_keepTop = p;
    m_haveKeepTop = p.paragraph != nullptr;
    return {0, 0, true};
  }
  const DocumentLayout::Place place = m_layout.Locate(p);
  ScrollTo(place.found ? place.lineTop : 0, m_x);
  // A jump is painted at once, whatever the distance.
  return {0, 0, true};
}

CRtfViewCore::Scroll CRtfViewCore::SetCaretPos(TextPos pos) {
  if (!m_doc) return {};
  return ScrollToPoint(m_doc->PointAt(pos));
}

CRtfViewCore::Scroll CRtfViewCore::ScrollToLevel(int32_t level) {
  if (!m_doc) return {};
  const Scroll s = ScrollToPoint(m_doc->PointAt(m_doc->LevelPosition(level)));
  // The level now at the top came by request, not by the user's scrolling.
  m_levelSilently = true;
  if (m_layoutValid && !m_layout.IsEmpty()) {
    m_levelSilently = false;
    const int32_t shown = LevelAt(TopPoint());
    if (shown >= 0) m_lastLevel = shown;
  }
  return s;
}

// --- scaling ----------------------------------------------------------------

bool CRtfViewCore::SetScaling(int percent) {
  if (percent < kMinScaling || percent > kMaxScaling || percent == m_scaling) return false;
  Invalidate();
  m_scaling = percent;
  m_unitsPerPixel = UnitsPerPixel(percent, m_pixelsPerInch);
  m_fonts = FontCache::ForScaling(m_fontSystem, percent);
  m_x = 0;
  return true;
}

bool CRtfViewCore::ZoomIn() {
  for (int step : kZoomSteps) {
    if (step > m_scaling) return SetScaling(step);
  }
  return false;
}

bool CRtfViewCore::ZoomOut() {
  for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it) {
    if (*it < m_scaling) return SetScaling(*it);
  }
  return false;
}

// --- level tracking -----------------------------------------------------------

int32_t CRtfViewCore::LevelToReport() {
  EnsureLayout();
  if (m_layout.IsEmpty()) return -1;
  const int32_t level = LevelAt(TopPoint());
  if (level < 0 || level == m_lastLevel) return -1;
  m_lastLevel = level;
  return level;
}

// --- selection ----------------------------------------------------------------

TextPoint CRtfViewCore::HitTest(int px, int py) {
  EnsureLayout();
  if (m_layout.IsEmpty()) return {};
  const int64_t k = m_unitsPerPixel;
  const int64_t x = std::clamp<int64_t>(m_x + px * k, INT32_MIN / 2, INT32_MAX / 2);
  return m_layout.HitTest(static_cast<int32_t>(x), m_y + py * k);
}

void CRtfViewCore::StartSelection(int px, int py) {
  m_anchor = m_focus = HitTest(px, py);
}

bool CRtfViewCore::ExtendSelection(int px, int py) {
  if (!m_anchor.paragraph) return false;
  const TextPoint p = HitTest(px, py);
  if (!p.paragraph || p == m_focus) return false;
  m_focus = p;
  return true;
}

void CRtfViewCore::ClearSelection() { m_anchor = m_focus = {}; }

void CRtfViewCore::SetSelection(TextPos anchor, TextPos focus) {
  if (!m_doc || !m_root || m_doc->Root() != m_root) return;
  m_anchor = m_doc->PointAt(anchor);
  m_focus = m_doc->PointAt(focus);
}

void CRtfViewCore::SelectAll() {
  if (!m_doc || !m_root || m_doc->Root() != m_root) return;
  Paragraph* first = m_doc->FirstParagraph();
  Paragraph* last = LastLeaf(m_doc->Root());
  if (!first || !last) return;
  m_anchor = {first, 0};
  m_focus = {last, last->Length() - 1};
}

bool CRtfViewCore::HasSelection() const { return m_anchor.paragraph && m_focus.paragraph && !(m_anchor == m_focus); }

bool CRtfViewCore::SelectionRange(TextPoint& from, TextPoint& to) const {
  if (!HasSelection() || !m_doc) return false;
  from = m_anchor;
  to = m_focus;
  if (PointBefore(*m_doc, to, from)) std::swap(from, to);
  // Inside one cell the selection is text; once it leaves the cell it takes
  // the whole rows at either end, which is what a copy of it holds.
  if (CellOf(from.paragraph) && CellOf(from.paragraph) == CellOf(to.paragraph)) return true;
  if (const Node* row = RowOf(from.paragraph)) from = {FirstLeaf(row), 0};
  if (const Node* row = RowOf(to.paragraph)) {
    Paragraph* last = LastLeaf(row);
    to = {last, last->Length() - 1};
  }
  return true;
}

int CRtfViewCore::GetSelection(long* start, long* end) const {
  TextPoint from, to;
  if (!SelectionRange(from, to)) return 0;
  if (start) *start = static_cast<long>(m_doc->PositionOf(from));
  if (end) *end = static_cast<long>(m_doc->PositionOf(to));
  return 1;
}

std::string CRtfViewCore::SelectionAs(FORMAT format) const {
  TextPoint from, to;
  if (!SelectionRange(from, to)) return {};
  CRtfDoc copy;
  CopyRange(*m_doc, from, to, copy);
  if (format == FORMAT_TEXT) return copy.GetText(format);
  // Rich text leaves for other programs: link targets must not turn into
  // words in a word processor.
  std::string rtf;
  {
    OutStream out(rtf, format);
    WriteDocument(copy, out, format, true);
  }
  return rtf;
}

void CRtfViewCore::GetSelectedText(char* buffer, long size) const {
  if (!buffer || size <= 0) return;
  const std::string text = SelectionAs(FORMAT_TEXT);
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}

bool CRtfViewCore::SelectionReferences(std::vector<Range>& ranges, uint16_t translation) const {
  TextPoint from, to;
  if (!SelectionRange(from, to) || !from.paragraph) return false;
  // Within one verse link: its target, which says exactly what it means.
  if (from.paragraph == to.paragraph && from.offset < from.paragraph->Length()) {
    const CharFormat& f = *from.paragraph->FormatAt(from.offset);
    bool oneLink = f.linkType == 4 && f.link;
    for (size_t i = from.offset; oneLink && i < to.offset; ++i)
      oneLink = from.paragraph->FormatAt(i)->link == f.link;
    Range target;
    if (oneLink && target.SetFromString(f.link->Target()) && target.ResolveRange(translation)) {
      ranges.push_back(target);
      return true;
    }
  }
  RefReadOptions options;
  options.period = options.loneBook = options.blankSeparator = true;
  options.translation = translation;
  CReferenceReader reader(options);
  std::vector<Range> before;
  reader.FindReferences(std::string_view(from.paragraph->Text()).substr(0, from.offset), before);
  std::vector<Range> read;
  size_t error = 0;
  std::string text = SelectionAs(FORMAT_TEXT);
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  if (reader.ReadReferences(text, read, error)) {
    ranges.insert(ranges.end(), read.begin(), read.end());
    return true;
  }
  // A selection that only touches references (a mouse seldom starts on a
  // word's first letter): the references of its first paragraph it overlaps,
  // read as in running text.
  const size_t end = to.paragraph == from.paragraph ? to.offset : from.paragraph->Length();
  RefReadOptions scan;
  scan.translation = translation;
  CReferenceReader scanner(scan);
  std::vector<Range> found;
  scanner.FindReferences(from.paragraph->Text(), found);
  const size_t had = ranges.size();
  for (const Range& r : found)
    if (r.TextStart() < end && from.offset < r.TextEnd()) ranges.push_back(r);
  return ranges.size() > had;
}

const Picture* CRtfViewCore::SelectedPicture() const {
  TextPoint from, to;
  if (!SelectionRange(from, to)) return nullptr;
  return FirstPictureInRange(*m_doc, from, to);
}

void CRtfViewCore::ForEachSelectionRect(const std::function<void(const LRect&)>& rect) {
  TextPoint from, to;
  if (!SelectionRange(from, to)) return;
  EnsureLayout();
  if (m_layout.IsEmpty()) return;
  const int64_t bottom = m_y + int64_t{m_clientHeight} * m_unitsPerPixel;
  m_layout.ForEachRangeRect(from, to, m_y, bottom, [&](int64_t top, int32_t left, int32_t right, int32_t height) {
    const int64_t y = top - m_y;
    rect(LRect{left - m_x, static_cast<int32_t>(y), right - m_x, static_cast<int32_t>(y + height)});
  });
}

// --- pointer ------------------------------------------------------------------

const LinkTarget* CRtfViewCore::LinkAt(int px, int py) {
  const TextPoint hit = HitTest(px, py);
  if (!hit.paragraph) return nullptr;
  const int64_t k = m_unitsPerPixel;
  const int64_t x = m_x + px * k, y = m_y + py * k;
  // The hit is the nearer character edge: the character under the point is
  // the one after it or the one before.
  for (size_t offset : {hit.offset, hit.offset - 1}) {
    if (offset >= hit.paragraph->Length()) continue;
    const DocumentLayout::Place place = m_layout.Locate({hit.paragraph, offset});
    if (!place.found || x < place.x || x >= int64_t{place.x} + place.width || y < place.lineTop ||
        y >= place.lineTop + place.lineHeight) {
      continue;
    }
    const CharFormat& f = *hit.paragraph->FormatAt(offset);
    if (f.linkText && f.linkType < kNoLinkType && f.link) return f.link.get();
    return nullptr;
  }
  return nullptr;
}

CRtfViewCore::AutoScroll CRtfViewCore::AutoScrollFor(int px, int py) {
  AutoScroll a;
  if (py < 0) a.vertical = -1;
  else if (py >= m_clientHeight) a.vertical = 1;
  if (MaxLeft() > 0) {
    if (px < 0) a.horizontal = -1;
    else if (px >= m_clientWidth) a.horizontal = 1;
  }
  return a;
}

// --- search marks -------------------------------------------------------------

bool CRtfViewCore::FindMark(int32_t level, MarkWanted wanted, TextPos& begin, TextPos& end) {
  EnsureLayout();
  if (!m_doc || m_layout.IsEmpty()) return false;
  const int64_t windowBottom = m_y + int64_t{m_clientHeight} * m_unitsPerPixel;
  // Where a stretch starting at pos lies against the window: -1 starts
  // above its top, 1 starts at or below the top and ends below the bottom,
  // 0 otherwise. Whole paragraphs settle it without locating a line.
  auto side = [&](TextPos pos) {
    const TextPoint at = m_doc->PointAt(pos);
    const PlacedParagraph* p = m_layout.Find(at.paragraph);
    if (!p) return 0;
    if (p->top + p->height <= m_y) return -1;
    if (p->top >= windowBottom) return 1;
    const DocumentLayout::Place place = m_layout.Locate(at);
    if (place.lineTop < m_y) return -1;
    return place.lineTop + place.lineHeight > windowBottom ? 1 : 0;
  };
  bool found = false;
  TextPos stretch = -1;  // start of the stretch being walked
  auto finish = [&](TextPos stop) {
    // True ends the walk: the stretch [stretch, stop) is the one wanted.
    const TextPos from = stretch;
    stretch = -1;
    if (wanted == MarkWanted::Next && side(from) != 1) return false;
    if (wanted == MarkWanted::Previous && side(from) != -1) return false;
    begin = from;
    end = stop;
    found = true;
    return wanted == MarkWanted::First || wanted == MarkWanted::Next;
  };
  LevelCursor c(*m_doc, level);
  for (; !c.AtEnd(); c.NextRun()) {
    if (c.Format().mark) {
      if (stretch < 0) stretch = c.Position();
    } else if (stretch >= 0 && finish(c.Position())) {
      return true;
    }
  }
  if (stretch >= 0) finish(c.Position());
  return found;
}

CRtfViewCore::Scroll CRtfViewCore::BringMarkIntoView(TextPos begin, TextPos end) {
  const TextPoint first = m_doc->PointAt(begin);
  const DocumentLayout::Place place = m_layout.Locate(first);
  if (!place.found) return {0, 0, true};
  // The mark's rectangle on its first line: to its last character when that
  // shares the line.
  int32_t right = place.x + place.width;
  const DocumentLayout::Place last = m_layout.Locate(m_doc->PointAt(end - 1));
  if (last.found && last.lineTop == place.lineTop) right = std::max(right, last.x + last.width);
  const int64_t height = int64_t{m_clientHeight} * m_unitsPerPixel;
  const int32_t width = m_clientWidth * m_unitsPerPixel;
  const bool inTable = first.paragraph->Parent() && first.paragraph->Parent()->Kind() == NodeKind::Cell;
  const bool visible = place.lineTop >= m_y && place.lineTop + place.lineHeight <= m_y + height &&
                       place.x >= m_x && right <= int64_t{m_x} + width;
  int64_t top = m_y;
  int32_t left = m_x;
  if (!visible || inTable) {
    top = place.lineHeight >= height ? place.lineTop : place.lineTop - (height - place.lineHeight) / 2;
    constexpr int32_t kMargin = 180;
    if (place.x - kMargin < m_x) left = place.x - kMargin;
    else if (int64_t{right} + kMargin > int64_t{m_x} + width) left = right + kMargin - width;
  }
  Scroll s = ScrollTo(top, left);
  s.repaint = true;
  return s;
}

CRtfViewCore::Scroll CRtfViewCore::GoToMark(int32_t level, MarkWanted wanted) {
  TextPos begin = 0, end = 0;
  if (!FindMark(level, wanted, begin, end)) return {};
  return BringMarkIntoView(begin, end);
}

CRtfViewCore::Scroll CRtfViewCore::FirstSearchMatch(int32_t level) { return GoToMark(level, MarkWanted::First); }
CRtfViewCore::Scroll CRtfViewCore::LastSearchMatch(int32_t level) { return GoToMark(level, MarkWanted::Last); }
CRtfViewCore::Scroll CRtfViewCore::NextSearchMatch(int32_t level) { return GoToMark(level, MarkWanted::Next); }
CRtfViewCore::Scroll CRtfViewCore::PreviousSearchMatch(int32_t level) {
  return GoToMark(level, MarkWanted::Previous);
}

bool CRtfViewCore::IsNextSearchMatch(int32_t level) {
  TextPos begin = 0, end = 0;
  return FindMark(level, MarkWanted::Next, begin, end);
}

bool CRtfViewCore::IsPreviousSearchMatch(int32_t level) {
  TextPos begin = 0, end = 0;
  return FindMark(level, MarkWanted::Previous, begin, end);
}

}  // namespace textpane

namespace textpane {

void CRtfViewCore::ForEachMark(int32_t level, const std::function<bool(TextPos, TextPos)>& stretch) const {
  if (!m_doc) return;
  TextPos from = -1;
  LevelCursor c(*m_doc, level);
  for (; !c.AtEnd(); c.NextRun()) {
    if (c.Format().mark) {
      if (from < 0) from = c.Position();
    } else if (from >= 0) {
      if (stretch(from, c.Position())) return;
      from = -1;
    }
  }
  if (from >= 0) stretch(from, c.Position());
}

int32_t CRtfViewCore::CountMarks(int32_t level) {
  int32_t count = 0;
  ForEachMark(level, [&](TextPos, TextPos) {
    ++count;
    return false;
  });
  return count;
}

CRtfViewCore::Scroll CRtfViewCore::GoToMarkNumber(int32_t level, int32_t n) {
  EnsureLayout();
  if (!m_doc || m_layout.IsEmpty() || n < 0) return {};
  TextPos begin = -1, end = -1;
  ForEachMark(level, [&](TextPos b, TextPos e) {
    if (n-- > 0) return false;
    begin = b;
    end = e;
    return true;
  });
  if (begin < 0) return {};
  return BringMarkIntoView(begin, end);
}

}  // namespace textpane
