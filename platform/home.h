// The program directory: where the settings file and the data live. It is the
// directory of the running executable unless --home DIR or KLMW_HOME says
// otherwise, so tests and users can keep their settings elsewhere.
#pragma once

#include <string>

namespace platform {

// Takes "--home DIR" / "--home=DIR" out of argv (adjusting argc) and fixes the
// program directory from it, KLMW_HOME, or the executable's directory.
void InitProgramDir(int& argc, char** argv);

// The program directory, always ending in '/'.
const std::string& GetProgramDir();
void SetProgramDir(const std::string& dir);

// The directory of the running executable, ending in '/'.
std::string GetExecutableDir();

}  // namespace platform
