// The line breaker behind DocumentLayout, shared by its layout, drawing and
// hit-testing files; not part of the library's interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "textpane/layout/layout.h"
#include "textpane/model/charcase.h"
#include "textpane/model/charformat.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/picture.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

namespace layout_detail {

inline int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min() / 2,
                                                  std::numeric_limits<int32_t>::max() / 2));
}

inline bool IsLower1252(unsigned char c) { return UpperCase1252(c) != c; }

inline bool IsUpper1252(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A || c == 0x8C ||
         c == 0x8E || c == 0x9F;
}

inline bool HasBorder(const BorderSpec& b) { return b.style != kBorderNone; }

inline int32_t BorderRoom(const BorderSpec& b) {
  return HasBorder(b) ? std::max<int32_t>(0, b.width) + std::max<int32_t>(0, b.space) : 0;
}

}  // namespace layout_detail

using namespace layout_detail;

// Measures characters and breaks paragraphs into lines. One lives as long as
// its layout, so the fonts of the document's character formats are looked up
// once per format rather than once per run.
class DocumentLayout::Breaker {
 public:
  Breaker(const CRtfDoc& doc, FontCache& fonts, int32_t pageWidth, int32_t pageHeight)
      : m_doc(doc), m_fonts(fonts), m_pageWidth(pageWidth), m_pageHeight(pageHeight) {}

  struct RunFonts {
    std::shared_ptr<const CachedFont> font;
    std::shared_ptr<const CachedFont> small;  // small capitals only
  };

  // Fonts by what chooses them, not by format record: a book's links and
  // spans make thousands of records that share a handful of fonts.
  static uint64_t FontKey(const CharFormat& f) {
    return uint64_t{f.font} | uint64_t{f.size} << 16 | uint64_t{f.bold != 0} << 32 | uint64_t{f.italic != 0} << 33 |
           uint64_t{f.underline != 0} << 34 | uint64_t{f.strike != 0} << 35 | uint64_t{f.smallCaps != 0} << 36 |
           uint64_t{f.verticalPosition != kVertNormal} << 37;
  }

  const RunFonts& FontsOf(const CharFormat& f) {
    if (&f == m_lastFormat) return *m_lastFonts;
    auto [it, made] = m_memo.try_emplace(FontKey(f));
    if (made) {
      it->second.font = m_fonts.Get(FontCache::Describe(f, m_doc.Fonts()));
      if (f.smallCaps) it->second.small = m_fonts.Get(FontCache::Describe(f, m_doc.Fonts(), true));
    }
    m_lastFormat = &f;
    m_lastFonts = &it->second;
    return it->second;
  }

  // The size a picture is drawn at: its goal size scaled, and on paper
  // shrunk to the largest percentage up to 100 that fits the page.
  void PictureSize(const Picture& pic, int32_t& w, int32_t& h) const {
    int64_t pw = std::max<int64_t>(0, static_cast<int64_t>(pic.GoalWidth()) * pic.scaleX / 100);
    int64_t ph = std::max<int64_t>(0, static_cast<int64_t>(pic.GoalHeight()) * pic.scaleY / 100);
    if (m_pageWidth > 0 && m_pageHeight > 0 && pw > 0 && ph > 0) {
      // At least 1 %: a picture a hundred pages wide still prints, small.
      int64_t pct = std::max<int64_t>(1, std::min<int64_t>({100, m_pageWidth * 100 / pw, m_pageHeight * 100 / ph}));
      pw = pw * pct / 100;
      ph = ph * pct / 100;
    }
    w = static_cast<int32_t>(std::min<int64_t>(pw, INT16_MAX));
    h = static_cast<int32_t>(std::min<int64_t>(ph, INT16_MAX));
  }

  struct RunInfo {
    uint32_t end;
    int32_t height;
    int32_t ascent;
    bool hidden;
  };

