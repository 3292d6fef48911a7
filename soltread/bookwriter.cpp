#include "soltread/bookwriter.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>

#include "platform/coding.h"
#include "platform/safefile.h"
#include "soltread/lzss.h"

namespace solt {

std::string MakeVersionRecord(const sVersionInfo& version) {
  uint16_t length = version.recordLength < 12 ? 12 : version.recordLength;
  std::string out(length, '\0');
  platform::EncodeFixed16(out.data(), length);
  platform::EncodeFixed16(out.data() + 2, version.publisherID);
  platform::EncodeFixed16(out.data() + 4, version.bookID);
  out[10] = static_cast<char>(version.lcsMajor);
  out[11] = static_cast<char>(version.lcsMinor);
  return out;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error) {
  std::string reason;
  if (platform::WriteFileSafely(path, bytes, reason)) return true;
  if (error) *error = reason;
  return false;
}

cViewableWriter::sOutput cViewableWriter::Build() const {
  sOutput out;
  out.bookDat = MakeVersionRecord(m_version);
  platform::PutFixed32(out.bookDat, static_cast<uint32_t>(m_headerText.size()));
  out.bookDat += m_headerText;

  const uint16_t headerLength = m_viewableHeaderLength < 14 ? 14 : m_viewableHeaderLength;
  const uint16_t recordSize = m_areaRecordSize < 12 ? 12 : m_areaRecordSize;
  const int count = GetAreaCount();
  const int second = m_secondCount < 0 ? 0 : (m_secondCount > count ? count : m_secondCount);

  std::string header(headerLength, '\0');
  platform::EncodeFixed16(header.data(), headerLength);
  platform::EncodeFixed32(header.data() + 2, static_cast<uint32_t>(count - second));
  platform::EncodeFixed32(header.data() + 6, static_cast<uint32_t>(second));
  header[10] = static_cast<char>(m_compression);
  platform::EncodeFixed16(header.data() + 12, recordSize);

  out.viewableIdx = MakeVersionRecord(m_version) + header;
  // Compressing is most of a book's build time and each area stands alone,
  // so the areas are shared out among the processor's cores.
  std::vector<std::string> encoded(m_compression == 1 ? m_areas.size() : 0);
  if (m_compression == 1) {
    std::atomic<size_t> next{0};
    auto work = [&]() {
      for (size_t i; (i = next++) < m_areas.size();) encoded[i] = LzssEncode(m_areas[i]);
    };
    const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < cores && t < m_areas.size(); ++t) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
  }
  for (size_t a = 0; a < m_areas.size(); ++a) {
    const std::string& area = m_areas[a];
    const std::string& stored = m_compression == 1 ? encoded[a] : area;
    std::string record(recordSize, '\0');
    platform::EncodeFixed32(record.data(), static_cast<uint32_t>(out.bookDat.size()));
    platform::EncodeFixed32(record.data() + 4, static_cast<uint32_t>(area.size()));
    platform::EncodeFixed32(record.data() + 8, static_cast<uint32_t>(m_compression == 1 ? stored.size() : 0));
    out.viewableIdx += record;
    out.bookDat += stored;
  }
  return out;
}

bool cViewableWriter::Write(const std::string& textDir, const std::string& indexDir, std::string* error) const {
  sOutput out = Build();
  return WriteFileAtomic(indexDir + "viewable.idx", out.viewableIdx, error) &&
         WriteFileAtomic(textDir + "book.dat", out.bookDat, error);
}

}  // namespace solt
