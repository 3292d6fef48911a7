// A book folder made ready to open as the registry would hand it over: its
// identity read from its own book.dat, every path the folder, fixed media.
// The benchmarks open the reference library's books this way.
#pragma once

#include <string>

#include "include/soltread.h"
#include "soltread/fileidentity.h"

namespace benchbooks {

// False when the folder holds no readable book.dat. `dir` ends in '/'.
inline bool RegisteredBook(const std::string& dir, cSOLTBook& book) {
  int publisher = 0, id = 0;
  if (!solt::ReadFileIdentity(dir + "book.dat", publisher, id)) return false;
  book.SetTextPath(dir.c_str());
  book.SetIDXPath(dir.c_str());
  book.SetDefPath(dir.c_str());
  book.SetDefMediaType("FIXED");
  book.SetRegMediaType("FIXED");
  book.SetPublisherID(std::to_string(publisher).c_str());
  book.SetBookID(std::to_string(id).c_str());
  book.SetBookName(dir.c_str());
  return true;
}

}  // namespace benchbooks
