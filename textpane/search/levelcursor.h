// A forward cursor over the characters of one level of a document. It stops
// for good at the end of the document or at the first character of another
// level, so whatever walks with it stays inside the level it was placed in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textpane/model/charformat.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

class Paragraph;

class LevelCursor {
 public:
  // At the start of the level (the start of the document for a level that
  // was never recorded).
  LevelCursor(const CRtfDoc& doc, int32_t level);

  bool AtEnd() const { return m_paragraph == nullptr; }
  // Only while not at the end.
  unsigned char Char() const;
  const CharFormat& Format() const { return *m_format; }
  TextPos Position() const { return m_position; }
  // Characters of the current run from here to its end.
  size_t LeftInRun() const { return m_left; }

  // The characters of the current run from here on (LeftInRun() of them),
  // for walks that look at many characters of one format.
  const char* RunChars() const;

  void Next() { Advance(1); }
  // n characters on; n must not exceed LeftInRun().
  void Skip(size_t n) { Advance(n); }
  // To the first character of the next run.
  void NextRun() { Advance(m_left); }

 private:
  void Advance(size_t n);
  // Takes up the run at m_run of m_paragraph, moving on past empty runs and
  // paragraph ends; ends the walk at a character of another level.
  void Settle();

  int32_t m_level;
  const Paragraph* m_paragraph = nullptr;
  size_t m_offset = 0;
  size_t m_run = 0;
  size_t m_left = 0;
  const CharFormat* m_format = nullptr;
  TextPos m_position = 0;
};

}  // namespace textpane
