// The verses a Bible window has read: a run of consecutive verses in their
// display form, moved along as the window scrolls. A move of one verse reads
// only that verse (in front or behind); any other move reads the run anew.
#pragma once

#include <deque>
#include <functional>
#include <string>

namespace klmw {

class CVerseRun {
 public:
  static constexpr int kDefaultLength = 30;
  // A run never holds more than this many verses; the far end gives way.
  static constexpr int kMaxLength = 400;

  // Reads verse `index` (0-based) in display form; false when it cannot.
  using Reader = std::function<bool(int index, std::string& text)>;

  // Forgets the run; verses 0 .. verseCount - 1 exist.
  void Reset(Reader reader, int verseCount);

  // The run of `length` verses from `start` (moved back so that it never
  // passes the last verse).
  void Load(int start, int length = kDefaultLength);
  // The text of verse `index`, read when the run lacks it: one verse past
  // either end joins the run, any other starts a new run there. Empty for a
  // verse that does not exist or cannot be read.
  const std::string& Get(int index);

  bool Contains(int index) const { return index >= m_first && index < m_first + Count(); }
  int First() const { return m_first; }
  int Count() const { return static_cast<int>(m_texts.size()); }
  int GetVerseCount() const { return m_verseCount; }
  // Verses read since the last Reset (the tests and the benchmark watch it).
  long Reads() const { return m_reads; }

 private:
  std::string Read(int index);

  Reader m_reader;
  int m_verseCount = 0;
  int m_first = 0;
  std::deque<std::string> m_texts;
  long m_reads = 0;
  std::string m_empty;
};

}  // namespace klmw
