// paint.CODE, the program's own copy of a Bible's colour data:
//
//   offset                      size          meaning
//   0                           int32         count of colour names (N)
//   4                           int32         count of the colour table (T)
//   8                           int32         count of the second table (S)
//   12                          60 x N        names, NUL padded
//   12 + 60N                    4 x T         colour table (COLORREF)
//   12 + 60N + 4T               4 x S         second colour table
//   12 + 60N + 4T + 4S          56 x 31,102   verse records (CVerseColors)
//
// The second table is kept as it was read and written back unchanged; this
// program writes it empty.
#pragma once

#include <string>
#include <vector>

#include "app/bibles/colorstxt.h"
#include "app/bibles/versecolors.h"
#include "platform/file.h"

namespace klmw {

inline constexpr size_t kPaintNameSize = 60;
// Counts above this are taken for a damaged header.
inline constexpr int kMaxPaintTableCount = 4096;

struct CPaintTables {
  std::vector<std::string> names;
  std::vector<ColorRef> table;
  std::vector<ColorRef> table2;
};

class CPaintFile {
 public:
  // Reads the header and tables and keeps the file open for the records.
  // False when the file is absent or its header is damaged (counts
  // negative or absurd, tables past the end).
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return m_file.IsOpen(); }
  const CPaintTables& Tables() const { return m_tables; }
  // How many whole records the file holds (fewer than 31,102 when cut short).
  int RecordCount() const { return m_records; }

  // A verse's record, read through a one-record cache; a verse the file
  // does not hold (or cannot read) has the fresh record.
  const CVerseColors& GetRecord(int index);
  // Every verse's record, as GetRecord gives them.
  std::vector<CVerseColors> ReadAllRecords();

  // The file's bytes for tables and records (records past the vector's end
  // are written fresh).
  static std::string Format(const CPaintTables& tables, const std::vector<CVerseColors>& records);
  // Writes the whole file anew through a temporary file renamed over it.
  static bool Save(const std::string& path, const CPaintTables& tables, const std::vector<CVerseColors>& records);

 private:
  platform::File m_file;
  CPaintTables m_tables;
  int64_t m_recordStart = 0;
  int m_records = 0;
  int m_cached = -1;
  CVerseColors m_cache;
};

}  // namespace klmw
