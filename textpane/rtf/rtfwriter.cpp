#include "textpane/rtf/rtfwriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "textpane/model/charcase.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/rtf/outstream.h"

namespace textpane {

namespace {

// How each byte of text is written in RTF; empty for bytes written as they
// stand. Built once: the per-byte cost is one table look-up.
struct EscapeTable {
  std::array<std::string_view, 256> text{};
  char hex[256][5];

  EscapeTable() {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int c = 0; c < 256; ++c) {
      hex[c][0] = '\\';
      hex[c][1] = '\'';
      hex[c][2] = kDigits[c >> 4];
      hex[c][3] = kDigits[c & 15];
      hex[c][4] = 0;
      if (c >= 128 || c == 0 || c == kCharParagraphMark) text[c] = std::string_view(hex[c], 4);
    }
    text[kCharTab] = "\\tab ";
    text[kCharLineBreak] = "\\line ";
    text[kCharNonBreakingHyphen] = "\\_";
    text[kCharOptionalHyphen] = "\\-";
    text['\\'] = "\\\\";
    text['{'] = "\\{";
    text['}'] = "\\}";
    text[kCharLeftQuote] = "\\lquote ";
    text[kCharRightQuote] = "\\rquote ";
    text[kCharLeftDoubleQuote] = "\\ldblquote ";
    text[kCharRightDoubleQuote] = "\\rdblquote ";
    text[kCharBullet] = "\\bullet ";
    text[kCharEnDash] = "\\endash ";
    text[kCharEmDash] = "\\emdash ";
    text[kCharNonBreakingSpace] = "\\~";
  }
};

const EscapeTable& Escapes() {
  static const EscapeTable table;
  return table;
}

constexpr std::string_view kBorderStyleWords[] = {"", "brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash",
                                                  "brdrhair"};
constexpr std::string_view kPatternWords[] = {"",          "bghoriz",    "bgvert",    "bgfdiag",   "bgbdiag",
                                              "bgcross",   "bgdcross",   "bgdkhoriz", "bgdkvert",  "bgdkfdiag",
                                              "bgdkbdiag", "bgdkcross",  "bgdkdcross"};
constexpr std::string_view kCellPatternWords[] = {"",            "clbghoriz",   "clbgvert",     "clbgfdiag",
                                                  "clbgbdiag",   "clbgcross",   "clbgdcross",   "clbgdkhor",
                                                  "clbgdkvert",  "clbgdkfdiag", "clbgdkbdiag",  "clbgdkcross",
                                                  "clbgdkdcross"};
constexpr std::string_view kFamilyWords[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};

bool SameFont(const FontEntry& a, const FontEntry& b) {
  return a.height == b.height && a.weight == b.weight && a.italic == b.italic && a.underline == b.underline &&
         a.strikeOut == b.strikeOut && a.charSet == b.charSet && a.outPrecision == b.outPrecision &&
         a.quality == b.quality && a.pitchAndFamily == b.pitchAndFamily &&
         std::strncmp(a.faceName, b.faceName, sizeof a.faceName) == 0;
}

class RtfWriter {
 public:
  RtfWriter(const CRtfDoc& doc, OutStream& out, bool ignorable)
      : m_doc(doc), m_out(out), m_esc(Escapes()), m_ignorable(ignorable) {}

  void Write() {
    Raw("{\\rtf1\\ansi ");
    WriteFontTable();
    WriteColorTable();
    WriteDocFormat();
    CollectLevels();
    bool first = true;
    for (const Node* s = m_doc.Root()->FirstChild(); s; s = s->Next()) {
      if (s->Kind() != NodeKind::Section) {
        WriteBlock(s);
        continue;
      }
      WriteSectionFormat(static_cast<const SectionNode*>(s)->format);
      if (!first) Raw("\\sect ");
      first = false;
      for (const Node* c = s->FirstChild(); c; c = c->Next()) WriteBlock(c);
    }
    CloseLink();
    Raw("}");
    m_out.Flush();
  }

 private:
  // --- control words -------------------------------------------------------

