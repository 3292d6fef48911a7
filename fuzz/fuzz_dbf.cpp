// A dBase table and its memo file made of arbitrary bytes, opened and read
// record by record, field by field; then one record rewritten in place.
//
// Input: bytes 0-3 (little-endian) modulo the rest's size + 1 give the length
// of the .dbf; the .dbf follows, and everything after it is the .dbt.
//
// Corrupt tables may be refused or raise platform::DbfError; what must not
// happen is a crash, a read out of bounds, a huge allocation, an endless
// loop, a character field handed back at other than its width, or a record
// written that does not read back as assigned.
#include <cstdint>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "platform/dbf.h"

namespace {

using fuzz::Check;

constexpr uint32_t kMaxRecords = 64;  // more only repeats the same checks

void ReadAll(platform::DbfTable& table) {
  const uint32_t count = table.RecordCount() < kMaxRecords ? table.RecordCount() : kMaxRecords;
  for (uint32_t recno = 1; recno <= count; ++recno) {
    table.Go(recno);
    Check(table.RecNo() == recno, "Go left another record current");
    table.IsDeleted();
    for (size_t f = 0; f < table.Fields().size(); ++f) {
      const platform::DbfField& field = table.Fields()[f];
      try {
        std::string text = table.FieldText(static_cast<int>(f));
        Check(field.type == 'M' || text.size() == field.length, "a field read at other than its width");
      } catch (const platform::DbfError&) {
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t rest = size - 4;
  const size_t dbfSize = fuzz::Le32(data) % (rest + 1);
  const std::string dir = fuzz::ScratchDir();
  fuzz::WriteFile(dir + "t.dbf", data + 4, dbfSize);
  fuzz::WriteFile(dir + "t.dbt", data + 4 + dbfSize, rest - dbfSize);

  platform::DbfTable table;
  try {
    table.Open(dir + "t.dbf");
  } catch (const platform::DbfError&) {
    Check(!table.IsOpen(), "a table that failed to open is left open");
    return 0;
  }
  try {
    ReadAll(table);
  } catch (const platform::DbfError&) {
  }
  table.Close();

  // Rewrite record 1 of a table that opened: the new texts must read back,
  // before and after reopening.
  try {
    table.Open(dir + "t.dbf", platform::DbfTable::readWrite);
    if (table.RecordCount() == 0) return 0;
    table.Go(1);
    std::vector<std::string> assigned(table.Fields().size());
    for (size_t f = 0; f < table.Fields().size(); ++f) {
      const platform::DbfField& field = table.Fields()[f];
      assigned[f] = field.type == 'M' ? std::string(600, 'm') : std::string(field.length, 'c');
      table.Assign(static_cast<int>(f), assigned[f]);
    }
    table.WriteRecord();
    table.Close();
    table.Open(dir + "t.dbf");
    table.Go(1);
    for (size_t f = 0; f < assigned.size(); ++f)
      Check(table.FieldText(static_cast<int>(f)) == assigned[f], "a written record reads back otherwise");
    ReadAll(table);
  } catch (const platform::DbfError&) {
  }
  return 0;
}
