// Where the library's data files are: beside the library itself, or in the
// directory REFBASE_DIR names. The paths are fixed when the library is
// loaded; SetDataDirectory moves them (tests, tools).
#pragma once

#include <string>

namespace refbase {

const std::string& RefbaseDatPath();
const std::string& VttransDatPath();
// An empty dir means the current directory. A trailing '/' is optional.
void SetDataDirectory(const std::string& dir);
// The directory the library was loaded from, with a trailing '/'.
std::string LibraryDirectory();

}  // namespace refbase