  // Written as one piece, so a line end never falls inside a word.
  void Word(std::string_view name) {
    char buf[48];
    buf[0] = '\\';
    const size_t n = std::min(name.size(), sizeof buf - 1);
    std::memcpy(buf + 1, name.data(), n);
    m_out.PutString(std::string_view(buf, n + 1));
    m_open = true;
  }
  void Word(std::string_view name, int64_t value) {
    char buf[64];
    buf[0] = '\\';
    const size_t n = std::min(name.size(), sizeof buf - 24);
    std::memcpy(buf + 1, name.data(), n);
    char* end = std::to_chars(buf + 1 + n, buf + sizeof buf, value).ptr;
    m_out.PutString(std::string_view(buf, static_cast<size_t>(end - buf)));
    m_open = true;
  }
  // Anything that needs no delimiter after it.
  void Raw(std::string_view s) {
    m_out.PutString(s);
    m_open = false;
  }
  // A word without a delimiter would take following letters or digits into
  // itself. PutString leaves room in the line, so the space is never parted
  // from its word by a line end.
  void Delimit() {
    if (m_open) m_out.PutChar(' ');
    m_open = false;
  }

  // --- destinations and document format -------------------------------------

  void WriteFontTable() {
    const FontTable& fonts = m_doc.Fonts();
    if (fonts.defaultFont != 0) {
      Word("deff", fonts.defaultFont);
      Delimit();
    }
    // The entry every table starts with comes back by itself; written out,
    // it would come back without its height.
    const FontTable fresh;
    const FontEntry& initial = *fresh.Find(0);
    bool open = false;
    for (int32_t number : fonts.Numbers()) {
      const FontEntry& f = *fonts.Find(number);
      if (number == 0 && SameFont(f, initial)) continue;
      if (!open) Raw("{\\fonttbl");
      open = true;
      Raw("{");
      Word("f", number);
      const unsigned family = f.pitchAndFamily >> 4;
      Word(family < std::size(kFamilyWords) ? kFamilyWords[family] : kFamilyWords[0]);
      Word("fcharset", f.charSet);
      Delimit();
      Word("fprq", f.pitchAndFamily & 0x0F);
      Delimit();
      for (size_t i = 0; i < sizeof f.faceName && f.faceName[i]; ++i) {
        const auto c = static_cast<unsigned char>(f.faceName[i]);
        // ";" would end the entry and braces the table.
        if (c < 32 || c >= 128 || c == ';' || c == '\\' || c == '{' || c == '}') Raw(std::string_view(m_esc.hex[c], 4));
        else m_out.PutChar(static_cast<char>(c));
      }
      Raw(";}");
    }
    if (open) Raw("}");
  }

  void WriteColorTable() {
    const ColorTable& colors = m_doc.Colors();
    if (colors.Size() == 0) return;
    Raw("{\\colortbl");
    for (size_t i = 0; i < colors.Size(); ++i) {
      const ColorEntry& e = colors[i];
      if (!e.automatic) {
        Word("red", e.rgb & 255);
        Word("green", (e.rgb >> 8) & 255);
        Word("blue", (e.rgb >> 16) & 255);
      }
      Raw(";");
    }
    Raw("}");
  }

  void WriteDocFormat() {
    const DocFormat& d = m_doc.Format();
    const DocFormat def;
    if (d.paperWidth != def.paperWidth) Word("paperw", d.paperWidth);
    if (d.paperHeight != def.paperHeight) Word("paperh", d.paperHeight);
    if (d.marginLeft != def.marginLeft) Word("margl", d.marginLeft);
    if (d.marginRight != def.marginRight) Word("margr", d.marginRight);
    if (d.marginTop != def.marginTop) Word("margt", d.marginTop);
    if (d.marginBottom != def.marginBottom) Word("margb", d.marginBottom);
    if (d.landscape) Word("landscape");
    if (d.defaultTab != def.defaultTab) Word("deftab", d.defaultTab);
    if (d.language != def.language) Word("deflang", d.language);
  }

  // Written before the "\sect" that starts the section: the new section
  // takes a copy of the section format in force there.
  void WriteSectionFormat(const SectionFormat& f) {
    if (f == m_section) return;
    Word("sectd");
    switch (f.breakKind) {
      case kBreakNone: Word("sbknone"); break;
      case kBreakColumn: Word("sbkcol"); break;
      case kBreakEven: Word("sbkeven"); break;
      case kBreakOdd: Word("sbkodd"); break;
      default: break;
    }
    if (f.landscape) Word("lndscpsxn");
    m_section = f;
  }

  // --- paragraph, row and cell formats ---------------------------------------

