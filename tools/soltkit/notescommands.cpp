// soltkit notes: the user's notes file (KLMW.NOT), listed, read and written
// as the program does.
#include <climits>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "notesstore/notesfile.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

// Opens the store; a damaged file is set aside by opening it, which the
// reading commands report as a failure and put as a notice.
void OpenNotes(klmw::CNotesFile& notes, const std::string& path, bool writing) {
  std::string error;
  if (!notes.Open(path, error)) throw InputError(error);
  if (notes.DamagedCopy().empty()) return;
  if (!writing) throw InputError(error);
  std::fprintf(stderr, "soltkit: %s\n", error.c_str());
}

long Position(const std::string& text) { return static_cast<long>(ParseInteger(text, "POSITION", 0, LONG_MAX)); }

std::string ReadNote(const std::string& name) {
  if (name == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(name, std::ios::binary);
  if (!in) throw InputError("cannot read " + name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

void CmdNotes(const Words& words) {
  Args args(words, {}, {});
  if (args.Count() < 2) throw UsageError("notes: list, get or put is needed");
  const std::string& what = args.At(1);
  klmw::CNotesFile notes;
  if (what == "list") {
    args.RequireCount(3, 3);
    OpenNotes(notes, args.At(2), false);
    for (const klmw::CNotesFile::Entry& e : notes.List())
      std::printf("%s %s %zu\n", e.storage.c_str(), e.stream.c_str(), e.length);
  } else if (what == "get") {
    args.RequireCount(5, 5);
    const long position = Position(args.At(4));
    OpenNotes(notes, args.At(2), false);
    std::string rtf;
    if (!notes.Get(args.At(3), position, rtf))
      throw InputError(args.At(2) + ": no note at " + args.At(4) + " in " + args.At(3));
    std::fwrite(rtf.data(), 1, rtf.size(), stdout);
  } else if (what == "put") {
    args.RequireCount(6, 6);
    const long position = Position(args.At(4));
    const std::string rtf = ReadNote(args.At(5));
    OpenNotes(notes, args.At(2), true);
    std::string error;
    if (!notes.Put(args.At(3), position, rtf, error)) throw InputError(error);
  } else {
    throw UsageError("notes: unknown command " + what);
  }
}

}  // namespace soltkit
