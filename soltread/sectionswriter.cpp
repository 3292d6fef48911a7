// Writing sections.idx (layout in sectionsindex.cpp). The file stores only
// levels and links; the links are worked out here from the levels, the way
// the reader's child rule expects: a section's parent is the nearest earlier
// section with a smaller level, and its siblings share parent and level.
#include <algorithm>
#include <map>
#include <utility>

#include "platform/coding.h"
#include "soltread/indexwriters.h"

namespace solt {

namespace {
constexpr unsigned kMinHeaderLength = 12;
constexpr unsigned kMinEntrySize = 23;
// Names carry a signed 16-bit length.
constexpr size_t kMaxNameLength = 0x7FFF;
}  // namespace

// A section added after glossary entries still goes before them, so the
// file keeps its order; the glossary keys handed out earlier move up by one.
int cSectionsWriter::AddSection(const std::string& name, int level, int bookKey, int levelCount) {
  m_entries.insert(m_entries.begin() + m_sectionCount, sEntry{name, level, bookKey, levelCount});
  return m_sectionCount++;
}

int cSectionsWriter::AddGlossary(const std::string& name, int level, int bookKey, int levelCount) {
  m_entries.push_back(sEntry{name, level, bookKey, levelCount});
  return static_cast<int>(m_entries.size()) - 1;
}

std::string cSectionsWriter::Build() const {
  const unsigned headerLength = std::max<unsigned>(m_headerLength, kMinHeaderLength);
  const unsigned entrySize = std::max<unsigned>(m_entrySize, kMinEntrySize);
  const int count = static_cast<int>(m_entries.size());

  std::string out = MakeVersionRecord(m_version);
  const size_t tableOffset = out.size() + headerLength;
  auto recordOffset = [&](int key) -> uint32_t {
    return key < 0 ? 0u : static_cast<uint32_t>(tableOffset + static_cast<size_t>(key) * entrySize);
  };

  // Links, as keys (-1 = none). Levels are compared as the file stores them.
  std::vector<int> parent(count, -1), prev(count, -1), next(count, -1);
  auto storedLevel = [&](int key) { return m_entries[key].level & 0xFF; };
  std::vector<int> open;  // the chain of sections the next one may hang under
  std::map<std::pair<int, int>, int> lastSibling;  // (parent, level) -> key
  for (int k = 0; k < m_sectionCount; ++k) {
    while (!open.empty() && storedLevel(open.back()) >= storedLevel(k)) open.pop_back();
    parent[k] = open.empty() ? -1 : open.back();
    open.push_back(k);
    auto [it, fresh] = lastSibling.try_emplace({parent[k], storedLevel(k)}, k);
    if (!fresh) {
      prev[k] = it->second;
      next[it->second] = k;
      it->second = k;
    }
  }
  for (int k = m_sectionCount + 1; k < count; ++k) {
    prev[k] = k - 1;
    next[k - 1] = k;
  }

  std::string header(headerLength, '\0');
  platform::EncodeFixed16(header.data(), static_cast<uint16_t>(headerLength));
  platform::EncodeFixed32(header.data() + 2, static_cast<uint32_t>(m_sectionCount));
  platform::EncodeFixed32(header.data() + 6, static_cast<uint32_t>(count - m_sectionCount));
  platform::EncodeFixed16(header.data() + 10, static_cast<uint16_t>(entrySize));
  out += header;

  std::string names;
  size_t nameOffset = tableOffset + static_cast<size_t>(count) * entrySize;
  for (int k = 0; k < count; ++k) {
    const sEntry& e = m_entries[k];
    std::string record(entrySize, '\0');
    char* b = record.data();
    platform::EncodeFixed32(b, recordOffset(parent[k]));
    platform::EncodeFixed32(b + 4, recordOffset(prev[k]));
    platform::EncodeFixed32(b + 8, recordOffset(next[k]));
    platform::EncodeFixed32(b + 12, static_cast<uint32_t>(e.bookKey));
    platform::EncodeFixed16(b + 16, static_cast<uint16_t>(e.levelCount));
    b[18] = static_cast<char>(e.level & 0xFF);
    platform::EncodeFixed32(b + 19, static_cast<uint32_t>(nameOffset + names.size()));
    out += record;
    // Longer names are cut to what the length field can say.
    const size_t length = std::min(e.name.size(), kMaxNameLength);
    platform::PutFixed16(names, static_cast<uint16_t>(length));
    names.append(e.name, 0, length);
  }
  return out + names;
}

}  // namespace solt
