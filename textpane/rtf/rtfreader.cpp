#include "textpane/rtf/rtfreader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "textpane/model/documentbuilder.h"
#include "textpane/model/fonttable.h"
#include "textpane/rtf/controlword.h"
#include "textpane/rtf/records.h"

namespace textpane {

namespace {

// Longer than any word in the tables; a longer run of letters is unknown
// without looking further.
constexpr size_t kMaxWord = 24;

struct WordName {
  char text[kMaxWord];
  size_t length = 0;
  bool alphabetic = false;
  bool tooLong = false;
  std::string_view View() const { return {text, length}; }
};

bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsLetter(unsigned char c) { return IsLower(c) || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The word after the backslash at the position, without consuming anything.
WordName ScanWord(InStream& in) {
  WordName w;
  const unsigned char c = in.PeekAt(1);
  if (!IsLetter(c)) {
    if (c != 0) {
      w.text[0] = static_cast<char>(c);
      w.length = 1;
    }
    return w;
  }
  w.alphabetic = true;
  for (size_t i = 1;; ++i) {
    const unsigned char l = in.PeekAt(i);
    if (!IsLower(l)) break;
    if (w.length == kMaxWord) {
      w.tooLong = true;
      break;
    }
    w.text[w.length++] = static_cast<char>(l);
  }
  return w;
}

void SkipWhileLower(InStream& in) {
  while (IsLower(in.Peek())) in.Advance();
}

// Reads "-" and digits; huge numbers saturate rather than overflow.
bool ReadParameter(InStream& in, int32_t& value) {
  bool negative = false;
  if (in.Peek() == '-') {
    negative = true;
    in.Advance();
  }
  int64_t v = 0;
  bool digits = false;
  for (unsigned char c; IsDigit(c = in.Peek()); in.Advance()) {
    digits = true;
    v = std::min<int64_t>(v * 10 + (c - '0'), int64_t{1} << 40);
  }
  if (digits) {
    v = negative ? -v : v;
    value = static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
  }
  return digits;
}

void SkipDelimiter(InStream& in) {
  if (in.Peek() == ' ') in.Advance();
  while (IsLineEnd(in.Peek())) in.Advance();
}

// Backslash, lower-case letters, optional "-", digits, one space. A symbol
// that is not ours goes with its backslash.
void SkipUnknownWord(InStream& in, const WordName& w) {
  in.Advance();
  if (!w.alphabetic) {
    if (w.length) in.Advance();
    return;
  }
  SkipWhileLower(in);
  int32_t ignored = 0;
  ReadParameter(in, ignored);
  if (in.Peek() == ' ') in.Advance();
}

// The Windows-1252 byte of a character, or -1 where the code page has none.
// Control characters, the C1 ones included, get no byte here: the C0 ones
// would turn into the model's own marks, and neither is text a writer meant.
int Byte1252(uint32_t c) {
  if (c < 0x20 || (c >= 0x80 && c < 0xA0)) return -1;
  const auto byte = platform::UnicodeToCp1252(c);
  return byte ? *byte : -1;
}

// Up to, not past, the "}" that closes the current group. Escaped braces do
// not count.
void SkipGroup(InStream& in) {
  size_t depth = 0;
  for (;;) {
    std::string_view w = in.Window();
    if (w.empty()) return;
    size_t i = 0;
    for (; i < w.size(); ++i) {
      const char c = w[i];
      if (c == '{') {
        ++depth;
      } else if (c == '}') {
        if (depth == 0) {
          in.Skip(i);
          return;
        }
        --depth;
      } else if (c == '\\') {
        if (i + 1 == w.size()) break;  // the escaped byte lies in the next window
        ++i;
      }
    }
    in.Skip(i);
    if (i < w.size()) in.Skip(2);  // a backslash at the window's end and its byte
  }
}

template <class T>
void StoreClamped(void* field, int64_t v) {
  const T t = static_cast<T>(std::clamp<int64_t>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
  std::memcpy(field, &t, sizeof t);
}

// Kept out of line: the tables decide the width at run time, and an inlined
// copy lets the optimiser "see" a 4-byte store into a 2-byte record that
// the tables never ask for.
[[gnu::noinline]] void Store(void* field, size_t width, int32_t v) {
  switch (width) {
    case 1: {
      const auto b = static_cast<uint8_t>(v);
      std::memcpy(field, &b, 1);
      break;
    }
    case 2: {
      const auto h = static_cast<uint16_t>(v);
      std::memcpy(field, &h, 2);
      break;
    }
    default: std::memcpy(field, &v, 4);
  }
}

[[gnu::noinline]] void Load(unsigned char* to, const void* field, size_t width) {
  std::memcpy(to, field, std::min<size_t>(width, 4));
}

class Reading;

// Owner of one table and the record it writes into.
class PropertyGroup {
 public:
  virtual ~PropertyGroup() = default;
  // Applies the word at the position when it is in the own table.
  virtual bool HandleWord(InStream& in, Reading& r, const WordName& w) {
    const ControlWord* cw = FindControlWord(GetTable(), w.View());
    if (!cw) return false;
    Apply(*cw, Record(r), in, r, w);
    return true;
  }
  virtual void SetChanged(bool changed) { m_changed = changed; }
  virtual bool IsChanged() const { return m_changed; }
  virtual std::span<const ControlWord> GetTable() const = 0;
  virtual void DoAction(const ControlWord& cw, InStream& in, Reading& r);

 protected:
  virtual void* Record(Reading&) { return nullptr; }
  void Apply(const ControlWord& cw, void* record, InStream& in, Reading& r, const WordName& w);

  bool m_changed = false;
};

// Shared state of one read.
class Reading {
 public:
  Reading(CRtfDoc& doc, FontTable& fonts, ColorTable& colors) : doc(doc), b(doc), fonts(fonts), colors(colors) {}

  CRtfDoc& doc;
  DocumentBuilder b;
  FontTable& fonts;
  ColorTable& colors;
  // The parameter of the word being applied, or its default.
  int32_t param = 0;
  bool hasParam = false;
};

void PropertyGroup::Apply(const ControlWord& cw, void* record, InStream& in, Reading& r, const WordName& w) {
  in.Advance();
  in.Skip(w.length);
  char* field = record && cw.target != kNoTarget ? static_cast<char*>(record) + cw.target : nullptr;
  const size_t width = TargetWidth(cw.kind);
  unsigned char before[4] = {};
  if (field) {
    Load(before, field, width);
    Store(field, width, cw.value);
  }
  r.param = cw.value;
  r.hasParam = false;
  if (cw.kind != WordKind::Symbol) {
    r.hasParam = ReadParameter(in, r.param);
    SkipDelimiter(in);
    if (r.hasParam && field) Store(field, width, r.param);
  } else if (w.alphabetic && in.Peek() == ' ') {
    in.Advance();
  }
  if (cw.action != WordAction::None) DoAction(cw, in, r);
  if (field && std::memcmp(before, field, width) != 0) SetChanged(true);
}

void PropertyGroup::DoAction(const ControlWord& cw, InStream& in, Reading&) {
  if (cw.action == WordAction::SkipDestination) {
    SkipGroup(in);
    SetChanged(true);
  }
}

// A group whose table has no record of its own to fill: skipped destinations.
class SkippedDestination : public PropertyGroup {
 public:
  explicit SkippedDestination(RtfTable t) : m_table(ControlWords(t)) {}
  std::span<const ControlWord> GetTable() const override { return m_table; }

 private:
  std::span<const ControlWord> m_table;
};

// Reads a table destination to the end of its group: braces count depth, "\*"
// skips a group, words go to the entry table, ";" ends an entry. Leaves the
// closing brace for the read loop.
template <class OnWord, class OnByte, class OnEntryEnd, class OnEntryStart>
void ReadTableGroup(InStream& in, OnWord onWord, OnByte onByte, OnEntryEnd onEntryEnd, OnEntryStart onEntryStart) {
  size_t depth = 0;
  while (!in.AtEnd()) {
    const unsigned char c = in.Peek();
    if (c == '{') {
      if (depth++ == 0) onEntryStart();
      in.Advance();
    } else if (c == '}') {
      if (depth == 0) return;
      --depth;
      in.Advance();
    } else if (c == '\\') {
      if (in.PeekAt(1) == '*') {
        in.Skip(2);
        SkipGroup(in);
      } else {
        onWord();
      }
    } else if (IsLineEnd(c)) {
      in.Advance();
    } else if (c == ';') {
      in.Advance();
      onEntryEnd();
    } else {
      onByte(c);
      in.Advance();
    }
  }
}

class FontTableGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::FontTable); }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    if (cw.action == WordAction::DefaultFont) {
      r.fonts.defaultFont = r.param;
      return;
    }
    if (cw.action != WordAction::FontTable) return PropertyGroup::DoAction(cw, in, r);
    FontWork work;
    char name[32];
    size_t nameLength = 0;
    const auto entryTable = ControlWords(RtfTable::FontEntry);
    auto clear = [&] {
      work = FontWork{};
      nameLength = 0;
    };
    ReadTableGroup(
        in,
        [&] {
          const WordName w = ScanWord(in);
          if (w.length == 1 && w.text[0] == '\'') {
            in.Skip(2);
            const int hi = HexValue(in.Peek());
            if (hi < 0) return;
            in.Advance();
            const int lo = HexValue(in.Peek());
            if (lo >= 0) in.Advance();
            if (nameLength < 31) name[nameLength++] = static_cast<char>(lo < 0 ? hi : hi * 16 + lo);
            return;
          }
          if (const ControlWord* e = w.tooLong ? nullptr : FindControlWord(entryTable, w.View())) {
            m_entry.Apply(*e, &work, in, r, w);
          } else {
            SkipUnknownWord(in, w);
          }
        },
        [&](unsigned char c) {
          if (nameLength < 31) name[nameLength++] = static_cast<char>(c);
        },
        [&] {
          FontEntry f;
          f.pitchAndFamily = static_cast<uint8_t>((work.pitch & 0x0F) | (work.family << 4));
          f.charSet = static_cast<uint8_t>(work.charSet);
          std::memcpy(f.faceName, name, nameLength);
          f.faceName[nameLength] = 0;
          r.fonts.Set(work.number, f);
          clear();
        },
        clear);
    SetChanged(true);
  }