  void WriteBorder(const BorderSpec& b) {
    if (b.style < std::size(kBorderStyleWords) && b.style != kBorderNone) Word(kBorderStyleWords[b.style]);
    if (b.width) Word("brdrw", b.width);
    if (b.space) Word("brsp", b.space);
    if (b.colour) Word("brdrcf", b.colour);
  }

  void WriteShading(const Shading& s, bool cell) {
    if (s.percentage) Word(cell ? "clshdng" : "shading", s.percentage);
    if (s.foreground) Word(cell ? "clcfpat" : "cfpat", s.foreground);
    if (s.background) Word(cell ? "clcbpat" : "cbpat", s.background);
    if (s.pattern != 0 && s.pattern < std::size(kPatternWords)) {
      Word(cell ? kCellPatternWords[s.pattern] : kPatternWords[s.pattern]);
    }
  }

  void WriteParaFormat(const ParaFormat& f) {
    Word("pard");
    const BorderSpec none;
    const BorderSpec* b = f.borders;
    if (b[0] != none && b[0] == b[1] && b[0] == b[2] && b[0] == b[3]) {
      Word("box");
      WriteBorder(b[0]);
    } else {
      static constexpr std::string_view kSides[] = {"brdrl", "brdrt", "brdrr", "brdrb"};
      for (int s = 0; s < 4; ++s) {
        if (b[s] == none) continue;
        Word(kSides[s]);
        WriteBorder(b[s]);
      }
    }
    if (f.inTable) Word("intbl");
    if (f.rightToLeft) Word("rtlpar");
    if (f.firstIndent) Word("fi", f.firstIndent);
    if (f.leftIndent) Word("li", f.leftIndent);
    if (f.rightIndent) Word("ri", f.rightIndent);
    switch (f.alignment) {
      case kAlignRight: Word("qr"); break;
      case kAlignCentre: Word("qc"); break;
      case kAlignJustify: Word("qj"); break;
      default: break;
    }
    if (f.spaceBefore) Word("sb", f.spaceBefore);
    if (f.spaceAfter) Word("sa", f.spaceAfter);
    static constexpr std::string_view kKinds[] = {"", "tqc", "tqr", "tqdec"};
    static constexpr std::string_view kLeaders[] = {"", "tldot", "tlhyph", "tlul", "tlth", "tleq"};
    for (const TabStop& t : f.tabs) {
      if (t.kind == kTabBar) {
        if (t.leader && t.leader < std::size(kLeaders)) Word(kLeaders[t.leader]);
        Word("tb", t.position);
        continue;
      }
      if (t.kind && t.kind < std::size(kKinds)) Word(kKinds[t.kind]);
      if (t.leader && t.leader < std::size(kLeaders)) Word(kLeaders[t.leader]);
      Word("tx", t.position);
    }
    WriteShading(f.shading, false);
  }

  void WriteRowDefinition(const RowFormat& r) {
    Word("trowd");
    if (r.halfGap) Word("trgaph", r.halfGap);
    if (r.left) Word("trleft", r.left);
    if (r.height) Word("trrh", r.height);
    if (r.header) Word("trhdr");
    if (r.keep) Word("trkeep");
    if (r.alignment == kAlignCentre) Word("trqc");
    else if (r.alignment == kAlignRight) Word("trqr");
    static constexpr std::string_view kRowSides[] = {"trbrdrl", "trbrdrt", "trbrdrr", "trbrdrb", "trbrdrh", "trbrdrv"};
    const BorderSpec none;
    for (int s = 0; s < 6; ++s) {
      if (r.borders[s] == none) continue;
      Word(kRowSides[s]);
      WriteBorder(r.borders[s]);
    }
    WriteShading(r.shading, false);
    static constexpr std::string_view kCellSides[] = {"clbrdrl", "clbrdrt", "clbrdrr", "clbrdrb"};
    for (const CellFormat& c : r.cells) {
      for (int s = 0; s < 4; ++s) {
        if (c.borders[s] == none) continue;
        Word(kCellSides[s]);
        WriteBorder(c.borders[s]);
      }
      WriteShading(c.shading, true);
      Word("cellx", c.rightBoundary);
    }
  }

  // --- character formats -----------------------------------------------------

  void Toggle(std::string_view name, uint8_t from, uint8_t to) {
    if (from != to) Word(name, to);
  }
  void Value(std::string_view name, int64_t from, int64_t to) {
    if (from != to) Word(name, to);
  }

