#include "textpane/model/fonttable.h"

#include <algorithm>
#include <cstring>

namespace textpane {

FontTable::FontTable() {
  FontEntry times;
  times.height = 240;
  std::strcpy(times.faceName, "Times New Roman");
  m_fonts[0] = times;
}

const FontEntry* FontTable::Find(int32_t number) const {
  auto it = m_fonts.find(number);
  return it == m_fonts.end() ? nullptr : &it->second;
}

std::vector<int32_t> FontTable::Numbers() const {
  std::vector<int32_t> numbers;
  numbers.reserve(m_fonts.size());
  for (const auto& [number, entry] : m_fonts) numbers.push_back(number);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::optional<uint32_t> ColorTable::Lookup(size_t index) const {
  if (index >= m_colors.size() || m_colors[index].automatic) return std::nullopt;
  return m_colors[index].rgb;
}

}  // namespace textpane
