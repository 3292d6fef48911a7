// Letter case of names and codes as the C library sees it (the program runs
// in the "C" locale, so only A-Z and a-z change).
#pragma once

#include <cctype>
#include <string>

namespace platform {

inline std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace platform
