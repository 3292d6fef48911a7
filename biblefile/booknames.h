// The names of the 66 books, English and Spanish, as Windows-1252 bytes.
#pragma once

#include <string>

namespace klmw {

constexpr int kBibleBookCount = 66;

// book is 1-based; "" outside 1-66.
const char* GetEnglishBookName(int book);
const char* GetSpanishBookName(int book);

// The table a Bible's texts use: Spanish for "RVR" (any letter case),
// English for every other code.
const char* GetBookName(const std::string& code, int book);

}  // namespace klmw
