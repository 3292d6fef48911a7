#include "app/bibles/paintfile.h"

#include <cstring>

#include "platform/coding.h"
#include "platform/profile.h"

namespace klmw {

bool CPaintFile::Open(const std::string& path) {
  Close();
  if (!m_file.Open(path, platform::File::modeRead | platform::File::shareDenyNone)) return false;
  try {
    const int64_t length = m_file.GetLength();
    unsigned char head[12];
    if (length < 12) throw platform::FileException(platform::FileException::endOfFile);
    m_file.ReadExact(head, 12);
    const int32_t counts[3] = {platform::DecodeSigned32(head), platform::DecodeSigned32(head + 4),
                               platform::DecodeSigned32(head + 8)};
    for (int32_t n : counts)
      if (n < 0 || n > kMaxPaintTableCount) throw platform::FileException(platform::FileException::invalidFile);
    const int64_t tables = int64_t{counts[0]} * kPaintNameSize + 4 * (int64_t{counts[1]} + counts[2]);
    if (12 + tables > length) throw platform::FileException(platform::FileException::endOfFile);
    std::string bytes(static_cast<size_t>(tables), '\0');
    if (tables) m_file.ReadExact(bytes.data(), static_cast<unsigned>(tables));
    const char* p = bytes.data();
    for (int32_t i = 0; i < counts[0]; ++i, p += kPaintNameSize)
      m_tables.names.emplace_back(p, strnlen(p, kPaintNameSize));
    for (int32_t i = 0; i < counts[1]; ++i, p += 4) m_tables.table.push_back(platform::DecodeFixed32(p));
    for (int32_t i = 0; i < counts[2]; ++i, p += 4) m_tables.table2.push_back(platform::DecodeFixed32(p));
    m_recordStart = 12 + tables;
    const int64_t whole = (length - m_recordStart) / static_cast<int64_t>(kVerseColorsSize);
    m_records = static_cast<int>(whole < kColorVerses ? whole : kColorVerses);
  } catch (const platform::FileException&) {
    Close();
    return false;
  }
  return true;
}

void CPaintFile::Close() {
  m_file.Close();
  m_tables = {};
  m_recordStart = 0;
  m_records = 0;
  m_cached = -1;
}

const CVerseColors& CPaintFile::GetRecord(int index) {
  if (index == m_cached) return m_cache;
  m_cached = index;
  m_cache = CVerseColors::Fresh();
  if (index < 0 || index >= m_records || !m_file.IsOpen()) return m_cache;
  unsigned char bytes[kVerseColorsSize];
  try {
    m_file.Seek(m_recordStart + int64_t{index} * static_cast<int64_t>(kVerseColorsSize), platform::File::begin);
    m_file.ReadExact(bytes, kVerseColorsSize);
    m_cache.Decode(bytes);
  } catch (const platform::FileException&) {
    // A file cut short behind our back reads as fresh records.
  }
  return m_cache;
}

std::vector<CVerseColors> CPaintFile::ReadAllRecords() {
  std::vector<CVerseColors> out(kColorVerses, CVerseColors::Fresh());
  if (!m_file.IsOpen() || m_records == 0) return out;
  std::string bytes(static_cast<size_t>(m_records) * kVerseColorsSize, '\0');
  try {
    m_file.Seek(m_recordStart, platform::File::begin);
    const unsigned got = m_file.Read(bytes.data(), static_cast<unsigned>(bytes.size()));
    for (size_t i = 0; (i + 1) * kVerseColorsSize <= got; ++i)
      out[i].Decode(reinterpret_cast<const unsigned char*>(bytes.data()) + i * kVerseColorsSize);
  } catch (const platform::FileException&) {
  }
  m_cached = -1;
  return out;
}

std::string CPaintFile::Format(const CPaintTables& tables, const std::vector<CVerseColors>& records) {
  const auto count = [](size_t n) {
    return static_cast<uint32_t>(n < static_cast<size_t>(kMaxPaintTableCount) ? n : kMaxPaintTableCount);
  };
  const uint32_t names = count(tables.names.size()), table = count(tables.table.size()),
                 table2 = count(tables.table2.size());
  std::string out;
  out.reserve(12 + kPaintNameSize * names + 4 * (table + table2) + kColorVerses * kVerseColorsSize);
  platform::PutFixed32(out, names);
  platform::PutFixed32(out, table);
  platform::PutFixed32(out, table2);
  for (uint32_t i = 0; i < names; ++i) {
    std::string name = tables.names[i].substr(0, kPaintNameSize - 1);
    name.resize(kPaintNameSize, '\0');
    out += name;
  }
  for (uint32_t i = 0; i < table; ++i) platform::PutFixed32(out, tables.table[i]);
  for (uint32_t i = 0; i < table2; ++i) platform::PutFixed32(out, tables.table2[i]);
  const size_t start = out.size();
  out.resize(start + kColorVerses * kVerseColorsSize);
  auto* p = reinterpret_cast<unsigned char*>(out.data() + start);
  const CVerseColors fresh = CVerseColors::Fresh();
  for (size_t i = 0; i < static_cast<size_t>(kColorVerses); ++i)
    (i < records.size() ? records[i] : fresh).Encode(p + i * kVerseColorsSize);
  return out;
}

bool CPaintFile::Save(const std::string& path, const CPaintTables& tables, const std::vector<CVerseColors>& records) {
  return platform::ReplaceFile(path, Format(tables, records));
}

}  // namespace klmw
