#include "refbase/datafiles.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/file.h"
#include "refbase/biblereference.h"
#include "refbase/translation.h"

namespace refbase {

namespace {

std::string& RefPath() {
  static std::string path;
  return path;
}

std::string& TransPath() {
  static std::string path;
  return path;
}

}  // namespace

const std::string& RefbaseDatPath() { return RefPath(); }
const std::string& VttransDatPath() { return TransPath(); }

void SetDataDirectory(const std::string& dir) {
  std::string d = dir;
  if (!d.empty() && d.back() != '/') d += '/';
  RefPath() = d + "REFBASE.DAT";
  TransPath() = d + "VTTRANS.DAT";
}

std::string LibraryDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) == 0 || !info.dli_fname) return {};
  std::string name = info.dli_fname;
  size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

namespace {

// Loading the library loads its data; a failure leaves the library loaded
// with no data, so every reference operation then fails.
// REFBASE_DIR=- starts without data and without a message: the build uses it
// to run the data-file builders before the data files exist.
__attribute__((constructor)) void OnLibraryLoad() {
  const char* dir = std::getenv("REFBASE_DIR");
  if (dir && std::string(dir) == "-") return;
  SetDataDirectory(dir && *dir ? std::string(dir) : LibraryDirectory());
  try {
    cBibleReference::InitializeConversionData();
  } catch (...) {
    return;
  }
  cTranslation::InitializeTranslationData();
}

__attribute__((destructor)) void OnLibraryUnload() {
  cBibleReference::ReleaseConversionData();
  cTranslation::ReleaseTranslationData();
}

}  // namespace

}  // namespace refbase
