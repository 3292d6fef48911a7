// A translation source made of arbitrary bytes, built into VTTRANS.DAT
// and the result loaded back.
//
// Input: the whole source text.
//
// The build may refuse a line (with its message); a refused build must leave
// no file behind. A build that succeeds must load, with one translation per
// name it announced, each book at a distinct position within the book count.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "refbase.h"
#include "refbase/datafiles.h"

namespace {

using fuzz::Check;

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

unsigned FilesIn(const std::string& dir) {
  unsigned n = 0;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();
  const std::string& dir = fuzz::ScratchDir();
  const std::string source = dir + "source.txt", out = dir + "VTTRANS.DAT";
  ::unlink(out.c_str());
  fuzz::WriteFile(source, data, size);

  std::vector<std::string> announced;
  cTranslation::StatusWindow status = [&](const std::string& text) { announced.push_back(text); };
  const int built = cTranslation::CreateTransDataFile(source.c_str(), out.c_str(), &status);
  if (built != 0) {
    Check(!Exists(out) && FilesIn(dir) == 1, "a failed build left a file");
    return 0;
  }
  Check(FilesIn(dir) == 2, "a build left a file besides its own");
  Check(cTranslation::DumpTranslationDataFile(out.c_str()) == 0, "the built file does not read back");

  while (cTranslation::m_translation_data_in_use > 0) cTranslation::ReleaseTranslationData();
  refbase::SetDataDirectory(dir);
  Check(cTranslation::InitializeTranslationData() == 0, "the built file does not load");
  Check(cTranslation::m_number_of_translations == announced.size(), "translations differ from the names announced");
  for (unsigned id = 1; id <= cTranslation::m_number_of_translations; ++id) {
    cTranslation t(static_cast<unsigned short>(id));
    const char* name = t.GetTranslationName();
    Check(name && announced[id - 1] == std::string("Processing translation: ") + name, "a name was not kept");
    const unsigned books = cTranslation::m_translation_table[id - 1].element[0];
    std::vector<bool> taken(books + 1, false);
    unsigned valid = 0;
    for (unsigned b = 1; b <= 256; ++b) {
      const unsigned p = t.IsBookValid(static_cast<unsigned short>(b));
      if (!p) continue;
      Check(p <= books && !taken[p], "two books at one position, or one past the count");
      taken[p] = true;
      ++valid;
      Check(cTranslation::m_translation_table[id - 1].element[256 + p] == b, "the order and the positions disagree");
    }
    Check(valid == books, "the book count is off");
  }
  cTranslation::ReleaseTranslationData();
  return 0;
}
