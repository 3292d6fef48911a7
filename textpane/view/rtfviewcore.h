// What a rich-text view knows and decides, without a window: the document
// and its layout, the scroll position, the scaling, the selection, which
// key scrolls how far and what lies under the pointer. The Qt widget
// (textpane/ui/rtfview.h) forwards its events here and paints what this
// says; tests drive it directly.
//
// Positions are logical units (twips at 100 %). The screen maps an inch to
// 1440 × 100 ÷ scaling units, rounded to a whole number of units per pixel,
// so every pixel is the same number of units and a line scroll moves the
// window by whole pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "textpane/layout/layout.h"
#include "textpane/model/levels.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

class LinkTarget;
class Node;
class Picture;

class CRtfViewCore {
 public:
  static constexpr int kMinScaling = 50;
  static constexpr int kMaxScaling = 200;
  static constexpr int kDefaultScaling = 100;
  // The vertical scroll bar runs over this range whatever the document's height.
  static constexpr int kScrollBarRange = 32767;

  // Keys the view handles itself; anything else is the window's.
  enum class Key { PageUp, PageDown, Up, Down, Home, End, Other };
  enum Modifier : unsigned { kShift = 1, kCtrl = 2, kAlt = 4 };

  // How the window follows a change of position: move what it shows by
  // whole pixels, or paint everything again.
  struct Scroll {
    int dx = 0, dy = 0;  // pixels the contents move (positive: right, down)
    bool repaint = false;
    bool Moved() const { return dx || dy || repaint; }
  };

  // Which way to scroll while a drag holds the pointer outside the window.
  struct AutoScroll {
    int horizontal = 0, vertical = 0;  // -1, 0 or 1
  };

  CRtfViewCore(FontSystem& fonts, int pixelsPerInch);
  ~CRtfViewCore();
  CRtfViewCore(const CRtfViewCore&) = delete;
  CRtfViewCore& operator=(const CRtfViewCore&) = delete;

  // Logical units per pixel at a scaling on a screen of pixelsPerInch.
  static int UnitsPerPixel(int scaling, int pixelsPerInch);

  // --- document --------------------------------------------------------------
  // The document whose tree is shown; its root arrives through SetTree.
  void SetDocument(const CRtfDoc* doc);
  const CRtfDoc* Document() const { return m_doc; }
  // A new tree: the old layout and selection go, the view returns to the top.
  void SetTree(Node* root);
  // The document changed in place (marks, formats): lay out again, keeping
  // the position.
  void Invalidate();

  // --- geometry --------------------------------------------------------------
  // The client area in pixels. A width change lays out again and keeps the
  // line at the top; a height change only moves the limits.
  Scroll Resize(int widthPixels, int heightPixels);
  int Width() const { return m_clientWidth; }
  int Height() const { return m_clientHeight; }
  int UnitsPerPixel() const { return m_unitsPerPixel; }
  int PixelsPerInch() const { return m_pixelsPerInch; }
  // What a paint of the window rectangle (pixels) draws.
  DrawArea AreaFor(int px, int py, int widthPixels, int heightPixels) const;

  // The layout, made now if the document or the width changed. Empty
  // without a document or while the window has no width.
  const DocumentLayout& Layout();

  // --- scrolling -------------------------------------------------------------
  int64_t TopPosition() const { return m_y; }
  int32_t LeftPosition() const { return m_x; }
  int64_t MaxTop();
  int32_t MaxLeft();
  int32_t LineIncrement();
  int64_t PageIncrement();
  int32_t HorizontalIncrement() const;

  Scroll ScrollTo(int64_t top, int32_t left);
  Scroll LineUp() { return ScrollTo(m_y - LineIncrement(), m_x); }
  Scroll LineDown() { return ScrollTo(m_y + LineIncrement(), m_x); }
  Scroll PageUp() { return ScrollTo(m_y - PageIncrement(), m_x); }
  Scroll PageDown() { return ScrollTo(m_y + PageIncrement(), m_x); }
  Scroll Top() { return ScrollTo(0, m_x); }
  Scroll Bottom() { return ScrollTo(MaxTop(), m_x); }
  Scroll LineLeft() { return ScrollTo(m_y, m_x - HorizontalIncrement()); }
  Scroll LineRight() { return ScrollTo(m_y, m_x + HorizontalIncrement()); }
  Scroll PageLeft() { return ScrollTo(m_y, m_x - m_clientWidth * m_unitsPerPixel); }
  Scroll PageRight() { return ScrollTo(m_y, m_x + m_clientWidth * m_unitsPerPixel); }

  // The vertical scroll bar's 0..32767 face of the position.
  int VerticalBarValue();
  Scroll VerticalThumb(int value);

  // Page Up/Down and Up/Down scroll unless Ctrl, Alt or Shift is held;
  // Ctrl+Home and Ctrl+End go to the ends; Home and End alone do nothing.
  // False: the key is not the view's.
  bool KeyDown(Key key, unsigned modifiers, Scroll& scroll);

  // --- positions -------------------------------------------------------------
  // The document position of the first character of the top line; 0 when
  // nothing is laid out.
  TextPos GetCaretPos();
  // Scrolls the line holding pos to the top.
  Scroll SetCaretPos(TextPos pos);
  // Scrolls the start of a level (the document's start for an unknown one)
  // to the top; the level shown then is taken as reported already.
  Scroll ScrollToLevel(int32_t level);

  // --- scaling ---------------------------------------------------------------
  int GetScaling() const { return m_scaling; }
  // Ignored outside 50..200 and when equal; otherwise switches the font
  // cache and lays out again, keeping the top line.
  bool SetScaling(int percent);
  bool ZoomIn();
  bool ZoomOut();
  bool ZoomReset() { return SetScaling(kDefaultScaling); }

