#include "app/shell/manual.h"

namespace klmw {

std::string ManualPagePath(const std::string& exeDir, const std::string& page) {
  return exeDir + kManualFolder + page;
}

std::string DescribeMissingManual(const std::string& path) {
  return "The user's guide could not be found.\nIt is looked for in " + path +
         "; a build of klmw puts it there beside the program.";
}

}  // namespace klmw
