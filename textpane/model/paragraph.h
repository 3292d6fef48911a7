// A leaf of the document tree: its text as Windows-1252 bytes and its
// character formatting as runs. The last byte is always the paragraph mark, so
// new text always goes before it and every paragraph is at least one byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textpane/model/charformat.h"
#include "textpane/model/node.h"
#include "textpane/model/paraformat.h"

namespace textpane {

// Character codes with a meaning of their own.
enum : unsigned char {
  kCharPicture = 0,
  kCharTab = 9,
  kCharLineBreak = 10,
  kCharParagraphMark = 13,
  kCharNonBreakingHyphen = 30,
  kCharOptionalHyphen = 31,
  kCharLeftQuote = 145,
  kCharRightQuote = 146,
  kCharLeftDoubleQuote = 147,
  kCharRightDoubleQuote = 148,
  kCharBullet = 149,
  kCharEnDash = 150,
  kCharEmDash = 151,
  kCharNonBreakingSpace = 160,
};

struct Run {
  CharFormatRef format;
  uint16_t length;
};

// Whatever layout keeps per paragraph; it belongs to the layout engine.
struct ParagraphLayout;

class Paragraph : public Node {
 public:
  Paragraph(ParaFormatRef format, CharFormatRef markFormat);
  ~Paragraph() override;

  const std::string& Text() const { return m_text; }
  size_t Length() const { return m_text.size(); }
  bool IsEmpty() const { return m_text.size() == 1; }
  const std::vector<Run>& Runs() const { return m_runs; }

  const ParaFormatRef& Format() const { return m_format; }
  void SetFormat(ParaFormatRef format) { m_format = std::move(format); }

  // The format of the character at `offset` (< Length()).
  const CharFormatRef& FormatAt(size_t offset) const;
  const CharFormatRef& MarkFormat() const { return m_runs.back().format; }
  void SetMarkFormat(const CharFormatRef& format);

  // Inserts bytes before `offset`, which must not lie past the mark.
  void Insert(size_t offset, std::string_view bytes, const CharFormatRef& format);

  // Gives every character in [begin, end) the format `change` makes of its
  // current one; neighbouring runs that end up equal are merged.
  void ChangeFormats(size_t begin, size_t end, const std::function<CharFormatRef(const CharFormatRef&)>& change);

  ParagraphLayout* layout = nullptr;  // reserved for the layout engine

 private:
  friend class CRtfDoc;
  // Index of the run that starts at `offset`, splitting one if needed;
  // m_runs.size() for the end of the text.
  size_t SplitAt(size_t offset);
  void Merge(size_t first, size_t last);

  std::string m_text;
  std::vector<Run> m_runs;
  ParaFormatRef m_format;
  // Where the document's index of paragraph starts last put this paragraph;
  // the document checks it against the index before believing it.
  uint32_t m_indexSlot = 0;
};

}  // namespace textpane
