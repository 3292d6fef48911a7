// Drawing a laid-out document: shading and borders first, then each line's
// characters run by run in their colours, pictures and tab leaders.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "textpane/layout/breaker.h"
#include "textpane/layout/layout.h"
#include "textpane/layout/shading.h"
#include "textpane/model/node.h"

namespace textpane {

namespace {

LRect ToSurface(const DrawArea& area, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return LRect{Clamp32(left - area.originX), Clamp32(top - area.originY), Clamp32(right - area.originX),
               Clamp32(bottom - area.originY)};
}

RGB BorderColour(const Colors& colors, const ColorTable& table, const BorderSpec& b) {
  return table.Lookup(b.colour).value_or(colors.GetColor(kRoleAutoText));
}

// One side of a box: a line as wide as the border (a hairline one unit, so
// at least a pixel); a double border two thin lines.
void DrawBorderSide(Surface& s, const Colors& colors, const ColorTable& table, const BorderSpec& b, LRect r,
                    bool horizontal) {
  if (!HasBorder(b)) return;
  const RGB colour = BorderColour(colors, table, b);
  const int32_t w = std::max<int32_t>(1, b.style == kBorderThick ? std::max<int32_t>(b.width, 30) : b.width);
  if (horizontal) {
    r.bottom = r.top + w;
  } else {
    r.right = r.left + w;
  }
  if (b.style == kBorderDouble && w >= 3) {
    LRect first = r, second = r;
    if (horizontal) {
      first.bottom = r.top + w / 3;
      second.top = r.bottom - w / 3;
    } else {
      first.right = r.left + w / 3;
      second.left = r.right - w / 3;
    }
    s.FillRect(first, colour);
    s.FillRect(second, colour);
    return;
  }
  s.FillRect(r, colour);
}

// Borders drawn just inside a box: left and top at its start, right and
// bottom ending at its far edges.
void DrawBox(Surface& s, const Colors& colors, const ColorTable& table, const BorderSpec* sides, const LRect& box) {
  auto width = [](const BorderSpec& b) { return std::max<int32_t>(1, b.width); };
  DrawBorderSide(s, colors, table, sides[kSideLeft], box, false);
  DrawBorderSide(s, colors, table, sides[kSideTop], box, true);
  LRect right = box;
  right.left = box.right - width(sides[kSideRight]);
  DrawBorderSide(s, colors, table, sides[kSideRight], right, false);
  LRect bottom = box;
  bottom.top = box.bottom - width(sides[kSideBottom]);
  DrawBorderSide(s, colors, table, sides[kSideBottom], bottom, true);
}

void DrawLeader(Surface& s, const CachedFont& font, uint8_t leader, int32_t x, int32_t baseline, int32_t width) {
  if (width <= 0) return;
  if (leader == kLeaderUnderline || leader == kLeaderThick) {
    const int32_t h = std::max(1, font.lineHeight / (leader == kLeaderThick ? 8 : 20));
    s.FillRect(LRect{x, baseline, x + width, baseline + h}, 0);
    return;
  }
  const unsigned char c = leader == kLeaderDots ? '.' : leader == kLeaderHyphens ? '-' : '=';
  const int32_t step = std::max<int32_t>(1, font.widths[c]);
  // Whole characters only, ending flush with the stop.
  const int32_t count = std::min<int32_t>(width / step, 4096);
  if (count <= 0) return;
  std::vector<unsigned char> bytes(static_cast<size_t>(count), c);
  std::vector<int32_t> advances(static_cast<size_t>(count), step);
  s.DrawChars(*font.font, x + width - count * step, baseline, bytes.data(), advances.data(), bytes.size());
}

}  // namespace

void DocumentLayout::Draw(Surface& surface, const Colors& colors, const DrawArea& area) const {
  if (!m_doc || m_bands.empty() || area.clip.IsEmpty()) return;
  const int64_t fromY = area.originY + area.clip.top;
  const int64_t toY = area.originY + area.clip.bottom;
  for (size_t b = BandAt(fromY); b < m_bands.size() && m_bands[b].top < toY; ++b) {
    const LayoutBand& band = m_bands[b];
    if (band.top + BandHeight(b) <= fromY) continue;
    if (band.row >= 0) DrawRow(surface, colors, area, m_rows[static_cast<size_t>(band.row)]);
    for (const PlacedParagraph& p : BandParagraphs(b)) {
      if (p.top < toY && p.top + p.height > fromY) DrawParagraph(surface, colors, area, p);
    }
  }
}

void DocumentLayout::DrawRow(Surface& s, const Colors& colors, const DrawArea& area, const PlacedRow& r) const {
  const RowFormat& rf = r.row->format;
  const ColorTable& table = m_doc->Colors();
  const int64_t bottom = r.top + r.height;
  if (r.cellCount == 0) return;
  const int32_t rowRight = m_cells[r.firstCell + r.cellCount - 1].right;
  FillShading(s, colors, table, rf.shading, ToSurface(area, r.left, r.top, rowRight, bottom));
  uint32_t c = 0;
  for (const Node* n = r.row->FirstChild(); n && c < r.cellCount; n = n->Next()) {
    if (n->Kind() != NodeKind::Cell) continue;
    const CellFormat& cf = static_cast<const CellNode*>(n)->format;
    const PlacedCell& pc = m_cells[r.firstCell + c];
    const LRect box = ToSurface(area, pc.left, r.top, pc.right, bottom);
    if (!box.IsEmpty() && box.Intersects(area.clip)) {
      FillShading(s, colors, table, cf.shading, box);
      // A cell without borders of its own takes the row's: the outer ones
      // at the row's edges, the inside ones between cells.
      BorderSpec sides[4];
      for (int side = 0; side < 4; ++side) {
        sides[side] = cf.borders[side];
        if (HasBorder(sides[side])) continue;
        const bool outer = side == kSideTop || side == kSideBottom || (side == kSideLeft && c == 0) ||
                           (side == kSideRight && c + 1 == r.cellCount);
        if (outer) {
          sides[side] = rf.borders[side];
        } else if (side == kSideRight) {
          sides[side] = rf.borders[kSideInsideV];
        }
      }
      DrawBox(s, colors, table, sides, box);
    }
    ++c;
  }
}

void DocumentLayout::DrawParagraph(Surface& s, const Colors& colors, const DrawArea& area,
                                   const PlacedParagraph& p) const {
  const Paragraph& para = *p.paragraph;
  const ParaFormat& pf = *para.Format();
  const ColorTable& table = m_doc->Colors();
  const int64_t boxLeft = int64_t{p.left} + std::max<int16_t>(0, pf.leftIndent);
  const int64_t boxRight = int64_t{p.left} + p.width - std::max<int16_t>(0, pf.rightIndent);
  const int64_t boxTop = p.top + std::max<int16_t>(0, pf.spaceBefore);
  const int64_t boxBottom = p.top + p.height - std::max<int16_t>(0, pf.spaceAfter);
  const LRect box = ToSurface(area, boxLeft, boxTop, boxRight, boxBottom);
  FillShading(s, colors, table, pf.shading, box);
  DrawBox(s, colors, table, pf.borders, box);

  const WidthCacheEntry& cached = CachedWidths(p);
  const std::vector<int32_t>& widths = cached.widths;
  const std::string& text = para.Text();
  const int64_t fromY = area.originY + area.clip.top;
  const int64_t toY = area.originY + area.clip.bottom;
  const int64_t clipLeft = int64_t{area.originX} + area.clip.left;
  const int64_t clipRight = int64_t{area.originX} + area.clip.right;

  // Runs as [start, end) with their formats, walked forward line by line.
  const auto& runs = para.Runs();
  size_t runIndex = 0, runStart = 0;
  // Characters go out in groups that draw alike (font, colour, baseline),
  // across runs: book text parts nearly every word into runs of its own.
  std::vector<unsigned char> bytes;
  std::vector<int32_t> advances;
  const CachedFont* groupFont = nullptr;
  RGB groupColour = 0;
  int32_t groupY = 0;
  int64_t groupX = 0;
  auto flush = [&] {
    if (!bytes.empty()) {
      s.SetTextColor(groupColour);
      s.DrawChars(*groupFont->font, Clamp32(groupX - area.originX), groupY, bytes.data(), advances.data(),
                  bytes.size());
    }
    bytes.clear();
    advances.clear();
  };

  int64_t lineTop = p.top + LinesTop(p);
  for (const LayoutLine& line : Lines(p)) {
    const int64_t top = lineTop;
    lineTop += line.height;
    if (lineTop <= fromY) continue;
    if (top >= toY) break;
    const int64_t baseline = top + line.ascent;
    int64_t x = int64_t{p.left} + line.x;
    size_t i = line.start;
    while (i <= line.end && i < text.size()) {
      while (runIndex + 1 < runs.size() && i >= runStart + runs[runIndex].length) {
        runStart += runs[runIndex].length;
        ++runIndex;
      }
      const CharFormat& f = *runs[runIndex].format;
      const size_t segEnd = std::min<size_t>({runStart + runs[runIndex].length, size_t{line.end} + 1, text.size()});
      if (f.hidden) {
        i = segEnd;
        continue;
      }
      // Past the clip's right edge nothing more of the line shows.
      if (x >= clipRight) break;
      int64_t segWidth = 0;
      for (size_t k = i; k < segEnd && x + segWidth < clipRight; ++k) segWidth += widths[k];
      if (x + segWidth <= clipLeft || x >= clipRight) {
        if (segWidth) flush();
        x += segWidth;
        i = segEnd;
        continue;
      }
      const Breaker::RunFonts& fonts = m_breaker->FontsOf(f);
      const CachedFont& font = *fonts.font;
      RGB textColour;
      if (f.mark) {
        textColour = colors.GetColor(kRoleMarkText);
      } else if (f.linkText) {
        textColour = colors.GetColor(f.linkType);
      } else {
        textColour = table.Lookup(f.foreground).value_or(colors.GetColor(kRoleAutoText));
      }
      std::optional<RGB> back;
      if (f.mark) {
        back = colors.GetColor(kRoleMarkBack);
      } else {
        back = table.Lookup(f.background);
      }
      // Marks and line breaks take no fill past the text.
      int64_t fillRight = x + segWidth;
      if (segEnd == size_t{line.end} + 1 &&
          (text[line.end] == kCharParagraphMark || text[line.end] == kCharLineBreak)) {
        fillRight -= widths[line.end];
      }
      if (back && fillRight > x) s.FillRect(ToSurface(area, x, top, fillRight, top + line.height), *back);
      int64_t y = baseline;
      if (f.verticalPosition == kVertSuperscript) {
        y = top + font.ascent;
      } else if (f.verticalPosition == kVertSubscript) {
        y = baseline + font.ascent / 3;
      }
      const int32_t sy = Clamp32(y - area.originY);
      for (size_t k = i; k < segEnd; ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        const int32_t w = widths[k];
        if (x >= clipRight) break;
        if (x + w <= clipLeft || c == kCharParagraphMark || c == kCharLineBreak) {
          flush();
          x += w;
          continue;
        }
        if (c == kCharPicture && f.picture) {
          flush();
          int32_t pw = 0, ph = 0;
          m_breaker->PictureSize(*f.picture, pw, ph);
          s.DrawPicture(*f.picture, ToSurface(area, x, baseline - ph, x + pw, baseline));
          x += w;
          continue;
        }
        if (c == kCharOptionalHyphen) {
          flush();
          x += w;
          continue;
        }
        if (c == kCharTab) {
          flush();
          for (const auto& [at, leader] : cached.leaders) {
            if (at == k) {
              s.SetTextColor(textColour);
              DrawLeader(s, font, leader, Clamp32(x - area.originX), sy, w);
            }
          }
          x += w;
          continue;
        }
        const bool small = fonts.small && IsLower1252(c);
        const CachedFont* charFont = small ? fonts.small.get() : &font;
        if (bytes.empty() || charFont != groupFont || textColour != groupColour || sy != groupY) {
          flush();
          groupX = x;
          groupFont = charFont;
          groupColour = textColour;
          groupY = sy;
        }
        bytes.push_back(small ? UpperCase1252(c) : c == kCharNonBreakingHyphen ? '-' : c);
        advances.push_back(w);
        x += w;
      }
      i = segEnd;
    }
    flush();
  }
}

}  // namespace textpane