 private:
  // Applies entry words; skipped destinations inside an entry skip as usual.
  struct Entry : PropertyGroup {
    std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::FontEntry); }
    using PropertyGroup::Apply;
  } m_entry;
};

class ColorTableGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::ColorTable); }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    if (cw.action != WordAction::ColorTable) return PropertyGroup::DoAction(cw, in, r);
    ColorWork work;
    bool automatic = true;
    const auto entryTable = ControlWords(RtfTable::ColorEntry);
    ReadTableGroup(
        in,
        [&] {
          const WordName w = ScanWord(in);
          if (const ControlWord* e = w.tooLong ? nullptr : FindControlWord(entryTable, w.View())) {
            m_entry.Apply(*e, &work, in, r, w);
            automatic = false;
          } else {
            SkipUnknownWord(in, w);
          }
        },
        [](unsigned char) {},
        [&] {
          ColorEntry e;
          e.automatic = automatic;
          e.rgb = static_cast<uint32_t>(work.red & 255) | static_cast<uint32_t>(work.green & 255) << 8 |
                  static_cast<uint32_t>(work.blue & 255) << 16;
          r.colors.Add(e);
          work = ColorWork{};
          automatic = true;
        },
        [] {});
    SetChanged(true);
  }

 private:
  struct Entry : PropertyGroup {
    std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::ColorEntry); }
    using PropertyGroup::Apply;
  } m_entry;
};

