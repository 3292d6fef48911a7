// A set of verse indexes, the result of a word search.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace klmw {

// One position per verse index of the English order (31,102 verses) and one
// spare, as the search results have always had.
inline constexpr size_t kBibleHitCount = 31103;

class CHitSet {
 public:
  explicit CHitSet(size_t size = kBibleHitCount) : m_size(size), m_words((size + 63) / 64, 0) {}

  size_t GetSize() const { return m_size; }
  // Positions outside the set are ignored: a verse list from a damaged file
  // must not write past the end.
  void Set(size_t position) {
    if (position < m_size) m_words[position / 64] |= uint64_t{1} << (position % 64);
  }
  bool Test(size_t position) const {
    return position < m_size && (m_words[position / 64] >> (position % 64) & 1) != 0;
  }
  // Sets the positions of a run of little-endian 16-bit values (a verse list
  // as the text file stores it); positions outside the set are ignored.
  void SetFromList(const unsigned char* data, size_t bytes) {
    // Verse lists are ascending, so neighbouring values share a word: the
    // bits gather in a register and each word is stored once, rather than a
    // load and a store per verse.
    uint64_t* words = m_words.data();
    size_t current = 0;
    uint64_t gathered = 0;
    const size_t size = m_size;  // a local, so the stores cannot be taken to change it
    auto add = [&](uint32_t v) {
      if (v >= size) return;  // a damaged list must not add verses the Bible lacks
      if (v / 64 != current) [[unlikely]] {
        words[current] |= gathered;
        current = v / 64;
        gathered = 0;
      }
      gathered |= uint64_t{1} << (v % 64);
    };
    size_t i = 0;
    for (; i + 4 <= bytes; i += 4) {
      const uint32_t pair = static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8 |
                            static_cast<uint32_t>(data[i + 2]) << 16 | static_cast<uint32_t>(data[i + 3]) << 24;
      add(pair & 0xFFFF);
      add(pair >> 16);
    }
    if (i + 2 <= bytes) add(static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8);
    if (!m_words.empty()) words[current] |= gathered;
  }
  void Clear() { m_words.assign(m_words.size(), 0); }
  // Word by word with a set of the same size; a set of another size leaves
  // this one as it is.
  void And(const CHitSet& other) {
    if (other.m_size != m_size) return;
    for (size_t i = 0; i < m_words.size(); ++i) m_words[i] &= other.m_words[i];
  }
  void Or(const CHitSet& other) {
    if (other.m_size != m_size) return;
    for (size_t i = 0; i < m_words.size(); ++i) m_words[i] |= other.m_words[i];
  }
  void Xor(const CHitSet& other) {
    if (other.m_size != m_size) return;
    for (size_t i = 0; i < m_words.size(); ++i) m_words[i] ^= other.m_words[i];
  }
  // The first set position after `after` (-1: from the start), or -1.
  long Next(long after) const {
    size_t from = after < 0 ? 0 : static_cast<size_t>(after) + 1;
    if (from >= m_size) return -1;
    size_t w = from / 64;
    uint64_t bits = m_words[w] & (~uint64_t{0} << (from % 64));
    for (;;) {
      if (bits) {
        const size_t position = w * 64 + static_cast<size_t>(std::countr_zero(bits));
        return position < m_size ? static_cast<long>(position) : -1;
      }
      if (++w == m_words.size()) return -1;
      bits = m_words[w];
    }
  }
  size_t Count() const {
    size_t n = 0;
    for (uint64_t w : m_words) n += static_cast<size_t>(std::popcount(w));
    return n;
  }

 private:
  size_t m_size;
  std::vector<uint64_t> m_words;
};

}  // namespace klmw