  // Everything but the book state (links, concordance, level), which has
  // words of its own, and the search mark, which is no part of the text.
  void WriteCharFormat(const CharFormat& to) {
    if (!m_haveChar) {
      Word("plain");
      m_char = CharFormat{};
      m_char.font = static_cast<uint16_t>(m_doc.Fonts().defaultFont);
      m_haveChar = true;
    }
    const CharFormat& from = m_char;
    Toggle("v", from.hidden, to.hidden);
    if (from.verticalPosition != to.verticalPosition) {
      Word(to.verticalPosition == kVertSubscript     ? "sub"
           : to.verticalPosition == kVertSuperscript ? "super"
                                                     : "nosupersub");
    }
    Toggle("b", from.bold, to.bold);
    Toggle("caps", from.caps, to.caps);
    Toggle("scaps", from.smallCaps, to.smallCaps);
    Toggle("i", from.italic, to.italic);
    Toggle("strike", from.strike, to.strike);
    Toggle("ul", from.underline, to.underline);
    if (from.rightToLeft != to.rightToLeft) Word(to.rightToLeft ? "rtlch" : "ltrch");
    Value("cb", from.background, to.background);
    Value("cf", from.foreground, to.foreground);
    Value("f", from.font, to.font);
    Value("fs", from.size / 10, to.size / 10);
    Value("kerning", from.kerning / 10, to.kerning / 10);
    if (from.expansion != to.expansion) {
      // The reader applies words in order; the exact twips go last so that
      // the quarter points cannot round them away.
      Word("expnd", to.expansion / 5);
      Word("expndtw", to.expansion);
    }
    Value("lang", from.language, to.language);
    m_char.hidden = to.hidden;
    m_char.verticalPosition = to.verticalPosition;
    m_char.bold = to.bold;
    m_char.caps = to.caps;
    m_char.smallCaps = to.smallCaps;
    m_char.italic = to.italic;
    m_char.strike = to.strike;
    m_char.underline = to.underline;
    m_char.rightToLeft = to.rightToLeft;
    m_char.background = to.background;
    m_char.foreground = to.foreground;
    m_char.font = to.font;
    m_char.size = to.size;
    m_char.kerning = to.kerning;
    m_char.expansion = to.expansion;
    m_char.language = to.language;
  }

  // --- book state ------------------------------------------------------------

  void CloseLink() {
    if (!m_link) return;
    Raw(m_ignorable ? "{\\*" : "{");
    Word("soltlinkto", m_link->Type());
    if (!m_link->Target().empty()) {
      Delimit();
      m_out.PutText(m_link->Target());
    }
    Raw("}");
    m_link = nullptr;
  }

  void LinkTo(const CharFormat& f) {
    if (m_pendingLink) {
      // Pending text stays pending to the reader until a target comes; it
      // cannot be ended any other way, and a target finishes it.
      if (f.linkText && f.link) {
        m_pendingLink = false;
        m_link = f.link.get();
      }
      return;
    }
    if (!f.linkText) return CloseLink();
    if (f.link && f.link.get() == m_link) return;
    CloseLink();
    Word("soltlink");
    if (f.link) m_link = f.link.get();
    else m_pendingLink = true;
  }

  void CollectLevels() {
    const LevelTable& levels = m_doc.Levels();
    for (size_t n = 0; n < levels.Count(); ++n) {
      TextPoint at = levels.At(static_cast<int32_t>(n));
      if (!at.paragraph) at = {m_doc.FirstParagraph(), 0};
      m_levels[at.paragraph].push_back({at.offset, static_cast<int32_t>(n)});
    }
    for (auto& [p, list] : m_levels) {
      std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    }
  }

  void StartLevel(int32_t n) {
    Word("soltstartlevel", n);
    m_level = n;
  }

  // --- text ------------------------------------------------------------------

  void WriteBlock(const Node* n) {
    switch (n->Kind()) {
      case NodeKind::Paragraph: WriteParagraph(*n->AsParagraph(), false, false); break;
      case NodeKind::Table:
        for (const Node* row = n->FirstChild(); row; row = row->Next()) WriteRow(row);
        break;
      case NodeKind::Row: WriteRow(n); break;
      default:
        for (const Node* c = n->FirstChild(); c; c = c->Next()) WriteBlock(c);
    }
  }

