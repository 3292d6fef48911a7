// Writes a compound file of storages (by name) of streams (by name).
#pragma once

#include <map>
#include <string>

namespace klmw {

std::string WriteCompoundFile(const std::map<std::string, std::map<std::string, std::string>>& storages);

}  // namespace klmw
