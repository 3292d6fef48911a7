// The publisher and book numbers a book file's version record claims, for
// the tools that open a book folder without a registration.
#pragma once

#include <cstdio>
#include <string>

#include "soltread.h"

namespace solt {

// Fills publisher and book from the file's first bytes (0 and 0 when it
// cannot be read); false when the file cannot be opened or is too short.
inline bool ReadFileIdentity(const std::string& path, int& publisher, int& book) {
  publisher = book = 0;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char b[6];
  const bool read = std::fread(b, 1, sizeof b, f) == sizeof b;
  std::fclose(f);
  if (!read) return false;
  const sVersionRecord r = sVersionRecord::Decode(b, sizeof b);
  publisher = r.publisherID;
  book = r.bookID;
  return true;
}

}  // namespace solt