// Stays the character format's through \plain and the end of a group.
void KeepBookState(CharFormat& into, const CharFormat& from) {
  into.linkText = from.linkText;
  into.concordance = from.concordance;
  into.level = from.level;
}

class CharacterGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Character); }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    CharFormat& f = r.b.CurrentCharFormat();
    switch (cw.action) {
      case WordAction::Plain: {
        CharFormat plain;
        plain.font = static_cast<uint16_t>(r.fonts.defaultFont);
        KeepBookState(plain, f);
        plain.linkType = f.linkType;
        f = plain;
        break;
      }
      case WordAction::Times10:
        if (cw.name == "fs") StoreClamped<uint16_t>(&f.size, int64_t{r.param} * 10);
        else StoreClamped<uint16_t>(&f.kerning, int64_t{r.param} * 10);
        break;
      case WordAction::Times5: StoreClamped<int16_t>(&f.expansion, int64_t{r.param} * 5); break;
      case WordAction::FinishLink: FinishLink(in, r); break;
      case WordAction::ConcordanceOn:
        // The words take no parameter: a number after them must not leave
        // the state at "key text" (2) or anything else the writer drops.
        f.concordance = kConcordanceInside;
        ReadConcordanceKey(in, r);
        break;
      case WordAction::ConcordanceOff: {
        f.concordance = kConcordanceOutside;
        const uint8_t hidden = f.hidden;
        f.hidden = 1;
        r.b.InsertChar(' ');
        r.b.CurrentCharFormat().hidden = hidden;
        break;
      }
      default: PropertyGroup::DoAction(cw, in, r);
    }
  }

 protected:
  void* Record(Reading& r) override { return &r.b.CurrentCharFormat(); }

 private:
  // The target is the rest of the group; "\}" stays in it as two bytes.
  static void FinishLink(InStream& in, Reading& r) {
    std::string target;
    while (!in.AtEnd()) {
      const unsigned char c = in.Peek();
      if (c == '}') break;
      in.Advance();
      if (IsLineEnd(c)) continue;
      target.push_back(static_cast<char>(c));
      if (c == '\\' && in.Peek() == '}') {
        target.push_back('}');
        in.Advance();
      }
    }
    r.b.AddLink(r.param, std::move(target));
  }

  // The rest of the group is the hidden search key of the span.
  static void ReadConcordanceKey(InStream& in, Reading& r) {
    CharFormat& f = r.b.CurrentCharFormat();
    if (in.Peek() == '}' || in.AtEnd()) return;
    const uint8_t hidden = f.hidden;
    f.concordance = kConcordanceKey;
    f.hidden = 1;
    for (;;) {
      std::string_view w = in.Window();
      if (w.empty()) break;
      size_t n = 0;
      while (n < w.size() && w[n] != '}' && !IsLineEnd(static_cast<unsigned char>(w[n]))) ++n;
      r.b.InsertText(w.substr(0, n));
      in.Skip(n);
      if (n < w.size()) {
        if (w[n] == '}') break;
        in.Advance();
      }
    }
    CharFormat& g = r.b.CurrentCharFormat();
    g.concordance = kConcordanceInside;
    g.hidden = hidden;
  }
};

class ParagraphGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Paragraph); }
  bool HandleWord(InStream& in, Reading& r, const WordName& w) override {
    if (const ControlWord* cw = FindControlWord(GetTable(), w.View())) {
      if (cw->action != WordAction::SelectBorder) m_side = kSideNone;
      Apply(*cw, Record(r), in, r, w);
      return true;
    }
    ParaFormat& p = r.b.CurrentParaFormat();
    if (m_side != kSideNone) {
      if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::Border), w.View())) {
        Apply(*cw, &m_border, in, r, w);
        for (int s = 0; s < 4; ++s) {
          if (m_side == s || m_side == kAllSides) p.borders[s] = m_border;
        }
        return true;
      }
    }
    if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::Shading), w.View())) {
      m_side = kSideNone;
      Apply(*cw, &p.shading, in, r, w);
      return true;
    }
    return false;
  }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    ParaFormat& p = r.b.CurrentParaFormat();
    switch (cw.action) {
      case WordAction::ParagraphDefault:
        if (!(p == ParaFormat{})) p = ParaFormat{};
        break;
      case WordAction::TabStop:
      case WordAction::BarTab:
        p.AddTabStop(TabStop{p.tabPosition, cw.action == WordAction::BarTab ? uint8_t{kTabBar} : p.tabKind,
                             p.tabLeader});
        p.tabPosition = 0;
        p.tabKind = kTabLeft;
        p.tabLeader = kLeaderNone;
        break;
      case WordAction::SelectBorder:
        m_side = static_cast<uint8_t>(cw.value);
        m_border = BorderSpec{};
        break;
      default: PropertyGroup::DoAction(cw, in, r);
    }
  }

 protected:
  void* Record(Reading& r) override { return &r.b.CurrentParaFormat(); }

 private:
  static constexpr uint8_t kAllSides = 6;
  uint8_t m_side = kSideNone;
  BorderSpec m_border;
};

class SectionGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Section); }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    if (cw.action == WordAction::SectionDefault) r.b.CurrentSectionFormat() = SectionFormat{};
    else PropertyGroup::DoAction(cw, in, r);
  }

 protected:
  void* Record(Reading& r) override { return &r.b.CurrentSectionFormat(); }
};

class DocumentGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Document); }

 protected:
  void* Record(Reading& r) override { return &r.b.DocumentFormat(); }
};

