// viewable.idx: where each viewable area of book.dat lies and how it is stored.
//
//   offset      width  meaning
//   0           N0     version record
//   N0+0        2      viewable header length N1 (including this field)
//   N0+2        4      first area count (signed)
//   N0+6        4      second area count; areas = first + second
//   N0+10       1      compression: 0 stored, 1 LZSS
//   N0+11       1      (not interpreted)
//   N0+12       2      E, size of one area record (at least 12)
//   N0+N1+k*E   12     area k: offset in book.dat, decoded length, stored
//                      length (all signed 32-bit; the rest of E not read)
#pragma once

#include <cstdint>

#include "soltread.h"

struct sAreaRecord {
  int32_t offset = 0;
  int32_t length = 0;        // decoded
  int32_t storedLength = 0;  // compressed, when the compression type is 1
};

class cViewableIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 14;
  static constexpr unsigned kMinRecordSize = 12;

  int GetAreaCount() const { return m_areaCount; }
  int GetCompressionType() const { return m_compression; }
  bool IsValidKey(int key) const { return key >= 0 && key < m_areaCount; }
  // Reads area `key`'s record; the key must be valid.
  sAreaRecord GetAreaRecord(int key);

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  int m_firstCount = 0;
  int m_secondCount = 0;
  int m_areaCount = 0;
  int m_compression = 0;
  unsigned m_recordSize = 0;
  int64_t m_tableOffset = 0;
};
