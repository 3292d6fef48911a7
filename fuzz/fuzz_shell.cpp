// KLMW.INI made of arbitrary bytes, read the way start-up reads it: the
// registry loaded, the inactive paths listed, the workspace of bookshelf 0
// restored, saved and restored again, the tree bar's size read. The same
// bytes are also parsed as a book.dat header, a window record and a book
// document name.
//
// Input: the whole settings file.
//
// What must not happen: a crash, a read out of bounds, an unbounded loop or
// allocation (window and book counts are capped), a window count outside
// 1..64, or a save/restore round trip that changes a window's numbers.
#include <cstdint>
#include <string>

#include "app/shell/bookscanner.h"
#include "app/shell/registry.h"
#include "app/shell/settings.h"
#include "app/shell/workspace.h"
#include "fuzz/fuzzsupport.h"
#include "platform/volumes.h"

namespace {

using fuzz::Check;

using fuzz::FixedVolumes;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FixedVolumes volumes;
  static platform::ScopedVolumes scopedVolumes(&volumes);
  fuzz::QuietMessages();
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  klmw::CBookHeader header;
  klmw::ParseBookHeader(bytes, header);
  klmw::ParseBookHeaderLeniently(bytes, header);
  klmw::CWhereEntry record;
  int numbers = klmw::ParseWindowRecord(bytes, record);
  Check(numbers >= 0 && numbers <= 10, "window record count out of range");
  int book = 0, section = 0;
  if (klmw::ParseBookDocumentName(bytes, book, section))
    Check(klmw::FormatBookDocumentName(book, section).size() <= bytes.size() + 1, "document name grew");

  const std::string ini = fuzz::ScratchDir() + "KLMW.INI";
  fuzz::WriteFile(ini, data, size);

  klmw::CDataSetRegistry registry(ini);
  registry.LoadRegistry();
  Check(registry.GetBookCount() <= klmw::kMaxDataSets * klmw::kMaxBooksPerDataSet, "too many books");
  for (int i = 0; i < registry.GetBookCount(); ++i)
    Check(registry.GetBooks()[static_cast<size_t>(i)].GetBookNumber() == i, "book numbers out of order");
  Check(registry.GetInactiveBookPaths().size() <= static_cast<size_t>(klmw::kMaxBooksPerDataSet), "too many paths");
  cSOLTDataSet set;
  registry.FillDataSet(set, 1);

  // Windows dropped for vanished paths first, then every path kept for the
  // round trip (a dropped window's keys stay behind under later indexes).
  klmw::CWhere dropping;
  dropping.SetPathTest([](const std::string& path) { return path.size() % 2 == 0; });
  int kept = dropping.Restore(ini, 0);
  Check(kept >= 1 && kept <= klmw::CWhere::kMaxWindows, "window count out of range");
  klmw::CWhere where;
  where.SetPathTest([](const std::string&) { return true; });
  int count = where.Restore(ini, 0);
  Check(count >= 2 && count <= klmw::CWhere::kMaxWindows, "window count out of range");
  int width = 0, height = 0;
  klmw::ReadTreeDimensions(ini, width, height);

  // Every key written is a synced rewrite of the file; a few windows show
  // the round trip as well as many would, at a far better speed.
  if (count <= 4 && where.Save(ini, 0)) {
    klmw::CWhere again;
    again.SetPathTest([](const std::string&) { return true; });
    Check(again.Restore(ini, 0) == count, "window count changed by a round trip");
    for (int i = 0; i < count; ++i) {
      klmw::CWhereEntry a = where.GetEntries()[static_cast<size_t>(i)];
      klmw::CWhereEntry b = again.GetEntries()[static_cast<size_t>(i)];
      Check(klmw::FormatWindowRecord(a) == klmw::FormatWindowRecord(b), "window numbers changed by a round trip");
    }
  }
  return 0;
}