// Row definitions: the row's own words, the cell words, and the border and
// shading words that belong to whichever side was selected last.
class RowGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Row); }
  void Start() {
    m_cell = CellFormat{};
    m_rowSide = m_cellSide = kSideNone;
  }
  bool HandleWord(InStream& in, Reading& r, const WordName& w) override {
    RowFormat& row = r.b.CurrentRowFormat();
    const std::string_view name = w.View();
    if (const ControlWord* cw = FindControlWord(GetTable(), name)) {
      if (cw->action != WordAction::SelectRowBorder) m_rowSide = m_cellSide = kSideNone;
      Apply(*cw, &row, in, r, w);
      return true;
    }
    if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::Cell), name)) {
      if (cw->action != WordAction::SelectCellBorder) m_rowSide = m_cellSide = kSideNone;
      Apply(*cw, &m_cell, in, r, w);
      return true;
    }
    if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::CellShading), name)) {
      Apply(*cw, &m_cell.shading, in, r, w);
      return true;
    }
    if (m_rowSide != kSideNone || m_cellSide != kSideNone) {
      if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::Border), name)) {
        Apply(*cw, &m_border, in, r, w);
        if (m_rowSide != kSideNone) row.borders[m_rowSide] = m_border;
        else m_cell.borders[m_cellSide] = m_border;
        return true;
      }
    }
    if (const ControlWord* cw = FindControlWord(ControlWords(RtfTable::Shading), name)) {
      Apply(*cw, &row.shading, in, r, w);
      return true;
    }
    return false;
  }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    switch (cw.action) {
      case WordAction::SelectRowBorder:
        m_rowSide = static_cast<uint8_t>(cw.value);
        m_cellSide = kSideNone;
        m_border = BorderSpec{};
        break;
      case WordAction::SelectCellBorder:
        m_cellSide = static_cast<uint8_t>(cw.value);
        m_rowSide = kSideNone;
        m_border = BorderSpec{};
        break;
      case WordAction::CellBoundary:
        r.b.AddCell(m_cell);
        Start();
        break;
      default: PropertyGroup::DoAction(cw, in, r);
    }
  }

 private:
  CellFormat m_cell;
  BorderSpec m_border;
  uint8_t m_rowSide = kSideNone;
  uint8_t m_cellSide = kSideNone;
};

// Reads "\pict ... }" up to its closing brace into a Picture.
class PictureGroup : public PropertyGroup {
 public:
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Picture); }

  RefPtr<Picture> Read(InStream& in, Reading& r) {
    m_work = PictureWork{};
    m_data.clear();
    int pending = -1;  // first digit of a pair
    size_t depth = 0;
    while (!in.AtEnd()) {
      const unsigned char c = in.Peek();
      if (c == '}') {
        if (depth == 0) break;
        --depth;
        in.Advance();
      } else if (c == '{') {
        ++depth;
        in.Advance();
      } else if (c == '\\') {
        if (in.PeekAt(1) == '*') {
          in.Skip(2);
          SkipGroup(in);
          continue;
        }
        const WordName w = ScanWord(in);
        if (w.tooLong || !HandleWord(in, r, w)) SkipUnknownWord(in, w);
      } else {
        // Hex pairs in bulk; anything that is no digit is passed over.
        std::string_view win = in.Window();
        size_t n = 0;
        for (; n < win.size(); ++n) {
          const unsigned char b = static_cast<unsigned char>(win[n]);
          if (b == '\\' || b == '{' || b == '}') break;
          const int v = HexValue(b);
          if (v < 0) continue;
          if (pending < 0) {
            pending = v;
          } else {
            Append(static_cast<unsigned char>(pending * 16 + v));
            pending = -1;
          }
        }
        in.Skip(n);
      }
    }
    return Build();
  }

  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    switch (cw.action) {
      case WordAction::PictureType:
        m_work.kind = static_cast<uint8_t>(cw.value);
        if (cw.value == kPictMetafile && r.hasParam) m_work.mappingMode = r.param;
        break;
      case WordAction::BinaryData: {
        // Raw bytes, never more than the data holds.
        for (int64_t left = std::max(r.param, 0); left > 0;) {
          std::string_view win = in.Window();
          if (win.empty()) break;
          const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(win.size())));
          for (size_t i = 0; i < n; ++i) Append(static_cast<unsigned char>(win[i]));
          in.Skip(n);
          left -= static_cast<int64_t>(n);
        }
        break;
      }
      default: PropertyGroup::DoAction(cw, in, r);
    }
  }

 protected:
  void* Record(Reading&) override { return &m_work; }

 private:
  void Append(unsigned char b) {
    if (m_data.capacity() == 0) m_data.reserve(32768);
    m_data.push_back(b);
  }

  RefPtr<Picture> Build() {
    // Metafiles, PNG and JPEG files are held as they stand; a
    // device-independent bitmap is wrapped in a metafile; device-dependent
    // bitmaps are not shown.
    if (m_data.empty()) return nullptr;
    if (m_work.kind == kPictDib) {
      RefPtr<Picture> dib = Picture::FromDib(m_data, m_work.width, m_work.height, Picture::kScreenPixelsPerInch);
      m_data = {};
      return dib;
    }
    if (m_work.kind == kPictPng || m_work.kind == kPictJpeg) {
      RefPtr<Picture> p =
          Picture::FromEncoded(m_work.kind == kPictPng ? Picture::Kind::Png : Picture::Kind::Jpeg, std::move(m_data),
                               m_work.width, m_work.height, m_work.goalWidth, m_work.goalHeight,
                               Picture::kScreenPixelsPerInch);
      m_data = {};
      // Scales the writer gave win over the fit made for a size it did not.
      if (m_work.scaleX != 100 || m_work.scaleY != 100) {
        p->scaleX = m_work.scaleX;
        p->scaleY = m_work.scaleY;
      }
      return p;
    }
    if (m_work.kind != kPictMetafile) return nullptr;
    auto p = MakeRef<Picture>();
    p->metafile = std::move(m_data);
    m_data = {};
    p->mappingMode = m_work.mappingMode;
    p->width = m_work.width;
    p->height = m_work.height;
    p->goalWidth = m_work.goalWidth;
    p->goalHeight = m_work.goalHeight;
    p->scaleX = m_work.scaleX;
    p->scaleY = m_work.scaleY;
    p->bitmap = m_work.bitmap != 0;
    p->bitsPerPixel = m_work.bitsPerPixel;
    return p;
  }

  PictureWork m_work;
  std::vector<unsigned char> m_data;
};

