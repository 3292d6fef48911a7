// The soltkit commands, one function each; they print to stdout and raise
// UsageError or InputError (see args.h).
#pragma once

#include <string>
#include <vector>

namespace soltkit {

using Words = std::vector<std::string>;

void CmdInfo(const Words& words);
void CmdArea(const Words& words);

}  // namespace soltkit