  void WriteRow(const Node* row) {
    if (row->Kind() != NodeKind::Row) return WriteBlock(row);
    WriteRowDefinition(static_cast<const RowNode*>(row)->format);
    // The row definition takes all white space after it; a paragraph format
    // written out in full keeps a cell's leading space its own.
    m_forcePara = true;
    for (const Node* cell = row->FirstChild(); cell; cell = cell->Next()) {
      for (const Node* c = cell->FirstChild(); c; c = c->Next()) {
        if (c->Kind() == NodeKind::Paragraph) WriteParagraph(*c->AsParagraph(), true, c->Next() == nullptr);
      }
    }
    Raw("\\row ");
  }

  void WriteParagraph(const Paragraph& p, bool inCell, bool lastInCell) {
    const ParaFormat* pf = &*p.Format();
    ParaFormat cellFormat;
    if (inCell && !pf->inTable) {
      // Text in a cell without the table flag would close the table.
      cellFormat = *pf;
      cellFormat.inTable = 1;
      pf = &cellFormat;
    }
    if (m_forcePara || !m_havePara || *pf != m_para) {
      WriteParaFormat(*pf);
      m_para = *pf;
      m_havePara = true;
      m_forcePara = false;
    }

    const std::vector<std::pair<size_t, int32_t>>* levels = nullptr;
    if (!m_levels.empty()) {
      auto it = m_levels.find(&p);
      if (it != m_levels.end()) levels = &it->second;
    }
    size_t nextLevel = 0;
    const std::string& text = p.Text();
    const size_t markAt = text.size() - 1;
    size_t off = 0;
    for (const Run& run : p.Runs()) {
      const size_t end = off + run.length;
      while (off < end) {
        // The mark goes on its own, and a level start begins a new piece.
        size_t segEnd = off < markAt ? std::min(end, markAt) : end;
        if (levels) {
          while (nextLevel < levels->size() && (*levels)[nextLevel].first <= off) {
            StartLevel((*levels)[nextLevel++].second);
          }
          if (nextLevel < levels->size()) segEnd = std::min(segEnd, (*levels)[nextLevel].first);
        }
        WriteSegment(*run.format, text, off, segEnd, off == markAt, inCell && lastInCell);
        off = segEnd;
      }
    }
    if (levels) {
      while (nextLevel < levels->size()) StartLevel((*levels)[nextLevel++].second);
    }
  }

  void WriteSegment(const CharFormat& f, const std::string& text, size_t off, size_t end, bool mark, bool cellEnd) {
    int k = f.concordance;
    if (mark && k == kConcordanceKey) k = kConcordanceInside;
    // Key text is not written. The span it opens is, but only once text of
    // the span follows: a key inside an open span, or one with no text after
    // it, would be written as an empty "{\soltconcordanceon}" that a reader
    // takes as nothing, so the next writing would lose it.
    if (k == kConcordanceKey) return;
    if (k == kConcordanceInside && m_concordance == kConcordanceOutside) {
      Raw(m_ignorable ? "{\\*\\soltconcordanceon}" : "{\\soltconcordanceon}");
      m_concordance = kConcordanceInside;
    } else if (k == kConcordanceOutside && m_concordance == kConcordanceInside && !mark) {
      // (A mark outside the span it follows is the last paragraph's, which
      // keeps the format it was created with; it ends nothing.)
      // The word puts back the hidden space that ends every span, in the
      // format then in force.
      const bool closingSpace = f.hidden && text[off] == ' ';
      if (closingSpace) {
        CharFormat g = f;
        g.hidden = m_haveChar ? m_char.hidden : 0;
        WriteCharFormat(g);
      }
      Word("soltconcordanceoff");
      m_concordance = kConcordanceOutside;
      if (closingSpace) ++off;
    }
    if (!mark && f.hidden && k == kConcordanceOutside) return;
    if (off >= end) return;

    LinkTo(f);
    if (f.level != m_level && f.level != kDropLevel) StartLevel(f.level);
    WriteCharFormat(f);
    if (mark) {
      Raw(cellEnd ? "\\cell " : "\\par ");
      m_out.EndLine(false);
      return;
    }
    if (f.picture) {
      for (size_t i = off; i < end; ++i) {
        if (text[i] == static_cast<char>(kCharPicture)) WritePicture(*f.picture);
        else WriteChars(text, i, i + 1);
      }
      return;
    }
    WriteChars(text, off, end);
  }