class SpecialGroup : public PropertyGroup {
 public:
  SpecialGroup(RowGroup& rows, PictureGroup& pictures) : m_rows(rows), m_pictures(pictures) {}
  std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Special); }
  void DoAction(const ControlWord& cw, InStream& in, Reading& r) override {
    switch (cw.action) {
      case WordAction::InsertSymbol: r.b.InsertChar(static_cast<unsigned char>(cw.value)); break;
      case WordAction::HexByte: {
        int digits[2];
        for (int& d : digits) {
          while (IsLineEnd(in.Peek())) in.Advance();
          d = HexValue(in.Peek());
          if (d < 0) break;
          in.Advance();
        }
        // A broken escape inserts what its digits say, or nothing without any.
        if (digits[0] >= 0) r.b.InsertChar(static_cast<unsigned char>(digits[1] >= 0 ? digits[0] * 16 + digits[1] : digits[0]));
        break;
      }
      case WordAction::StartLevel:
        r.b.CurrentCharFormat().level = r.param;
        r.b.RecordLevel(r.param);
        break;
      case WordAction::Picture:
        if (RefPtr<Picture> p = m_pictures.Read(in, r)) r.b.InsertPicture(std::move(p));
        break;
      case WordAction::RowDefinition:
        r.b.StartRow();
        m_rows.Start();
        ReadRowDefinition(in, r);
        break;
      case WordAction::EndCell: r.b.EndCell(); break;
      case WordAction::EndRow: r.b.EndRow(); break;
      case WordAction::StartSection: r.b.StartSection(); break;
      default: PropertyGroup::DoAction(cw, in, r);
    }
  }

 private:
  void ReadRowDefinition(InStream& in, Reading& r) {
    for (;;) {
      while (IsLineEnd(in.Peek()) || in.Peek() == ' ') in.Advance();
      if (in.Peek() != '\\') return;
      const WordName w = ScanWord(in);
      if (w.tooLong || !m_rows.HandleWord(in, r, w)) return;
    }
  }

  RowGroup& m_rows;
  PictureGroup& m_pictures;
};

// The four working formats as a group found them; restored at its end.
struct SavedFormats {
  CharFormat character;
  ParaFormat paragraph;
  SectionFormat section;
  DocFormat document;
};

class RtfRead {
 public:
  RtfRead(CRtfDoc& doc, FORMAT format)
      : m_r(doc, doc.Fonts(), doc.Colors()), m_format(format), m_special(m_rows, m_pictures) {}

  void Run(InStream& in) {
    if (m_format == FORMAT_TEXT || !HasHeader(in)) {
      ReadText(in);
    } else {
      if (m_format == FORMAT_RTF_FROM_LEVEL) m_r.b.CurrentCharFormat().level = kDropLevel;
      ReadRtf(in);
    }
    m_stack.clear();
    m_saved.clear();
    m_fallbackCounts.clear();
    m_r.b.Finish();
    m_r.b.SetCursor(0);
  }

