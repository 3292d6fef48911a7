// The document: its tree, the pools of the formats the tree refers to, the
// document format and the level table. Reading replaces the whole tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/docview.h"
#include "textpane/model/charformat.h"
#include "textpane/model/fonttable.h"
#include "textpane/model/levels.h"
#include "textpane/model/node.h"
#include "textpane/model/paraformat.h"
#include "textpane/model/tableformat.h"
#include "textpane/refs/range.h"
#include "textpane/refs/refreader.h"
#include "textpane/rtf/rtfformat.h"

namespace textpane {

class InStream;

// A character offset from the start of the document.
using TextPos = int64_t;

// A view that shows a CRtfDoc's tree. The document hands it the new tree
// whenever it replaces the old one, before any update hint arrives.
class RtfTreeView {
 public:
  virtual ~RtfTreeView() = default;
  virtual void SetTree(Node* root) = 0;
};

class CRtfDoc : public platform::CDocument {
 public:
  CRtfDoc();
  ~CRtfDoc() override;
  CRtfDoc(const CRtfDoc&) = delete;
  CRtfDoc& operator=(const CRtfDoc&) = delete;

  // Drops the tree and starts an empty one: one section holding one empty
  // paragraph. Anyone still holding the old root keeps it alive, but only
  // while this document lives, since its formats sit in our pools.
  void DeleteContents() override;

  // Loads the whole file as RTF (plain text when it is not RTF) or stores the
  // document as RTF.
  void Serialize(platform::CArchive& archive) override;
  // The path being opened is known (OpeningPath) only while the open runs.
  bool OnOpenDocument(const std::string& path) override;
  const std::string& OpeningPath() const { return m_openingPath; }

  // Reads the document anew from a callback (two 2,048-byte buffers) or from
  // memory. Never fails: what cannot be understood is skipped.
  void SetText(RtfCallback callback, DWORD_PTR cookie, FORMAT format);
  void SetText(const char* data, size_t length, FORMAT format);

  // Writes the whole document as RTF (FORMAT_RTF, FORMAT_RTF_FROM_LEVEL) or
  // as plain text (FORMAT_TEXT), a line of at most 512 bytes per call.
  void GetText(RtfCallback callback, DWORD_PTR cookie, FORMAT format) const;
  std::string GetText(FORMAT format) const;

  Node* Root() const { return m_root.get(); }
  Paragraph* FirstParagraph() const { return FirstLeaf(m_root.get()); }

  CharFormatPool& CharFormats() { return m_charFormats; }
  ParaFormatPool& ParaFormats() { return m_paraFormats; }
  DocFormat& Format() { return m_format; }
  const DocFormat& Format() const { return m_format; }
  LevelTable& Levels() { return m_levels; }
  const LevelTable& Levels() const { return m_levels; }
  FontTable& Fonts() { return m_fonts; }
  const FontTable& Fonts() const { return m_fonts; }
  ColorTable& Colors() { return m_colors; }
  const ColorTable& Colors() const { return m_colors; }

  // Positions come from an index of where each paragraph starts, built on
  // the first question after reading, so that hit testing in a long book is
  // a binary search rather than a walk. Nothing but reading changes lengths;
  // replacing the tree drops the index.
  TextPos Length() const;
  // A paragraph that is not in this document counts as lying past its end.
  TextPos PositionOf(TextPoint at) const;
  // Out-of-range positions are clamped: before the start to the start, past
  // the end to just before the last paragraph mark.
  TextPoint PointAt(TextPos pos) const;

  // The paragraphs in document order, numbered from 0.
  static constexpr size_t kNoParagraph = SIZE_MAX;
  size_t ParagraphCount() const;
  Paragraph* ParagraphAt(size_t index) const;  // null past the end
  size_t ParagraphIndexOf(const Paragraph* p) const;  // kNoParagraph when not ours
  TextPos ParagraphStart(const Paragraph* p) const;  // as PositionOf({p, 0})
  // Start of level n, or the start of the document when there is none.
  TextPos LevelPosition(int32_t n) const;

  // Edits the character format of every character in [begin, end), across
  // paragraphs; search marking uses it after reading.
  void ChangeCharFormats(TextPos begin, TextPos end, const std::function<void(CharFormat&)>& edit);

  // Phrase search over the words of the concordance spans of one level
  // (textpane/search/phrasematcher.h tells what a phrase matches).
  // The number of matches; without countAll the search stops at the first.
  int SearchForPhrase(int level, const char* phrase, bool matchCase, bool countAll);
  // Sets the mark flag on every match of any of the phrases, the first
  // phrase that matches at a place winning. The caller repaints.
  void MarkPhrases(int level, const std::vector<std::string>& phrases, bool matchCase);
  // Clears every mark and updates all views.
  void UnmarkAll();
  // Marks each unmarked run of a type-4 link in the level whose target, read
  // as a range, shares a verse with one of `ranges`; then updates all views.
  // The mode is the caller's; every mode marks the same runs.
  void MarkRanges(int level, const std::vector<Range>& ranges, int mode);

  // Reads the Bible references in the text, paragraph by paragraph (the
  // words between them passed over, the context carried on from one
  // paragraph to the next), adding one resolved range per reference with
  // document positions. False when there is none, with the position where
  // reading a reference first failed (the text's end when nothing looked
  // like one) stored through errorPosition.
  bool ParseReferences(std::vector<Range>& list, int* errorPosition, const RefReadOptions& options = {}) const;

 private:
  friend class DocumentBuilder;

  struct ParagraphSlot {
    Paragraph* paragraph;
    TextPos start;
  };

  void SetText(InStream& in, FORMAT format);
  // Every paragraph with its start, then {null, Length()}. While a builder
  // works on the tree it is made afresh for each question and not kept.
  const std::vector<ParagraphSlot>& Positions() const;
  void DropPositions() { m_positionsValid = false; }

  // Declared first so that they go last: the tree's runs refer into them.
  CharFormatPool m_charFormats;
  ParaFormatPool m_paraFormats;
  RefPtr<Node> m_root;
  DocFormat m_format;
  LevelTable m_levels;
  FontTable m_fonts;
  ColorTable m_colors;
  std::string m_openingPath;
  mutable std::vector<ParagraphSlot> m_positions;
  mutable bool m_positionsValid = false;
  int m_builders = 0;  // builders at work on the tree
};

}  // namespace textpane
