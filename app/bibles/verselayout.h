// How a Bible window lays out and draws its verses: each verse on a new
// line, its number in small blue figures before the text, the text broken
// at blanks, and a centred heading before the first verse of a chapter.
// Everything is measured and drawn through the rich-text engine's font
// system and surface, in its logical units, so the screen, a printer and
// the tests (fixed metrics) lay verses out the same way.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "textpane/layout/fontcache.h"
#include "textpane/layout/surface.h"

namespace klmw {

// The six fonts of a Bible window, by slot.
enum BibleFontSlot {
  kFontHeading = 0,
  kFontNumber = 1,
  kFontText = 2,
  kFontUnderlined = 3,
  kFontItalic = 4,
  kFontItalicUnderlined = 5,
  kBibleFontSlots = 6
};

struct CBibleFontSizes {
  std::string face = "Arial";
  int headingPoints = 14;
  int textPoints = 12;
  int textWeight = 700;
};

// Underline states of a colour segment.
inline constexpr uint8_t kUnderlineOff = 2;
inline constexpr uint8_t kUnderlineOn = 3;
// The colour-table entry of text without a topic colour.
inline constexpr uint8_t kUncoloured = 2;

// The display colours of a Bible window. Entries 0 to 5 of the table are the
// window's own; topic colour n is entry n + 5.
struct CBibleColours {
  std::vector<textpane::RGB> table;
  textpane::RGB text = 0;
  textpane::RGB number = textpane::MakeRGB(0, 0, 255);
  textpane::RGB heading = 0;
  // Words a search found.
  textpane::RGB found = textpane::MakeRGB(255, 0, 0);
  // The bar beside verses of the references gone to, and their numbers.
  textpane::RGB marked = textpane::MakeRGB(230, 110, 0);
  // The table with entry 2 (uncoloured) as the page.
  static CBibleColours ForPage(textpane::RGB page, textpane::RGB text);
  textpane::RGB Entry(uint8_t i) const { return i < table.size() ? table[i] : table.at(kUncoloured); }
};

// A stretch of a verse from `start` (a character offset) to the next
// segment's start, drawn over one background with or without underline.
struct CVerseSegment {
  int32_t start = 0;
  uint8_t colour = kUncoloured;
  uint8_t underline = kUnderlineOff;
};

struct CVerseLine {
  int32_t offset = 0;  // first character
  int32_t x = 0;       // where the text of the line starts
  int32_t y = 0;       // the top of the line
};

// The selection: from (first verse, first character) up to but not
// including (last verse, last character), in reading order.
struct CVerseSelection {
  int firstVerse = -1, firstChar = 0, lastVerse = -1, lastChar = 0;
  bool IsEmpty() const {
    return firstVerse < 0 || (firstVerse == lastVerse && firstChar >= lastChar) || lastVerse < firstVerse;
  }
};

// One verse as a window lays it out.
struct CVerse {
  int index = 0;                 // verse index in the Bible (0-based)
  int book = 0, chapter = 0, verse = 0;  // 0-based
  std::string text;              // display form, Windows-1252
  std::string headingText;       // "Book chapter" when it starts a chapter
  std::vector<CVerseSegment> segments = std::vector<CVerseSegment>(1);
  std::vector<CVerseLine> lines;
  // Stretches [first, second) drawn in the found colour: the words of the
  // window's search, in text order, not overlapping.
  std::vector<std::pair<int32_t, int32_t>> found;
  // Footnote letters [first, second): drawn small and raised, in the
  // number's colour.
  std::vector<std::pair<int32_t, int32_t>> notes;
  // Whether character i is a footnote letter.
  bool IsNoteLetter(int32_t i) const {
    for (const auto& n : notes)
      if (i >= n.first && i < n.second) return true;
    return false;
  }
  // One of the verses of the references gone to: a bar beside it.
  bool marked = false;
  bool laidOut = false;
  bool heading = false;
  int32_t top = 0;     // where the verse (its heading first) begins
  int32_t bottom = 0;  // below its last line
  // The end of line i (the start of the next, or the text's end).
  int32_t LineEnd(size_t i) const {
    return i + 1 < lines.size() ? lines[i + 1].offset : static_cast<int32_t>(text.size());
  }
};

class CBibleLayout {
 public:
  // pixel: logical units per device pixel (the indent of the text is 5 of them).
  CBibleLayout(std::shared_ptr<textpane::FontCache> fonts, int32_t pixel, const CBibleFontSizes& sizes = {});

  int32_t LineHeight() const { return m_lineHeight; }
  // The heading's height and one line.
  int32_t HeadingAdvance() const;
  int32_t Indent() const { return m_indent; }
  const textpane::CachedFont& Font(BibleFontSlot slot) const { return *m_fonts[slot]; }
  const CBibleFontSizes& Sizes() const { return m_sizes; }

  // Lays v out from y (its top) for a window `width` wide; returns the y
  // below it. A line holds at least one character, so any width ends.
  int32_t Layout(CVerse& v, int32_t width, int32_t y) const;
  // Draws v moved down by dy; the selection (when it touches v) is inverted.
  void Draw(textpane::Surface& surface, const CVerse& v, int32_t width, int32_t dy, const CBibleColours& colours,
            const CVerseSelection* selection = nullptr) const;
  // The character of v under (x, y) in layout coordinates: before the first
  // line gives 0, after the last the text's end.
  int32_t HitTest(const CVerse& v, int32_t x, int32_t y) const;
  // The width of characters [from, to) of text in the font of `slot`.
  int32_t Width(BibleFontSlot slot, const std::string& text, size_t from, size_t to) const;

 private:
  int32_t NumberWidth(const CVerse& v) const;

  std::shared_ptr<textpane::FontCache> m_cache;
  std::array<std::shared_ptr<const textpane::CachedFont>, kBibleFontSlots> m_fonts;
  CBibleFontSizes m_sizes;
  int32_t m_lineHeight = 1;
  int32_t m_indent = 0;
  int32_t m_minNumberWidth = 0;
};

}  // namespace klmw
