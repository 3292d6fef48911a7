// Layout of a whole document for one width: every paragraph broken into
// lines, table rows placed with their cells, and every block given its place
// from the top. Positions are logical units (twips at 100 % scaling); the
// document's y runs from 0 down, x from the left edge of the layout width.
//
// Only the lines are kept per paragraph: the character widths are worked out
// again for the few paragraphs being drawn or hit, which keeps a laid-out
// book small (a line is 28 bytes for some hundred characters, a paragraph 32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "textpane/layout/colors.h"
#include "textpane/layout/fontcache.h"
#include "textpane/layout/surface.h"
#include "textpane/model/levels.h"

namespace textpane {

class CRtfDoc;
class Node;
class Paragraph;
class RowNode;
struct CharFormat;

struct LayoutLine {
  uint32_t start = 0;  // offset of the line's first character in its paragraph
  uint32_t end = 0;  // offset of its last character (perhaps the paragraph mark)
  int32_t width = 0;  // without trailing spaces
  int32_t spaceWidth = 0;  // with them
  int32_t height = 0;
  int32_t ascent = 0;
  int32_t x = 0;  // from the left edge of the paragraph's box
};

struct PlacedParagraph {
  const Paragraph* paragraph = nullptr;
  int64_t top = 0;  // document y of the paragraph's top (space before included)
  int32_t left = 0;  // x of the box's left edge: 0, or inside a table cell
  int32_t width = 0;  // the width its lines were broken for
  int32_t height = 0;  // spacing, borders and lines
  uint32_t firstLine = 0;  // into the layout's line table; the next paragraph's ends them
};

struct PlacedRow {
  const RowNode* row = nullptr;
  int64_t top = 0;
  int32_t left = 0;  // where the row starts
  int32_t height = 0;
  uint32_t firstCell = 0;  // into the layout's cell table
  uint32_t cellCount = 0;
};

struct PlacedCell {
  int32_t left = 0, right = 0;  // the cell's edges
  int32_t height = 0;  // its paragraphs' heights
  uint32_t firstParagraph = 0;
  uint32_t paragraphCount = 0;
};

// A horizontal slice of the document: one paragraph outside tables, or one
// table row with all the paragraphs of its cells. Bands follow each other
// from the top without gaps, so a y finds its band by binary search.
struct LayoutBand {
  int64_t top = 0;  // the next band's top ends it
  uint32_t firstParagraph = 0;  // the next band's first ends its paragraphs
  int32_t row = -1;
};

// What a drawing pass needs besides the surface.
struct DrawArea {
  int64_t originY = 0;  // document y at the surface's y 0
  int32_t originX = 0;  // document x at the surface's x 0
  LRect clip;  // surface coordinates; only what meets it is drawn
};

class DocumentLayout {
 public:
  DocumentLayout();
  ~DocumentLayout();
  DocumentLayout(const DocumentLayout&) = delete;
  DocumentLayout& operator=(const DocumentLayout&) = delete;

  // Lays out `doc` for `width` logical units with the fonts of `fonts`. The
  // page size fits pictures when laying out for a printer (0: no fitting).
  void Layout(const CRtfDoc& doc, std::shared_ptr<FontCache> fonts, int32_t width, int32_t pageWidth = 0,
              int32_t pageHeight = 0);
  void Clear();
  bool IsEmpty() const { return m_paragraphs.empty(); }

  const CRtfDoc* Document() const { return m_doc; }
  FontCache* Fonts() const { return m_fonts.get(); }
  int32_t LayoutWidth() const { return m_width; }
  int64_t Height() const { return m_height; }
  // The width the document needs: the layout width, or more when a line
  // or a row overflows it.
  int32_t ContentWidth() const { return m_contentWidth; }
  // The line height of the document's default font, for scrolling by lines.
  int32_t DefaultLineHeight() const { return m_defaultLineHeight; }

