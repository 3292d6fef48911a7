#include "app/bibles/verselayout.h"

#include <algorithm>
#include <cstring>

namespace klmw {

using textpane::CachedFont;
using textpane::FontDescription;
using textpane::LRect;
using textpane::RGB;

namespace {

// Twips at 100 % scaling: a point is 20.
constexpr int32_t kTwipsPerPoint = 20;

FontDescription Describe(const std::string& face, int32_t twips, int weight, bool italic, bool underline) {
  FontDescription d;
  d.height = -twips;
  d.weight = weight;
  d.italic = italic;
  d.underline = underline;
  std::strncpy(d.faceName, face.c_str(), sizeof d.faceName - 1);
  return d;
}

int32_t Advance(const CachedFont& f, unsigned char c) { return f.widths[c]; }

}  // namespace

CBibleColours CBibleColours::ForPage(RGB page, RGB text) {
  CBibleColours c;
  c.table.assign(6, page);
  c.table[0] = text;
  c.text = text;
  c.heading = text;
  return c;
}

CBibleLayout::CBibleLayout(std::shared_ptr<textpane::FontCache> fonts, int32_t pixel, const CBibleFontSizes& sizes)
    : m_cache(std::move(fonts)), m_sizes(sizes) {
  const int32_t text = sizes.textPoints * kTwipsPerPoint;
  const std::string& face = sizes.face;
  m_fonts[kFontHeading] = m_cache->Get(Describe(face, sizes.headingPoints * kTwipsPerPoint, 700, false, false));
  m_fonts[kFontNumber] = m_cache->Get(Describe(face, text * 2 / 3, 400, false, false));
  m_fonts[kFontText] = m_cache->Get(Describe(face, text, sizes.textWeight, false, false));
  m_fonts[kFontUnderlined] = m_cache->Get(Describe(face, text, sizes.textWeight, false, true));
  m_fonts[kFontItalic] = m_cache->Get(Describe(face, text, sizes.textWeight, true, false));
  m_fonts[kFontItalicUnderlined] = m_cache->Get(Describe(face, text, sizes.textWeight, true, true));
  m_lineHeight = std::max(1, m_fonts[kFontText]->lineHeight);
  m_indent = 5 * std::max(1, pixel);
  // Room for three figures and a blank, so that the texts of verses 1 to
  // 176 start in one column.
  m_minNumberWidth = Width(kFontNumber, "888 ", 0, 4);
}

int32_t CBibleLayout::HeadingAdvance() const { return m_fonts[kFontHeading]->lineHeight + m_lineHeight; }

int32_t CBibleLayout::Width(BibleFontSlot slot, const std::string& text, size_t from, size_t to) const {
  const CachedFont& f = *m_fonts[slot];
  int32_t w = 0;
  to = std::min(to, text.size());
  for (size_t i = from; i < to; ++i) w += Advance(f, static_cast<unsigned char>(text[i]));
  return w;
}

int32_t CBibleLayout::NumberWidth(const CVerse& v) const {
  const std::string number = std::to_string(v.verse + 1) + " ";
  return std::max(m_minNumberWidth, Width(kFontNumber, number, 0, number.size()));
}

int32_t CBibleLayout::Layout(CVerse& v, int32_t width, int32_t y) const {
  v.top = y;
  v.heading = v.verse == 0 && !v.headingText.empty();
  if (v.heading) y += HeadingAdvance();
  v.lines.clear();
  const CachedFont& f = *m_fonts[kFontText];
  const int32_t x0 = NumberWidth(v);
  const int32_t room = std::max<int32_t>(1, width - m_indent - x0);
  const std::string& t = v.text;
  const size_t n = t.size();
  size_t pos = 0;
  do {
    size_t end = pos;
    int32_t w = 0;
    while (end < n) {
      const int32_t a = Advance(f, static_cast<unsigned char>(t[end]));
      if (w + a > room) break;
      w += a;
      ++end;
    }
    // A line holds one character at least, however narrow the window.
    if (end == pos && end < n) ++end;
    // Back to the last blank, unless the break already falls on one or the
    // line has none.
    if (end < n && t[end] != ' ') {
      size_t b = end;
      while (b > pos && t[b - 1] != ' ') --b;
      if (b > pos) end = b;
    }
    v.lines.push_back({static_cast<int32_t>(pos), x0, y});
    y += m_lineHeight;
    pos = end;
    // Blanks at a break stay at the end of the line before.
    while (pos < n && t[pos] == ' ') ++pos;
  } while (pos < n);
  v.bottom = y;
  v.laidOut = true;
  return y;
}

void CBibleLayout::Draw(textpane::Surface& s, const CVerse& v, int32_t width, int32_t dy,
                        const CBibleColours& colours, const CVerseSelection* selection) const {
  if (!v.laidOut || v.lines.empty()) return;
  const CachedFont& text = *m_fonts[kFontText];
  if (v.heading) {
    const CachedFont& h = *m_fonts[kFontHeading];
    const int32_t w = Width(kFontHeading, v.headingText, 0, v.headingText.size());
    std::vector<int32_t> advances;
    for (unsigned char c : v.headingText) advances.push_back(Advance(h, c));
    s.SetTextColor(colours.heading);
    s.DrawChars(*h.font, std::max<int32_t>(0, (width - w) / 2), v.top + dy + m_lineHeight / 2 + h.ascent,
                reinterpret_cast<const unsigned char*>(v.headingText.data()), advances.data(), advances.size());
  }
  // The number sits on the baseline of the first line.
  const int32_t baseline0 = v.lines[0].y + dy + text.ascent;
  {
    const CachedFont& nf = *m_fonts[kFontNumber];
    const std::string number = std::to_string(v.verse + 1);
    std::vector<int32_t> advances;
    for (unsigned char c : number) advances.push_back(Advance(nf, c));
    if (v.marked) {
      // The bar fills the indent beside the verse's lines.
      const int32_t bar = std::max<int32_t>(1, m_indent * 3 / 5);
      s.FillRect({0, v.lines.front().y + dy, bar, v.bottom + dy}, colours.marked);
    }
    s.SetTextColor(v.marked ? colours.marked : colours.number);
    s.DrawChars(*nf.font, m_indent, baseline0, reinterpret_cast<const unsigned char*>(number.data()),
                advances.data(), advances.size());
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(v.text.data());
  std::vector<int32_t> advances;
  s.SetTextColor(colours.text);
  for (size_t i = 0; i < v.lines.size(); ++i) {
    const CVerseLine& line = v.lines[i];
    const int32_t lineStart = line.offset;
    const int32_t lineEnd = v.LineEnd(i);
    int32_t x = m_indent + line.x;
    const int32_t top = line.y + dy;
    for (size_t k = 0; k < v.segments.size(); ++k) {
      const CVerseSegment& seg = v.segments[k];
      const int32_t segEnd = k + 1 < v.segments.size() ? v.segments[k + 1].start : static_cast<int32_t>(v.text.size());
      const int32_t a = std::max(lineStart, seg.start);
      const int32_t b = std::min(lineEnd, segEnd);
      if (a >= b) continue;
      const bool underlined = seg.underline == kUnderlineOn;
      const CachedFont& f = underlined ? *m_fonts[kFontUnderlined] : text;
      advances.clear();
      int32_t w = 0;
      for (int32_t c = a; c < b; ++c) {
        advances.push_back(Advance(f, bytes[c]));
        w += advances.back();
      }
      if (seg.colour != kUncoloured) s.FillRect({x, top, x + w, top + m_lineHeight}, colours.Entry(seg.colour));
      // An underlined stretch leaves out the blank that ends it.
      size_t count = advances.size();
      if (underlined && b == segEnd && count > 0 && bytes[b - 1] == ' ') --count;
      // The piece is drawn in runs of one look: plain, a found word (red),
      // or a footnote letter (small, raised, the number's colour).
      auto style = [&](int32_t c) {
        for (const auto& n : v.notes)
          if (c >= n.first && c < n.second) return 2;
        for (const auto& m : v.found)
          if (c >= m.first && c < m.second) return 1;
        return 0;
      };
      int32_t runX = x;
      for (size_t done = 0; done < count;) {
        const int32_t at = a + static_cast<int32_t>(done);
        const int look = style(at);
        size_t n = 1;
        while (done + n < count && style(at + static_cast<int32_t>(n)) == look) ++n;
        if (look == 2) {
          const CachedFont& nf = *m_fonts[kFontNumber];
          std::vector<int32_t> small;
          for (size_t k = 0; k < n; ++k) {
            small.push_back(Advance(nf, bytes[at + static_cast<int32_t>(k)]));
          }
          s.SetTextColor(colours.number);
          s.DrawChars(*nf.font, runX, top + nf.ascent, bytes + at, small.data(), n);
        } else {
          s.SetTextColor(look == 1 ? colours.found : colours.text);
          s.DrawChars(*f.font, runX, top + text.ascent, bytes + at, advances.data() + done, n);
        }
        for (size_t k = done; k < done + n; ++k) runX += advances[k];
        done += n;
      }
      x += w;
    }
  }
  if (!selection || selection->IsEmpty() || v.index < selection->firstVerse || v.index > selection->lastVerse) return;
  const int32_t from = v.index == selection->firstVerse ? selection->firstChar : 0;
  const int32_t to = v.index == selection->lastVerse ? selection->lastChar : static_cast<int32_t>(v.text.size());
  for (size_t i = 0; i < v.lines.size(); ++i) {
    const CVerseLine& line = v.lines[i];
    const int32_t a = std::max(from, line.offset);
    const int32_t b = std::min(to, v.LineEnd(i));
    // A verse copied from its start takes its number along: the number's
    // column is shown selected too.
    const bool whole = i == 0 && from == 0 && a == line.offset;
    if (a >= b && !whole) continue;
    const int32_t left = whole ? 0 : m_indent + line.x + Width(kFontText, v.text, static_cast<size_t>(line.offset), static_cast<size_t>(a));
    const int32_t right = m_indent + line.x + Width(kFontText, v.text, static_cast<size_t>(line.offset), static_cast<size_t>(std::max(a, b)));
    s.InvertRect({left, line.y + dy, right, line.y + dy + m_lineHeight});
  }
}

int32_t CBibleLayout::HitTest(const CVerse& v, int32_t x, int32_t y) const {
  if (v.lines.empty() || y < v.lines.front().y) return 0;
  size_t i = 0;
  while (i + 1 < v.lines.size() && y >= v.lines[i + 1].y) ++i;
  if (y >= v.bottom) return static_cast<int32_t>(v.text.size());
  const CVerseLine& line = v.lines[i];
  const CachedFont& f = *m_fonts[kFontText];
  int32_t at = m_indent + line.x;
  const int32_t end = v.LineEnd(i);
  for (int32_t c = line.offset; c < end; ++c) {
    const int32_t a = Advance(f, static_cast<unsigned char>(v.text[static_cast<size_t>(c)]));
    if (x < at + a / 2) return c;
    at += a;
  }
  return end;
}

}  // namespace klmw