  // --- level tracking ----------------------------------------------------------
  // Called after each paint: the level to report (the level of the
  // character at the top when it is 0 or more and differs from the last
  // one reported), or -1.
  int32_t LevelToReport();

  // --- search marks ------------------------------------------------------------
  // Moves among the stretches of marked characters of a level (as phrase
  // search and range marking leave them). A mark is brought into view when
  // it is not wholly visible, or lies in a table: centred vertically (its
  // top at the top when it is taller than the window) and 180 units clear
  // of the window's sides. The window is repainted in any case.
  // Next is the first mark whose line starts at or below the top of the
  // window and does not end above its bottom, so a mark cut off by the
  // bottom edge comes next; Previous the last mark whose line starts above
  // the top, so one cut off by the top edge comes before. A mark that is
  // wholly visible is neither.
  Scroll FirstSearchMatch(int32_t level);
  Scroll LastSearchMatch(int32_t level);
  Scroll NextSearchMatch(int32_t level);
  Scroll PreviousSearchMatch(int32_t level);
  bool IsNextSearchMatch(int32_t level);
  bool IsPreviousSearchMatch(int32_t level);
  // The marked stretches of a level counted, and the n-th of them (from 0,
  // in text order) brought into view: stepping through one phrase's matches
  // goes mark by mark, even among marks that share the window.
  int32_t CountMarks(int32_t level);
  Scroll GoToMarkNumber(int32_t level, int32_t n);
  // The level of the character at the top of the window (-1 for none): the
  // section being read.
  int32_t TopLevel() { return LevelAt(TopPoint()); }

  // --- selection ---------------------------------------------------------------
  // Clears the selection and starts a new one at the character nearest to
  // a point of the window (pixels).
  void StartSelection(int px, int py);
  // Moves the focus end to the point (pixels; may lie outside the window).
  bool ExtendSelection(int px, int py);
  void ClearSelection();
  // Selects from one document position to another (either order).
  void SetSelection(TextPos anchor, TextPos focus);
  void SelectAll();
  bool HasSelection() const;
  // 0 without a selection; else the two ends as positions, either pointer
  // may be null.
  int GetSelection(long* start, long* end) const;
  // The selection, ends in order, with a selection that leaves a table cell
  // widened to the whole rows it touches.
  bool SelectionRange(TextPoint& from, TextPoint& to) const;
  // The selection as plain text, into a buffer of size bytes (always ended
  // by 0 when size > 0). An empty selection gives "".
  void GetSelectedText(char* buffer, long size) const;
  // The selection read as Bible references, as typed ones are read (letter
  // case free, '.' parting chapter and verse, a book alone naming all of
  // it), resolved in `translation` first; the text before the selection in
  // its paragraph gives the context ("v. 16" after "John 3"). A selection
  // inside one verse link reads the link's target instead; one that only
  // touches references in its paragraph ("om. 8:28 o") takes those. False
  // when it holds none.
  bool SelectionReferences(std::vector<Range>& ranges, uint16_t translation) const;
  // The selection as a document of its own, written as RTF or plain text.
  std::string SelectionAs(FORMAT format) const;
  // The first picture in the selection, or null.
  const Picture* SelectedPicture() const;

  // Calls rect with each rectangle to show inverted for the part of the
  // selection inside the window, in window logical units (0, 0 is the top
  // left corner of the window).
  void ForEachSelectionRect(const std::function<void(const LRect&)>& rect);

  // --- pointer -------------------------------------------------------------------
  // The finished link under a window point (pixels), or null.
  const LinkTarget* LinkAt(int px, int py);
  // Where a drag outside the window should scroll.
  AutoScroll AutoScrollFor(int px, int py);

  // The document point nearest to a window point (pixels).
  TextPoint HitTest(int px, int py);

 private:
  void EnsureLayout();
  void DropLayout();
  TextPoint TopPoint();
  int32_t LevelAt(TextPoint p) const;
  Scroll ScrollToPoint(TextPoint p);
  enum class MarkWanted { First, Last, Next, Previous };
  // The stretch of marked characters wanted, as [begin, end) positions.
  bool FindMark(int32_t level, MarkWanted wanted, TextPos& begin, TextPos& end);
  // Calls stretch with each stretch of marked characters of a level, as
  // [begin, end), until it returns true.
  void ForEachMark(int32_t level, const std::function<bool(TextPos, TextPos)>& stretch) const;
  Scroll BringMarkIntoView(TextPos begin, TextPos end);
  Scroll GoToMark(int32_t level, MarkWanted wanted);

  FontSystem& m_fontSystem;
  int m_pixelsPerInch;
  int m_unitsPerPixel;
  int m_scaling = kDefaultScaling;
  std::shared_ptr<FontCache> m_fonts;

  const CRtfDoc* m_doc = nullptr;
  // Only compared, never followed: the tree lives no longer than its
  // document, which may go first.
  const Node* m_root = nullptr;
  DocumentLayout m_layout;
  bool m_layoutValid = false;
  // The point to bring back to the top once the layout is made again.
  TextPoint m_keepTop;
  bool m_haveKeepTop = false;

  int m_clientWidth = 0, m_clientHeight = 0;
  int64_t m_y = 0;
  int32_t m_x = 0;

  TextPoint m_anchor, m_focus;
  int32_t m_lastLevel = -1;
  // The level at the top after the next layout is taken as reported: it
  // came with a new text or by ScrollToLevel, not by the user's scrolling.
  bool m_levelSilently = true;
};

}  // namespace textpane