  std::span<const PlacedParagraph> Paragraphs() const { return m_paragraphs; }
  std::span<const LayoutBand> Bands() const { return m_bands; }
  std::span<const PlacedRow> Rows() const { return m_rows; }
  std::span<const PlacedCell> Cells() const { return m_cells; }
  std::span<const LayoutLine> Lines(const PlacedParagraph& p) const;
  // Measures worked out from what is kept.
  int32_t Widest(const PlacedParagraph& p) const;
  int32_t LinesTop(const PlacedParagraph& p) const;  // from the top to the first line
  int32_t BandHeight(size_t band) const;
  std::span<const PlacedParagraph> BandParagraphs(size_t band) const;
  // The placed paragraph of a paragraph of the document, or null.
  const PlacedParagraph* Find(const Paragraph* p) const;
  // Its place in document order, or Paragraphs().size().
  size_t IndexOf(const Paragraph* p) const;
  size_t IndexOf(const PlacedParagraph& p) const { return static_cast<size_t>(&p - m_paragraphs.data()); }

  // The band that holds y (the first or last one beyond the ends).
  size_t BandAt(int64_t y) const;
  // The character nearest to a document point: the one under it, or after
  // it when the point is over its right half (so a drag selects whole
  // characters). Beyond a line's end: its last character.
  TextPoint HitTest(int32_t x, int64_t y) const;
  // The point at the start of the first line whose bottom lies below y (the
  // topmost visible line when y is the scroll position).
  TextPoint TopLinePoint(int64_t y) const;

  struct Place {
    int64_t lineTop = 0;  // document y of the line
    int32_t lineHeight = 0;
    int32_t x = 0;  // document x of the character's left edge
    int32_t width = 0;  // the character's width
    bool found = false;
  };
  // Where the character at `at` is drawn.
  Place Locate(TextPoint at) const;

  // Calls `rect` with the document rectangle of each line piece between two
  // points (either order), for lines meeting [fromY, toY).
  void ForEachRangeRect(TextPoint a, TextPoint b, int64_t fromY, int64_t toY,
                        const std::function<void(int64_t top, int32_t left, int32_t right, int32_t height)>& rect) const;

  // Draws what meets area.clip.
  void Draw(Surface& surface, const Colors& colors, const DrawArea& area) const;

  // Where each printed page starts so that no line is cut in two: page 1
  // at 0, then the top of the first line or row that does not fit on the
  // page before. A line taller than a page gets a page of its own.
  std::vector<int64_t> PageStarts(int32_t pageHeight) const;

  // The character widths of a paragraph as drawn (tabs and justification
  // applied), worked out again; kept for the last few paragraphs asked.
  std::span<const int32_t> Widths(const PlacedParagraph& p) const;
  // The leader of the tab at `offset` of the paragraph last given to Widths.
  uint8_t TabLeader(const PlacedParagraph& p, uint32_t offset) const;

  // Bytes the layout holds, for the benchmark.
  size_t MemoryUsed() const;

 private:
  class Breaker;
  struct WidthCacheEntry {
    const Paragraph* paragraph = nullptr;
    std::vector<int32_t> widths;
    std::vector<std::pair<uint32_t, uint8_t>> leaders;  // tab offset, leader
    uint64_t stamp = 0;
  };
  void LayoutNode(const Node& node, int64_t& y);
  int32_t LayoutParagraph(const Paragraph& p, int32_t left, int32_t width, int64_t top);
  void LayoutRow(const RowNode& row, int64_t& y);
  const WidthCacheEntry& CachedWidths(const PlacedParagraph& p) const;
  const PlacedParagraph* ParagraphAtY(size_t band, int32_t x, int64_t y) const;
  void DrawParagraph(Surface& s, const Colors& colors, const DrawArea& area, const PlacedParagraph& p) const;
  void DrawRow(Surface& s, const Colors& colors, const DrawArea& area, const PlacedRow& r) const;

  const CRtfDoc* m_doc = nullptr;
  std::shared_ptr<FontCache> m_fonts;
  int32_t m_width = 0;
  int32_t m_pageWidth = 0;
  int32_t m_pageHeight = 0;
  int64_t m_height = 0;
  int32_t m_contentWidth = 0;
  int32_t m_defaultLineHeight = 0;
  std::vector<PlacedParagraph> m_paragraphs;
  std::vector<LayoutLine> m_lines;
  std::vector<LayoutBand> m_bands;
  std::vector<PlacedRow> m_rows;
  std::vector<PlacedCell> m_cells;
  std::unique_ptr<Breaker> m_breaker;

  // Enough for every paragraph of a full screen of short paragraphs; the
  // one used longest ago goes.
  mutable WidthCacheEntry m_widthCache[128];
  mutable uint64_t m_widthClock = 0;
};

}  // namespace textpane