  // Widths of every character before line breaking, and the height of each run.
  void Measure(const Paragraph& p) {
    const std::string& text = p.Text();
    m_widths.resize(text.size());
    m_runs.clear();
    size_t pos = 0;
    for (const Run& run : p.Runs()) {
      const CharFormat& f = *run.format;
      const size_t end = std::min(pos + run.length, text.size());
      if (f.hidden) {
        std::fill(m_widths.begin() + static_cast<ptrdiff_t>(pos), m_widths.begin() + static_cast<ptrdiff_t>(end), 0);
        // The paragraph mark of a hidden run still gives the last line a height.
        const RunFonts& rf = FontsOf(f);
        m_runs.push_back({static_cast<uint32_t>(end), rf.font->lineHeight, rf.font->ascent, true});
        pos = end;
        continue;
      }
      const RunFonts& rf = FontsOf(f);
      const CachedFont& font = *rf.font;
      int32_t height = font.lineHeight, ascent = font.ascent;
      const bool kern = f.kerning != 0 && f.size >= f.kerning && !font.kerning.empty();
      if (!kern && !rf.small && !f.picture) {
        // Plain text, the common case: one table lookup a character.
        const int32_t expansion = f.expansion;
        for (size_t i = pos; i < end; ++i) {
          const auto c = static_cast<unsigned char>(text[i]);
          m_widths[i] = std::max(0, font.widths[c] + expansion);
        }
        m_runs.push_back({static_cast<uint32_t>(end), height, ascent, false});
        pos = end;
        continue;
      }
      for (size_t i = pos; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        int32_t w;
        if (c == kCharPicture && f.picture) {
          int32_t ph = 0;
          PictureSize(*f.picture, w, ph);
          height = std::max(height, ph);
          ascent = std::max(ascent, ph);
        } else if (rf.small && IsLower1252(c)) {
          w = rf.small->widths[UpperCase1252(c)];
        } else {
          w = font.widths[c];
        }
        if (kern && i + 1 < end) {
          const auto n = static_cast<unsigned char>(text[i + 1]);
          if (rf.small) {
            if (IsLower1252(c) && IsLower1252(n)) {
              w += rf.small->Kerning(UpperCase1252(c), UpperCase1252(n));
            } else if (IsUpper1252(n)) {
              w += font.Kerning(c, n);
            }
          } else {
            w += font.Kerning(c, n);
          }
        }
        m_widths[i] = std::max(0, w + f.expansion);
      }
      m_runs.push_back({static_cast<uint32_t>(end), height, ascent, false});
      pos = end;
    }
    if (m_runs.empty() || m_runs.back().end < text.size()) {
      m_runs.push_back({static_cast<uint32_t>(text.size()), 0, 0, true});
    }
  }

  // Breaks the measured paragraph into lines for a box `width` wide; the
  // widths of tabs and of justified spaces are set in place.
  void Break(const Paragraph& p, int32_t width, int32_t defaultTab, std::vector<LayoutLine>& lines,
             std::vector<std::pair<uint32_t, uint8_t>>* leaders) {
    const ParaFormat& pf = *p.Format();
    m_pf = &pf;
    m_text = &p.Text();
    m_defaultTab = defaultTab > 0 ? defaultTab : 720;
    m_leaders = leaders;
    m_run = 0;
    const int64_t A = std::max<int64_t>(0, static_cast<int64_t>(width) - pf.rightIndent);
    const int64_t W = std::max<int64_t>(0, A - pf.leftIndent);
    size_t s = 0;
    const size_t n = m_text->size();
    while (s < n) {
      LayoutLine line = BreakLine(s, A, W);
      lines.push_back(line);
      s = static_cast<size_t>(line.end) + 1;
    }
  }

  std::vector<int32_t>& Widths() { return m_widths; }

 private:
  const RunInfo& RunAt(size_t i) {
    if (i < m_runs[m_run].end && (m_run == 0 || i >= m_runs[m_run - 1].end)) return m_runs[m_run];
    while (m_run > 0 && i < m_runs[m_run - 1].end) --m_run;
    while (m_run + 1 < m_runs.size() && i >= m_runs[m_run].end) ++m_run;
    return m_runs[m_run];
  }

  // The width of a tab at x: up to the first stop beyond x, or the left
  // indent when that comes first (a hanging indent), or the next default stop.
  int64_t TabStopAfter(int64_t x, uint8_t& kind, uint8_t& leader) const {
    kind = kTabLeft;
    leader = kLeaderNone;
    for (const TabStop& t : m_pf->tabs) {
      if (t.position > x) {
        if (m_pf->leftIndent > x && m_pf->leftIndent < t.position) return m_pf->leftIndent;
        kind = t.kind == kTabBar ? uint8_t{kTabLeft} : t.kind;
        leader = t.leader;
        return t.position;
      }
    }
    if (m_pf->leftIndent > x) return m_pf->leftIndent;
    return ((x + 1) / m_defaultTab + 1) * m_defaultTab;
  }

