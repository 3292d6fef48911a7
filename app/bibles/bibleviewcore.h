// The heart of a Bible window without the window: the Bible shown, the top
// verse and the line inside it, the verses laid out from there down to the
// window's foot, scrolling by verse, page, chapter and book, and the
// selection. The Qt view forwards its size, keys, mouse and paint here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bibles/verselayout.h"

namespace klmw {

class CBibleModule;
class CVerseRun;

// Page-down modes: below kPageByChapter a page is what the window shows.
inline constexpr int kPageByScreen = 0;
inline constexpr int kPageByGroup = 1;
inline constexpr int kPageByChapter = 3;
inline constexpr int kPageByBook = 4;

// The highest verse index a window scrolls to.
inline constexpr int kLastVerseIndex = 31101;

class CBibleViewCore {
 public:
  CBibleViewCore(std::shared_ptr<textpane::FontCache> fonts, int32_t pixel, const CBibleFontSizes& sizes = {});

  // The Bible shown, the run its verse texts come from and its code (for
  // the book names of headings). Null: nothing is shown.
  void SetBible(const CBibleModule* bible, CVerseRun* run, const std::string& code);
  const CBibleModule* GetBible() const { return m_bible; }
  // Lays the colour segments over a verse as it is made (its topic colours
  // and underlining); without one every verse is one uncoloured segment.
  using Decorator = std::function<void(CVerse& verse)>;
  void SetDecorator(Decorator decorator) {
    m_decorator = std::move(decorator);
    m_built = false;
    m_verses.clear();
  }
  // The window's size in logical units.
  void SetSize(int32_t width, int32_t height);
  int32_t GetWidth() const { return m_width; }
  int32_t GetHeight() const { return m_height; }
  // Fonts, colours or options changed: everything is laid out again.
  void Invalidate() { m_built = false; }

  int GetTopVerse() const { return m_top; }
  int GetLineOffset() const { return m_lineOffset; }
  int GetLastVerse() const;
  // Moves the top (kept between 0 and the last verse; the line inside the
  // top verse within its lines). False when nothing moved.
  bool SetTop(int verse, int lineOffset = 0);

  // The verses from the top verse until one starts below the window.
  const std::vector<CVerse>& Verses();
  // Verses that begin inside the window (at least 1), and whole lines it holds.
  int VersesShown();
  int LinesShown() const;
  void Draw(textpane::Surface& surface, const CBibleColours& colours);

  bool LineDown() { return SetTop(m_top + 1); }
  bool LineUp() { return SetTop(m_top - 1); }
  // byLine: a page is the lines shown less one, and the line inside the top
  // verse moves with it; otherwise the verses shown.
  bool PageDown(int mode, bool byLine);
  bool PageUp(int mode, bool byLine);
  bool ToTop() { return SetTop(0); }
  bool ToBottom() { return SetTop(GetLastVerse()); }

  // The verse and character under a window point; false over no verse.
  bool HitTest(int32_t x, int32_t y, int& verse, int& offset);
  void BeginSelection(int32_t x, int32_t y);
  void ExtendSelection(int32_t x, int32_t y);
  void ClearSelection() { m_anchorVerse = -1; m_selection = {}; }
  // In reading order; empty when nothing is selected.
  const CVerseSelection& GetSelection() const { return m_selection; }

  const CBibleLayout& Layout() const { return m_layout; }
  // A verse with its place, text and heading, not yet laid out (printing
  // lays it out with its own fonts).
  CVerse PrepareVerse(int index);
  // A verse made and laid out on its own.
  CVerse MakeVerse(int index, int32_t width, int32_t y = 0);

 private:
  void Build();
  int FirstOfChapter(int index, int step) const;
  int FirstOfBook(int index, int step) const;
  int LinesOf(int index);

  CBibleLayout m_layout;
  const CBibleModule* m_bible = nullptr;
  CVerseRun* m_run = nullptr;
  Decorator m_decorator;
  std::string m_code;
  int32_t m_width = 0, m_height = 0;
  int m_top = 0;
  int m_lineOffset = 0;
  std::vector<CVerse> m_verses;
  bool m_built = false;
  int m_anchorVerse = -1, m_anchorChar = 0;
  CVerseSelection m_selection;
};

}  // namespace klmw