  void WriteChars(const std::string& text, size_t off, size_t end) {
    const char* s = text.data();
    while (off < end) {
      size_t n = off;
      while (n < end && m_esc.text[static_cast<unsigned char>(s[n])].empty()) ++n;
      if (n > off) {
        Delimit();
        m_out.PutText(std::string_view(s + off, n - off));
        off = n;
      }
      if (off < end) {
        Raw(m_esc.text[static_cast<unsigned char>(s[off])]);
        ++off;
      }
    }
  }

  void WritePicture(const Picture& pic) {
    Raw("{\\pict");
    switch (pic.kind) {
      case Picture::Kind::Png: Word("pngblip"); break;
      case Picture::Kind::Jpeg: Word("jpegblip"); break;
      case Picture::Kind::Metafile: Word("wmetafile", pic.mappingMode); break;
    }
    Word("picw", pic.width);
    Word("pich", pic.height);
    if (pic.goalWidth) Word("picwgoal", pic.goalWidth);
    if (pic.goalHeight) Word("pichgoal", pic.goalHeight);
    if (pic.scaleX != 100) Word("picscalex", pic.scaleX);
    if (pic.scaleY != 100) Word("picscaley", pic.scaleY);
    if (pic.bitmap) Word("picbmp");
    if (pic.bitsPerPixel) Word("picbpp", pic.bitsPerPixel);
    Delimit();
    m_out.PutHex(pic.metafile.data(), pic.metafile.size());
    Raw("}");
  }

  const CRtfDoc& m_doc;
  OutStream& m_out;
  const EscapeTable& m_esc;
  const bool m_ignorable;  // the book's destinations marked "\*" for other programs
  bool m_open = false;  // the last word still needs a delimiter before text

  // The reader's working formats as the output so far leaves them.
  CharFormat m_char;
  bool m_haveChar = false;
  ParaFormat m_para;
  bool m_havePara = true;
  bool m_forcePara = false;
  SectionFormat m_section;
  LinkTarget* m_link = nullptr;  // the link whose text is being written
  bool m_pendingLink = false;  // link text without a target has begun
  uint8_t m_concordance = kConcordanceOutside;
  int32_t m_level = 0;
  std::unordered_map<const Paragraph*, std::vector<std::pair<size_t, int32_t>>> m_levels;
};

// Plain text for other programs: no markup, hidden text and pictures dropped,
// small capitals in upper case, and each paragraph followed by an empty line.
void WriteText(const CRtfDoc& doc, OutStream& out) {
  char buf[256];
  for (const Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    const std::string& text = p->Text();
    const bool last = NextLeaf(p) == nullptr;
    size_t off = 0;
    for (const Run& run : p->Runs()) {
      const size_t end = off + run.length;
      const CharFormat& f = *run.format;
      for (size_t i = off; i < end && !f.hidden;) {
        // Translate a block at a time into a local buffer.
        size_t n = 0;
        for (; i < end && n < sizeof buf; ++i) {
          auto c = static_cast<unsigned char>(text[i]);
          if (c == kCharLineBreak || c == kCharParagraphMark) break;
          // A picture has no text, and a zero byte would end the text for
          // every program that reads the clipboard as a C string.
          if (c == kCharPicture) continue;
          if (c == kCharNonBreakingHyphen || c == kCharOptionalHyphen) c = '-';
          else if (c == kCharNonBreakingSpace) c = ' ';
          else if (f.smallCaps) c = UpperCase1252(c);
          buf[n++] = static_cast<char>(c);
        }
        out.PutText(std::string_view(buf, n));
        if (i < end && n < sizeof buf) {
          if (text[i] == static_cast<char>(kCharLineBreak)) {
            out.EndLine(true);
          } else if (i + 1 == text.size()) {
            if (!last) {
              out.EndLine(true);
              out.EndLine(true);
            }
          }
          ++i;
        }
      }
      if (f.hidden && end == text.size() && !last) {
        out.EndLine(true);
        out.EndLine(true);
      }
      off = end;
    }
  }
  out.Flush();
}

}  // namespace

void WriteDocument(const CRtfDoc& doc, OutStream& out, FORMAT format, bool forOtherPrograms) {
  if (format == FORMAT_TEXT) {
    WriteText(doc, out);
    return;
  }
  RtfWriter(doc, out, forOtherPrograms).Write();
}

}  // namespace textpane
