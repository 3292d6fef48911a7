// The notes file (KLMW.NOT) made of arbitrary bytes and opened: a file that
// is not a sound compound file is set aside whole and the store starts empty;
// a sound one is listed, every note read, one note put, and the file read
// again must hold what the store in memory holds.
//
// What must not happen is a crash, a read out of bounds, a huge allocation or
// an endless loop in libgsf or in the checks made before it.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "notesstore/notesfile.h"

namespace {

using fuzz::Check;

bool SameEntries(const std::vector<klmw::CNotesFile::Entry>& a, const std::vector<klmw::CNotesFile::Entry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].storage != b[i].storage || a[i].stream != b[i].stream || a[i].length != b[i].length) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::ScratchDir() + "KLMW.NOT";
  fuzz::WriteFile(path, data, size);
  klmw::CNotesFile notes;
  std::string error;
  Check(notes.Open(path, error), "a readable file was refused");
  if (!notes.DamagedCopy().empty()) {
    Check(notes.List().empty(), "a damaged file left notes behind");
    Check(::access(path.c_str(), F_OK) != 0, "a damaged file was not set aside");
    ::unlink(notes.DamagedCopy().c_str());
    return 0;
  }
  for (const klmw::CNotesFile::Entry& e : notes.List()) {
    Check(e.length <= klmw::kMaxNoteBytes, "a note over the limit was read");
    char* end = nullptr;
    const long position = std::strtol(e.stream.c_str(), &end, 10);
    if (e.stream.empty() || *end || std::to_string(position) != e.stream) continue;
    std::string rtf;
    Check(notes.Get(e.storage, position, rtf) && rtf.size() == e.length, "a listed note cannot be read");
  }
  Check(notes.Put(klmw::kBibleNotesStorage, 1, "{\\rtf1 note}", error), "a note could not be put");
  klmw::CNotesFile again;
  Check(again.Open(path, error) && again.DamagedCopy().empty(), "a written file does not read back");
  Check(SameEntries(notes.List(), again.List()), "a written file reads back other notes");
  ::unlink(path.c_str());
  return 0;
}
