// Writing a file the user keeps: the whole content through a temporary file
// beside it, renamed over the old one, so a failed write leaves the old file.
#pragma once

#include <string>

namespace klmw {

bool WriteUserFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace klmw
