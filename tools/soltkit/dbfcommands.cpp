// soltkit dbf: the records of a dBase table (a Bible's verse table, the verse
// notes) as "recno<TAB>field=value" lines, values as stored.
#include <cstdio>
#include <cstdint>

#include "platform/dbf.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {

void CmdDbf(const Words& words) {
  Args args(words, {"record", "field"}, {});
  args.RequireCount(2, 2);
  const std::string& path = args.At(1);
  const long long only = args.Integer("record", 0, 1, UINT32_MAX);
  try {
    platform::DbfTable table;
    table.Open(path);
    int field = -1;
    if (args.Has("field")) {
      field = table.FieldIndex(args.Value("field"));
      if (field < 0) throw InputError(path + ": no field " + args.Value("field"));
    }
    if (only > table.RecordCount())
      throw InputError(path + ": no record " + std::to_string(only) + " (the table has " +
                       std::to_string(table.RecordCount()) + ")");
    const uint32_t first = only ? static_cast<uint32_t>(only) : 1;
    const uint32_t last = only ? static_cast<uint32_t>(only) : table.RecordCount();
    const int count = static_cast<int>(table.Fields().size());
    for (uint32_t recno = first; recno >= first && recno <= last; ++recno) {
      table.Go(recno);
      for (int f = field < 0 ? 0 : field; f < (field < 0 ? count : field + 1); ++f) {
        std::string line = std::to_string(recno) + "\t" + table.Fields()[f].name + "=" + table.FieldText(f) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
      }
    }
  } catch (const platform::DbfError& e) {
    throw InputError(e.what());
  }
}

}  // namespace soltkit