 private:
  bool HasHeader(InStream& in) {
    char head[6];
    for (size_t i = 0; i < sizeof head; ++i) head[i] = static_cast<char>(in.PeekAt(i));
    MemoryInStream m(head, sizeof head);
    if (m.Peek() != '{' || m.PeekAt(1) != '\\') return false;
    m.Advance();
    struct Root : PropertyGroup {
      std::span<const ControlWord> GetTable() const override { return ControlWords(RtfTable::Root); }
      using PropertyGroup::Apply;
    } root;
    const WordName w = ScanWord(m);
    const ControlWord* cw = FindControlWord(root.GetTable(), w.View());
    if (!cw) return false;
    RootRecord rec;
    root.Apply(*cw, &rec, m, m_r, w);
    return m_r.hasParam && rec.version == 1;
  }

  void ReadText(InStream& in) {
    for (std::string_view w; !(w = in.Window()).empty();) {
      size_t n = 0;
      while (n < w.size() && !IsLineEnd(static_cast<unsigned char>(w[n]))) ++n;
      m_r.b.InsertText(w.substr(0, n));
      if (n < w.size()) {
        if (w[n] == '\r') m_r.b.InsertChar(kCharParagraphMark);
        ++n;
      }
      in.Skip(n);
    }
  }

  void ReadRtf(InStream& in) {
    static constexpr auto kPlain = [] {
      std::array<bool, 256> t{};
      t['\\'] = t['{'] = t['}'] = t['\r'] = t['\n'] = true;
      return t;
    }();
    int64_t depth = 0;
    for (;;) {
      std::string_view win = in.Window();
      if (win.empty()) return;
      switch (win[0]) {
        case '\r':
        case '\n': in.Advance(); break;
        case '\\': Dispatch(in); break;
        case '{':
          in.Advance();
          ++depth;
          Push();
          break;
        case '}':
          in.Advance();
          if (--depth >= 0) Pop(depth == 0);
          else depth = 0;
          break;
        default: {
          size_t n = 1;
          while (n < win.size() && !kPlain[static_cast<unsigned char>(win[n])]) ++n;
          m_r.b.InsertText(win.substr(0, n));
          in.Skip(n);
        }
      }
    }
  }

  // Nested groups that change nothing share one saved record, so a million
  // "{" cost a million indices, not a million format copies.
  void Push() {
    DocumentBuilder& b = m_r.b;
    if (m_stack.empty() || !SameAsSaved(m_saved.back())) {
      m_saved.push_back(SavedFormats{b.CurrentCharFormat(), b.CurrentParaFormat(), b.CurrentSectionFormat(),
                                     b.DocumentFormat()});
    }
    m_stack.push_back(static_cast<uint32_t>(m_saved.size() - 1));
    m_fallbackCounts.push_back(m_fallbackCount);
  }

  bool SameAsSaved(const SavedFormats& s) {
    DocumentBuilder& b = m_r.b;
    return s.character == b.CurrentCharFormat() && s.paragraph == b.CurrentParaFormat() &&
           s.section == b.CurrentSectionFormat() && s.document == b.DocumentFormat();
  }

  // The group around the whole document ends with it; the document format
  // read in it is the document's and stays.
  void Pop(bool outermost) {
    if (m_stack.empty()) return;
    const uint32_t i = m_stack.back();
    m_stack.pop_back();
    m_fallbackCount = m_fallbackCounts.back();
    m_fallbackCounts.pop_back();
    DocumentBuilder& b = m_r.b;
    const SavedFormats& s = m_saved[i];
    CharFormat& c = b.CurrentCharFormat();
    CharFormat restored = s.character;
    KeepBookState(restored, c);
    c = std::move(restored);
    b.CurrentParaFormat() = s.paragraph;
    b.CurrentSectionFormat() = s.section;
    if (!outermost) b.DocumentFormat() = s.document;
    if (m_stack.empty() || m_stack.back() != i) m_saved.pop_back();
  }

  void Dispatch(InStream& in) {
    WordName w = ScanWord(in);
    if (w.alphabetic && (w.View() == "u" || w.View() == "uc") && ReadUnicodeWord(in, w.View() == "u")) return;
    if (!w.tooLong && m_special.HandleWord(in, m_r, w)) return;
    bool ignorable = false;
    if (w.length == 1 && w.text[0] == '*') {
      in.Skip(2);
      ignorable = true;
      if (in.Peek() != '\\') {
        SkipGroup(in);
        return;
      }
      w = ScanWord(in);
    }
    if (!w.tooLong && HandleBodyWord(in, w)) return;
    if (ignorable) SkipGroup(in);
    else SkipUnknownWord(in, w);
  }

