#include "app/bibles/colorindex.h"

#include <bit>
#include <exception>
#include <fstream>
#include <iterator>

#include "platform/coding.h"
#include "platform/profile.h"

namespace klmw {

namespace {

void PutSet(std::string& out, const CColorIndex::Set& set) {
  for (uint32_t w : set) platform::PutFixed32(out, w);
}

bool ReadAll(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // A path that opens but cannot be read (a folder) throws from the stream
  // buffer; it counts as an unreadable file.
  try {
    data.assign(std::istreambuf_iterator<char>(in), {});
  } catch (const std::exception&) {
    data.clear();
    return false;
  }
  return !in.bad();
}

}  // namespace

void CColorIndex::Clear() {
  for (Set& s : m_sets) s.fill(0);
}

bool CColorIndex::Load(const std::string& path) {
  Clear();
  std::string data;
  if (!ReadAll(path, data)) return false;
  for (size_t s = 0; s < m_sets.size() && (s + 1) * kColorSetBytes <= data.size(); ++s) {
    const char* p = data.data() + s * kColorSetBytes;
    for (size_t w = 0; w < kColorSetWords; ++w) m_sets[s][w] = platform::DecodeFixed32(p + 4 * w);
    // The spare bits past the last position mean nothing.
    m_sets[s][kColorSetWords - 1] &= (uint32_t{1} << (kColorSetBits % 32)) - 1;
  }
  return true;
}

bool CColorIndex::Save(const std::string& path, int count) const {
  std::string out;
  for (int s = 0; s < count && s < kColorIndexSets; ++s) PutSet(out, m_sets[static_cast<size_t>(s)]);
  return platform::ReplaceFile(path, out);
}

bool CColorIndex::SaveUnderlineSet(const std::string& path) const {
  std::string out;
  ReadAll(path, out);
  out.resize(kIndexedColors * kColorSetBytes, '\0');
  PutSet(out, m_sets[kUnderlineSet]);
  return platform::ReplaceFile(path, out);
}

void CColorIndex::Mark(int set, int verse) {
  if (set < 0 || set >= kColorIndexSets || verse < 0 || static_cast<size_t>(verse) >= kColorSetBits) return;
  m_sets[static_cast<size_t>(set)][static_cast<size_t>(verse) / 32] |= uint32_t{1} << (verse % 32);
}

bool CColorIndex::Test(int set, int verse) const {
  if (set < 0 || set >= kColorIndexSets || verse < 0 || static_cast<size_t>(verse) >= kColorSetBits) return false;
  return (m_sets[static_cast<size_t>(set)][static_cast<size_t>(verse) / 32] >> (verse % 32) & 1) != 0;
}

std::vector<int> CColorIndex::Verses(int set) const {
  std::vector<int> out;
  for (int v = NextVerse(set + 1, -1); v >= 0; v = NextVerse(set + 1, v)) out.push_back(v);
  return out;
}

int CColorIndex::NextVerse(int k, int after) const {
  if (k < 1 || k > kColorIndexSets) return -1;
  if (after < -1) after = -1;
  const size_t from = static_cast<size_t>(after + 1);
  if (from >= kColorSetBits) return -1;
  const Set& set = m_sets[static_cast<size_t>(k - 1)];
  size_t w = from / 32;
  // The first word loses the positions up to `after`; the rest are whole.
  uint32_t bits = set[w] & (~uint32_t{0} << (from % 32));
  while (bits == 0) {
    if (++w == kColorSetWords) return -1;
    bits = set[w];
  }
  return static_cast<int>(w * 32 + static_cast<size_t>(std::countr_zero(bits)));
}

}  // namespace klmw
