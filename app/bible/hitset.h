// A set of verse indexes, the result of a word search.
#pragma once

#include <cstddef>
#include <vector>

namespace klmw {

// One position per verse index of the English order (31,102 verses) and one
// spare, as the search results have always had.
inline constexpr size_t kBibleHitCount = 31103;

class CHitSet {
 public:
  explicit CHitSet(size_t size = kBibleHitCount) : m_bits(size, false) {}

  size_t GetSize() const { return m_bits.size(); }
  // Positions outside the set are ignored: a verse list from a damaged file
  // must not write past the end.
  void Set(size_t position) {
    if (position < m_bits.size()) m_bits[position] = true;
  }
  bool Test(size_t position) const { return position < m_bits.size() && m_bits[position]; }
  void Clear() { m_bits.assign(m_bits.size(), false); }
  size_t Count() const {
    size_t n = 0;
    for (bool b : m_bits) n += b;
    return n;
  }

 private:
  std::vector<bool> m_bits;
};

}  // namespace klmw