  // "\uN" and "\ucN", at the backslash. False, consuming nothing, when no
  // number follows: then the word is no Unicode word at all.
  bool ReadUnicodeWord(InStream& in, bool character) {
    const size_t letters = character ? 1 : 2;
    const unsigned char first = in.PeekAt(letters + 1);
    if (!IsDigit(first) && !(first == '-' && IsDigit(in.PeekAt(letters + 2)))) return false;
    in.Skip(letters + 1);
    int32_t n = 0;
    ReadParameter(in, n);
    if (in.Peek() == ' ') in.Advance();
    if (!character) {
      m_fallbackCount = std::max(n, 0);
      return true;
    }
    // Writers put the number in a signed 16-bit word.
    const uint32_t code = n < 0 ? static_cast<uint32_t>(n + 65536) : static_cast<uint32_t>(n);
    const int byte = Byte1252(code);
    // Without a byte of our own, the fallback the writer chose is the text.
    if (byte < 0) return true;
    m_r.b.InsertChar(static_cast<unsigned char>(byte));
    SkipFallback(in, m_fallbackCount);
    return true;
  }

  // A byte, a "\'hh" or a whole control word each count as one; a brace
  // ends the fallback early, so no group is entered or left.
  static void SkipFallback(InStream& in, int32_t count) {
    while (count > 0 && !in.AtEnd()) {
      const unsigned char c = in.Peek();
      if (c == '{' || c == '}') return;
      if (IsLineEnd(c)) {
        in.Advance();
        continue;
      }
      --count;
      if (c != '\\') {
        in.Advance();
        continue;
      }
      const WordName w = ScanWord(in);
      if (!w.alphabetic && w.length == 1 && w.text[0] == '\'') {
        in.Skip(2);
        for (int d = 0; d < 2 && HexValue(in.Peek()) >= 0; ++d) in.Advance();
        continue;
      }
      SkipUnknownWord(in, w);
    }
  }

  bool HandleBodyWord(InStream& in, const WordName& w) {
    if (m_destinationsActive) {
      bool anyOpen = false;
      for (PropertyGroup* g : m_destinations) {
        if (g->IsChanged()) continue;
        anyOpen = true;
        if (g->HandleWord(in, m_r, w)) return true;
      }
      m_destinationsActive = anyOpen;
    }
    for (PropertyGroup* g : {static_cast<PropertyGroup*>(&m_character), static_cast<PropertyGroup*>(&m_paragraph),
                             static_cast<PropertyGroup*>(&m_section)}) {
      if (g->HandleWord(in, m_r, w)) {
        m_bodyStarted = true;
        return true;
      }
    }
    if (!m_bodyStarted && m_document.HandleWord(in, m_r, w)) return true;
    // Row words out of place still describe the open table.
    return m_r.b.TableOpen() && m_rows.HandleWord(in, m_r, w);
  }

  Reading m_r;
  FORMAT m_format;
  RowGroup m_rows;
  PictureGroup m_pictures;
  SpecialGroup m_special;
  FontTableGroup m_fontTable;
  SkippedDestination m_fileTable{RtfTable::FileTable};
  ColorTableGroup m_colorTable;
  SkippedDestination m_stylesheet{RtfTable::Stylesheet};
  SkippedDestination m_revisionTable{RtfTable::RevisionTable};
  SkippedDestination m_info{RtfTable::Info};
  PropertyGroup* m_destinations[6] = {&m_fontTable, &m_fileTable, &m_colorTable,
                                      &m_stylesheet, &m_revisionTable, &m_info};
  CharacterGroup m_character;
  ParagraphGroup m_paragraph;
  SectionGroup m_section;
  DocumentGroup m_document;
  bool m_destinationsActive = true;
  bool m_bodyStarted = false;
  std::vector<uint32_t> m_stack;
  std::vector<SavedFormats> m_saved;
  // Characters after "\uN" that stand in for it where Unicode is unknown;
  // set by "\ucN" for the rest of the group.
  int32_t m_fallbackCount = 1;
  std::vector<int32_t> m_fallbackCounts;  // as each open group found it
};

}  // namespace

void RtfReader::Read(InStream& in) {
  auto read = std::make_unique<RtfRead>(m_doc, m_format);
  read->Run(in);
}

}  // namespace textpane
