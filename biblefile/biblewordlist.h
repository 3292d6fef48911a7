// The word list of a Bible text file and the verse lists behind it.
//
// The word list is bytes h0 to h1 of the text file, kept in memory. It is a
// run of entries in ascending order, each preceded by at least one blank:
//
//   " " WORD " +" OFFSET " "
//
// WORD is upper case, without blanks; OFFSET is decimal, the byte offset of
// the word's verse list counted from h1. The verse lists (h1 to h2) are
// little-endian 16-bit verse indexes; an entry's list ends where the next
// entry's begins, the last one at h2.
//
// The list position is a character position in the word list text where the
// word list shown beside the search box continues; -1 means none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "biblefile/hitset.h"

namespace platform {
class File;
}

namespace klmw {

// Where the entries' words start in a word list. When the words come in
// ascending byte order (as every list our builder writes does) an exact
// lookup is a binary search that gives what the scan gives; otherwise the
// lookup scans.
struct CBibleWordIndex {
  std::vector<uint32_t> starts;
  std::vector<uint32_t> lengths;
  bool ascending = false;
  static std::shared_ptr<const CBibleWordIndex> Build(std::string_view text);
};

class CBibleWordList {
 public:
  CBibleWordList() = default;
  // text: the word list (a NUL ends it early); h1, h2: the bounds of the
  // verse list area in the text file. The index, when given, must have been
  // built from the same text; without one it is built on the first lookup.
  CBibleWordList(std::string_view text, int64_t h1, int64_t h2,
                 std::shared_ptr<const CBibleWordIndex> index = nullptr);

  // The word's verse list as an absolute file offset and a byte length. The
  // list position is left at the last entry the word is a proper prefix of
  // (or -1). False when the word is absent or its entry is damaged.
  bool FindExact(const std::string& word, int64_t& offset, int64_t& length);
  // Positions the list at the first entry that begins with the longest
  // leading part of word found in the list.
  void FindNearest(const std::string& word);
  // The word at the list position; moves the position to the next entry (or
  // -1 after the last). False when the position is not set.
  bool GetNextWord(std::string& word);

  int64_t GetListPos() const { return m_listPos; }
  void SetListPos(int64_t pos) { m_listPos = pos >= 0 && pos <= Size() ? pos : -1; }
  // The number of entries Next word walks through from the start.
  int CountEntries() const;

  // The verse indexes of the word's list, read with one seek and one read
  // from the open text file; false when the word is absent or the read fails.
  bool ReadVerseList(platform::File& file, const std::string& word, std::vector<uint16_t>& verses);
  // The same list as a hit set (positions set, nothing cleared).
  bool ReadVerseSet(platform::File& file, const std::string& word, CHitSet& hits);

 private:
  int64_t Size() const { return static_cast<int64_t>(m_text.size()); }
  // The decimal number after the first '+' at or after from; false without one.
  bool ReadOffsetAfter(int64_t from, int64_t& value, int64_t& end) const;
  // The scan: the start of the word's entry, or npos; sets the list position
  // to the last entry the word is a proper prefix of.
  size_t ScanFor(std::string_view word);
  bool ReadListBytes(platform::File& file, const std::string& word, std::string& bytes);
  size_t SearchFor(std::string_view word);
  std::string_view WordAt(size_t i) const { return m_text.substr(m_index->starts[i], m_index->lengths[i]); }

  std::string_view m_text;
  int64_t m_h1 = 0;
  int64_t m_h2 = 0;
  int64_t m_listPos = -1;
  std::shared_ptr<const CBibleWordIndex> m_index;
  std::string m_listBytes;
};

}  // namespace klmw
