// `bookcase --add DESCRIPTION.ini`: New without the dialog, for scripts. The
// settings file is written at once; there is no backup to fall back to.
#pragma once

#include <ostream>
#include <string>

namespace platform {
class Volumes;
}

namespace bookcase {

// Registers the description in folder's settings file and prints what was
// written: a line "DATASET_n<TAB>name<TAB>added|extended|already registered",
// then "BOOK_n_m<TAB>name<TAB>DEFPATH" per book written. Returns 0 when the
// description is registered (also when it already was), 1 with a line
// "bookcase: ..." on err when nothing could be added.
int RunAddCommand(const std::string& description, const std::string& folder, std::ostream& out,
                  std::ostream& err, platform::Volumes* volumes = nullptr);

}  // namespace bookcase
