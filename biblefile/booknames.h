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

// The book (1-66) a reader's token names, 0 for none: the English names,
// then the Spanish ones, compared without blanks and letter case ("1samuel",
// "1 Samuel", "song of songs"); failing that, the first book in canonical
// order whose name begins with the token ("gen", "apoc").
int FindBookByToken(const std::string& token);

}  // namespace klmw
