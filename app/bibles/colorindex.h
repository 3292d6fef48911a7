// COLORNDX.CODE, the verses of each topic colour, read by the colour search
// and by "next verse of this colour". Sets stored back to back, no header:
//
//   offset          size   meaning
//   (k - 1) x 3888  3888   topic colour k (1-14): 972 little-endian 32-bit
//                          words, bit i % 32 of word i / 32 = verse index i
//   14 x 3888       3888   verses with underlined words (the underline
//                          conversion adds it)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace klmw {

// Verse positions of a set (31,103 bits, whole 32-bit words).
inline constexpr size_t kColorSetBits = 31103;
inline constexpr size_t kColorSetWords = (kColorSetBits + 31) / 32;
inline constexpr size_t kColorSetBytes = kColorSetWords * 4;
// The topic colours the colour conversion indexes, and the underline set.
inline constexpr int kIndexedColors = 14;
inline constexpr int kUnderlineSet = 14;
inline constexpr int kColorIndexSets = 15;

class CColorIndex {
 public:
  using Set = std::array<uint32_t, kColorSetWords>;

  CColorIndex() { Clear(); }
  void Clear();

  // Reads the sets the file holds whole; the others stay empty. False when
  // the file cannot be read (every set empty).
  bool Load(const std::string& path);
  // Writes sets 0 to count - 1 as the whole file.
  bool Save(const std::string& path, int count = kIndexedColors) const;
  // Writes the underline set as the 15th set: the colour sets already in
  // the file are kept (missing ones written empty), anything after dropped.
  bool SaveUnderlineSet(const std::string& path) const;

  void Mark(int set, int verse);
  bool Test(int set, int verse) const;
  const Set& GetSet(int set) const { return m_sets.at(static_cast<size_t>(set)); }
  // Verses of the set in ascending order.
  std::vector<int> Verses(int set) const;
  // The first verse after `after` that carries topic colour k (1-15, 15 the
  // underlined verses), or -1. after = -1 searches from the first verse.
  int NextVerse(int k, int after) const;

 private:
  std::array<Set, kColorIndexSets> m_sets;
};

}  // namespace klmw
