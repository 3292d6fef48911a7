// Writing book.dat and viewable.idx: the book compiler and the tests make
// their books with this, and every reader is checked against it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace solt {

struct sVersionInfo {
  uint16_t publisherID = 0;
  uint16_t bookID = 0;
  uint8_t lcsMajor = 0;
  uint8_t lcsMinor = 9;
  uint16_t recordLength = 16;  // at least 12; bytes past 12 are zero
};

std::string MakeVersionRecord(const sVersionInfo& version);

// The bytes of a whole file: version record followed by `body`.
inline std::string MakeFile(const sVersionInfo& version, const std::string& body = {}) {
  return MakeVersionRecord(version) + body;
}

// Writes through a temporary file in the same folder and renames it, so a
// failed write never leaves half a file behind.
bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error = nullptr);

class cViewableWriter {
 public:
  explicit cViewableWriter(const sVersionInfo& version) : m_version(version) {}

  void SetCompression(int type) { m_compression = type; }
  void SetHeaderText(std::string text) { m_headerText = std::move(text); }
  void SetHeaderArea(std::string area) { m_areas[0] = std::move(area); }
  // Returns the new area's key.
  int AddArea(std::string area) {
    m_areas.push_back(std::move(area));
    return static_cast<int>(m_areas.size() - 1);
  }
  // How many of the areas the header counts in its second count (the rest go
  // in the first); readers only use the sum.
  void SetSecondCount(int count) { m_secondCount = count; }
  // Layout choices another writer may make differently.
  void SetViewableHeaderLength(uint16_t length) { m_viewableHeaderLength = length; }
  void SetAreaRecordSize(uint16_t size) { m_areaRecordSize = size; }

  int GetAreaCount() const { return static_cast<int>(m_areas.size()); }

  struct sOutput {
    std::string bookDat;
    std::string viewableIdx;
  };
  sOutput Build() const;
  // Writes book.dat into textDir and viewable.idx into indexDir (folders
  // given with their trailing separator).
  bool Write(const std::string& textDir, const std::string& indexDir, std::string* error = nullptr) const;

 private:
  sVersionInfo m_version;
  int m_compression = 0;
  std::string m_headerText;
  std::vector<std::string> m_areas = {std::string()};
  int m_secondCount = 0;
  uint16_t m_viewableHeaderLength = 16;
  uint16_t m_areaRecordSize = 12;
};

}  // namespace solt
