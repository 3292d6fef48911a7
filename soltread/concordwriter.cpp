// Lays concord.idx out as: header, language records, every language's word
// records, then each word's text with its keys, then the position tables and
// the position lists they point to. concordindex.cpp describes the format.
#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/coding.h"
#include "soltread.h"
#include "soltread/indexwriters.h"
#include "soltread/util.h"

namespace solt {

namespace {

constexpr uint16_t kHeaderLength = 8;

struct sKeyEntry {
  uint32_t key;
  std::vector<uint16_t> positions;
};

// A word's keys in ascending order, each with its sorted positions; a key
// given without positions has none.
std::vector<sKeyEntry> SortedKeys(const sConcordWord& word) {
  std::vector<sKeyEntry> entries;
  entries.reserve(word.keys.size());
  for (size_t i = 0; i < word.keys.size(); ++i) {
    sKeyEntry entry{word.keys[i], i < word.positions.size() ? word.positions[i] : std::vector<uint16_t>()};
    std::sort(entry.positions.begin(), entry.positions.end());
    entries.push_back(std::move(entry));
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const sKeyEntry& a, const sKeyEntry& b) { return a.key < b.key; });
  return entries;
}

// How many of the first values of an ascending list go in the narrow form:
// those below `limit`, as many as the narrow count can say. The rest follow
// in the wide form, so the list stays ascending either way.
template <typename List, typename Value>
size_t NarrowCount(const List& list, Value limit, size_t maxCount, Value (*get)(const typename List::value_type&)) {
  size_t n = 0;
  while (n < list.size() && n < maxCount && get(list[n]) < limit) ++n;
  return n;
}

uint32_t KeyOf(const sKeyEntry& e) { return e.key; }
uint32_t PositionOf(const uint16_t& p) { return p; }

void Patch32(std::string& out, size_t at, size_t value) {
  if (value > INT32_MAX) throw std::length_error("concord.idx would outgrow its 32-bit offsets");
  platform::EncodeFixed32(out.data() + at, static_cast<uint32_t>(value));
}

}  // namespace

void cConcordWriter::AddLanguage(uint16_t language, std::vector<sConcordWord> words) {
  m_languages.emplace_back(language, std::move(words));
}

std::string cConcordWriter::Build() const {
  const uint16_t recordSize = m_recordSize < sWordListRec::kMinSize ? sWordListRec::kMinSize : m_recordSize;
  const uint16_t stride = m_languageStride < sLanguageRec::kSize ? sLanguageRec::kSize : m_languageStride;
  if (m_languages.size() > 0xFFFF) throw std::length_error("too many languages for concord.idx");

  std::string out = MakeVersionRecord(m_version);
  platform::PutFixed16(out, kHeaderLength);
  platform::PutFixed16(out, static_cast<uint16_t>(m_languages.size()));
  platform::PutFixed16(out, stride);
  platform::PutFixed16(out, 0);
  const size_t languageTable = out.size();
  out.append(m_languages.size() * stride, '\0');

  // Word records first, so each language's table is one contiguous block.
  std::vector<std::vector<const sConcordWord*>> sorted(m_languages.size());
  std::vector<size_t> firstRecord(m_languages.size());
  for (size_t l = 0; l < m_languages.size(); ++l) {
    for (const sConcordWord& word : m_languages[l].second) sorted[l].push_back(&word);
    std::stable_sort(sorted[l].begin(), sorted[l].end(), [](const sConcordWord* a, const sConcordWord* b) {
      return CompareNoCase(a->text, b->text) < 0;
    });
    if (sorted[l].size() > INT32_MAX) throw std::length_error("too many words for concord.idx");
    const size_t at = languageTable + l * stride;
    platform::EncodeFixed16(out.data() + at, m_languages[l].first);
    platform::EncodeFixed32(out.data() + at + 2, static_cast<uint32_t>(sorted[l].size()));
    Patch32(out, at + 6, out.size());
    platform::EncodeFixed16(out.data() + at + 10, recordSize);
    firstRecord[l] = out.size();
    out.append(sorted[l].size() * recordSize, '\0');
  }

  // Texts and keys, then position tables; the lists the tables point to go
  // last, after every table.
  struct sPending {
    size_t tableEntry;
    const std::vector<uint16_t>* positions;
  };
  std::vector<std::vector<sKeyEntry>> keysOf;
  std::vector<size_t> recordOf;
  for (size_t l = 0; l < m_languages.size(); ++l) {
    for (size_t w = 0; w < sorted[l].size(); ++w) {
      const sConcordWord& word = *sorted[l][w];
      if (word.text.size() > 0xFFFF) throw std::length_error("a word is too long for concord.idx");
      std::vector<sKeyEntry> keys = SortedKeys(word);
      const size_t count16 = NarrowCount(keys, uint32_t{0x10000}, 0xFFFF, KeyOf);
      const size_t count32 = keys.size() - count16;
      if (count32 > INT32_MAX) throw std::length_error("too many keys for concord.idx");

      const size_t record = firstRecord[l] + w * recordSize;
      platform::EncodeFixed32(out.data() + record, word.reserved);
      platform::EncodeFixed32(out.data() + record + 4, static_cast<uint32_t>(count32));
      Patch32(out, record + 8, out.size());
      platform::EncodeFixed16(out.data() + record + 12, static_cast<uint16_t>(count16));

      platform::PutFixed16(out, static_cast<uint16_t>(word.text.size()));
      out += word.text;
      for (size_t k = 0; k < count16; ++k) platform::PutFixed16(out, static_cast<uint16_t>(keys[k].key));
      for (size_t k = count16; k < keys.size(); ++k) platform::PutFixed32(out, keys[k].key);
      keysOf.push_back(std::move(keys));
      recordOf.push_back(record);
    }
  }
  std::vector<sPending> pending;
  for (size_t i = 0; i < keysOf.size(); ++i) {
    Patch32(out, recordOf[i] + 14, out.size());
    for (const sKeyEntry& entry : keysOf[i]) {
      pending.push_back({out.size(), &entry.positions});
      out.append(4, '\0');
    }
  }
  for (const sPending& p : pending) {
    const std::vector<uint16_t>& positions = *p.positions;
    const size_t count8 = NarrowCount(positions, uint32_t{0x100}, 0xFF, PositionOf);
    const size_t count16 = positions.size() - count8;
    if (count16 > 0xFFFF) throw std::length_error("too many positions for concord.idx");
    Patch32(out, p.tableEntry, out.size());
    out += static_cast<char>(count8);
    platform::PutFixed16(out, static_cast<uint16_t>(count16));
    for (size_t k = 0; k < count8; ++k) out += static_cast<char>(positions[k]);
    for (size_t k = count8; k < positions.size(); ++k) platform::PutFixed16(out, positions[k]);
  }
  return out;
}

}  // namespace solt