  LayoutLine BreakLine(size_t s, int64_t A, int64_t W) {
    const std::string& text = *m_text;
    const ParaFormat& pf = *m_pf;
    const size_t n = text.size();
    const bool first = s == 0;
    const int64_t startX = pf.leftIndent + (first ? pf.firstIndent : 0);
    int64_t x = startX;  // where the next word starts
    int64_t textEnd = startX;  // the end of the last word on the line
    size_t textEndIndex = s;  // one past the last character that is not trailing space
    int64_t word = 0;
    int32_t wordH = 0, wordA = 0, lineH = 0, lineA = 0;
    bool lineHas = false;
    bool wordHas = false;
    size_t wordStart = s;
    // A centre, right or decimal tab gives back room as text follows it.
    int pendingKind = -1;
    size_t pendingTab = 0;
    size_t end = n - 1;
    bool last = false;
    size_t i = s;
    for (; i < n; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      const RunInfo& run = RunAt(i);
      if (run.hidden && c != kCharParagraphMark) continue;
      if (c != ' ' && c != kCharTab && c != kCharLineBreak && c != kCharParagraphMark) {
        const int32_t w = m_widths[i];
        word += w;
        wordHas = true;
        wordH = std::max(wordH, run.height);
        wordA = std::max(wordA, run.ascent);
        if (pendingKind >= 0) {
          if (pendingKind == kTabDecimal && c == '.') {
            pendingKind = -1;
          } else {
            int32_t give = pendingKind == kTabCentre ? w / 2 : w;
            give = std::min(give, m_widths[pendingTab]);
            m_widths[pendingTab] -= give;
            x -= give;
          }
        }
        continue;
      }
      // A word ends here.
      if (lineHas && wordHas && x + word > A) {
        end = wordStart - 1;
        break;
      }
      if (wordHas) {
        x += word;
        textEnd = x;
        textEndIndex = i;
        lineHas = true;
        lineH = std::max(lineH, wordH);
        lineA = std::max(lineA, wordA);
      }
      word = 0;
      wordH = wordA = 0;
      wordHas = false;
      if (c == kCharParagraphMark) {
        end = i;
        last = true;
        if (!run.hidden || lineH == 0) {
          lineH = std::max(lineH, run.height);
          lineA = std::max(lineA, run.ascent);
        }
        break;
      }
      if (c == kCharLineBreak) {
        end = i;
        lineH = std::max(lineH, run.height);
        lineA = std::max(lineA, run.ascent);
        break;
      }
      lineH = std::max(lineH, run.height);
      lineA = std::max(lineA, run.ascent);
      if (c == kCharTab) {
        uint8_t kind = kTabLeft, leader = kLeaderNone;
        const int64_t stop = TabStopAfter(x, kind, leader);
        m_widths[i] = Clamp32(stop - x);
        if (m_leaders && leader != kLeaderNone) m_leaders->push_back({static_cast<uint32_t>(i), leader});
        x = stop;
        textEnd = x;
        textEndIndex = i + 1;
        lineHas = true;
        pendingKind = kind == kTabLeft ? -1 : kind;
        pendingTab = i;
        wordStart = i + 1;
        continue;
      }
      // Spaces join the line as trailing space until a word follows them.
      x += m_widths[i];
      lineHas = true;
      wordStart = i + 1;
    }
    if (i >= n) {
      end = n - 1;
      last = true;
    }

    LayoutLine line;
    line.start = static_cast<uint32_t>(s);
    line.end = static_cast<uint32_t>(end);
    int64_t width = textEnd - startX;
    int64_t spaceWidth = x - startX;
    if (!lineHas) spaceWidth = width = 0;

    if (pf.alignment == kAlignJustify && !last && width > 0) {
      const int64_t room = A - startX;
      const int64_t diff = room - width;
      size_t spaces = 0;
      for (size_t k = s; k < textEndIndex; ++k) {
        if (text[k] == ' ' && !RunAt(k).hidden) ++spaces;
      }
      if (diff > 0 && spaces > 0) {
        const int64_t each = diff / static_cast<int64_t>(spaces);
        int64_t extra = diff % static_cast<int64_t>(spaces);
        // The odd twips go to the spaces nearest the line's end.
        for (size_t k = textEndIndex; k-- > s;) {
          if (text[k] != ' ' || RunAt(k).hidden) continue;
          m_widths[k] = Clamp32(m_widths[k] + each + (extra > 0 ? 1 : 0));
          if (extra > 0) --extra;
        }
        width += diff;
        spaceWidth += diff;
      }
    }
    int64_t lx;
    switch (pf.alignment) {
      case kAlignRight:
        lx = pf.leftIndent + W - width;
        break;
      case kAlignCentre:
        lx = first ? pf.leftIndent + pf.firstIndent + (W + pf.firstIndent - width) / 2
                   : pf.leftIndent + (W - width) / 2;
        break;
      default:
        lx = startX;
    }
    line.x = Clamp32(std::max<int64_t>(0, lx));
    line.width = Clamp32(width);
    line.spaceWidth = Clamp32(std::max(width, spaceWidth));
    line.height = lineH;
    line.ascent = std::min(lineA, lineH);
    return line;
  }

  const CRtfDoc& m_doc;
  FontCache& m_fonts;
  int32_t m_pageWidth, m_pageHeight;
  std::unordered_map<uint64_t, RunFonts> m_memo;  // node-based: references stay put
  const CharFormat* m_lastFormat = nullptr;
  const RunFonts* m_lastFonts = nullptr;
  std::vector<int32_t> m_widths;
  std::vector<RunInfo> m_runs;
  size_t m_run = 0;
  const ParaFormat* m_pf = nullptr;
  const std::string* m_text = nullptr;
  int32_t m_defaultTab = 720;
  std::vector<std::pair<uint32_t, uint8_t>>* m_leaders = nullptr;
};

}  // namespace textpane
