// Writing the synchronisation indexes in the layouts syncindex.cpp reads.
#include <algorithm>
#include <tuple>

#include "platform/coding.h"
#include "soltread/indexwriters.h"
#include "soltread/util.h"

namespace solt {

namespace {
constexpr uint16_t kHeaderLength = 16;
// A text's length is stored in a signed 16-bit field.
constexpr size_t kMaxTextLength = 0x7FFF;
}  // namespace

std::string cTextSyncWriter::Build() const {
  const uint16_t entrySize = m_entrySize < 8 ? 8 : m_entrySize;
  std::vector<sEntry> entries = m_entries;
  for (sEntry& e : entries)
    if (e.text.size() > kMaxTextLength) e.text.resize(kMaxTextLength);
  // Stable, so texts equal but for case keep the order they were added in.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const sEntry& a, const sEntry& b) { return CompareNoCase(a.text, b.text) < 0; });

  std::string out = MakeVersionRecord(m_version);
  std::string header(kHeaderLength, '\0');
  platform::EncodeFixed16(header.data(), kHeaderLength);
  platform::EncodeFixed32(header.data() + 4, static_cast<uint32_t>(entries.size()));
  platform::EncodeFixed16(header.data() + 8, entrySize);
  out += header;

  // The texts follow the table in the same order.
  size_t textOffset = out.size() + entries.size() * entrySize;
  std::string texts;
  for (const sEntry& e : entries) {
    std::string entry(entrySize, '\0');
    platform::EncodeFixed32(entry.data(), static_cast<uint32_t>(e.key));
    platform::EncodeFixed32(entry.data() + 4, static_cast<uint32_t>(textOffset + texts.size()));
    out += entry;
    platform::PutFixed16(texts, static_cast<uint16_t>(e.text.size()));
    texts += e.text;
  }
  return out + texts;
}

std::string cVerseSyncWriter::Build() const {
  const uint16_t bookRecordSize = m_bookRecordSize < 6 ? 6 : m_bookRecordSize;
  const uint16_t verseRecordSize = m_verseRecordSize < 8 ? 8 : m_verseRecordSize;
  std::vector<sEntry> entries = m_entries;
  auto place = [](const sEntry& e) { return std::tuple(e.book, e.chapter, e.verse); };
  std::stable_sort(entries.begin(), entries.end(), [&](const sEntry& a, const sEntry& b) { return place(a) < place(b); });
  // A verse added twice keeps the key added last.
  std::vector<sEntry> unique;
  for (const sEntry& e : entries) {
    if (!unique.empty() && place(unique.back()) == place(e))
      unique.back() = e;
    else
      unique.push_back(e);
  }

  // An index without verses still needs one book for a valid header.
  const uint16_t first = unique.empty() ? 1 : unique.front().book;
  const uint16_t last = unique.empty() ? 1 : unique.back().book;

  std::string out = MakeVersionRecord(m_version);
  std::string header(kHeaderLength, '\0');
  platform::EncodeFixed16(header.data(), kHeaderLength);
  platform::EncodeFixed16(header.data() + 2, first);
  platform::EncodeFixed16(header.data() + 4, last);
  platform::EncodeFixed16(header.data() + 6, bookRecordSize);
  platform::EncodeFixed16(header.data() + 8, verseRecordSize);
  out += header;

  const size_t bookTable = out.size();
  const size_t bookCount = static_cast<size_t>(last - first) + 1;
  out.append(bookCount * bookRecordSize, '\0');
  size_t i = 0;
  while (i < unique.size()) {
    const uint16_t book = unique[i].book;
    size_t end = i;
    while (end < unique.size() && unique[end].book == book) ++end;
    // The count field is 16 bits; no real book comes near it.
    const size_t count = std::min<size_t>(end - i, 0xFFFF);
    char* record = out.data() + bookTable + static_cast<size_t>(book - first) * bookRecordSize;
    platform::EncodeFixed32(record, static_cast<uint32_t>(out.size()));
    platform::EncodeFixed16(record + 4, static_cast<uint16_t>(count));
    for (size_t k = i; k < i + count; ++k) {
      std::string verse(verseRecordSize, '\0');
      platform::EncodeFixed16(verse.data(), unique[k].chapter);
      platform::EncodeFixed16(verse.data() + 2, unique[k].verse);
      platform::EncodeFixed32(verse.data() + 4, static_cast<uint32_t>(unique[k].key));
      out += verse;
    }
    i = end;
  }
  return out;
}

}  // namespace solt
