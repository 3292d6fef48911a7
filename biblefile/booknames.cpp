#include "biblefile/booknames.h"

#include "biblefile/biblemodule.h"

namespace klmw {
namespace {

const char* const kEnglish[kBibleBookCount] = {
    "Genesis", "Exodus", "Leviticus", "Numbers", "Deuteronomy", "Joshua", "Judges", "Ruth",
    "1 Samuel", "2 Samuel", "1 Kings", "2 Kings", "1 Chronicles", "2 Chronicles", "Ezra",
    "Nehemiah", "Esther", "Job", "Psalms", "Proverbs", "Ecclesiastes", "Song of Songs", "Isaiah",
    "Jeremiah", "Lamentations", "Ezekiel", "Daniel", "Hosea", "Joel", "Amos", "Obadiah", "Jonah",
    "Micah", "Nahum", "Habakkuk", "Zephaniah", "Haggai", "Zechariah", "Malachi", "Matthew", "Mark",
    "Luke", "John", "Acts", "Romans", "1 Corinthians", "2 Corinthians", "Galatians", "Ephesians",
    "Philippians", "Colossians", "1 Thessalonians", "2 Thessalonians", "1 Timothy", "2 Timothy",
    "Titus", "Philemon", "Hebrews", "James", "1 Peter", "2 Peter", "1 John", "2 John", "3 John",
    "Jude", "Revelation"};

// Accented letters as Windows-1252 bytes: \xE1 a-acute, \xE9 e-acute,
// \xED i-acute, \xF3 o-acute, \xFA u-acute.
const char* const kSpanish[kBibleBookCount] = {
    "G\xE9nesis", "Exodo", "Lev\xEDtico", "N\xFAmeros", "Deuteronomio", "Josu\xE9", "Jueces", "Rut",
    "1 Samuel", "2 Samuel", "1 Reyes", "2 Reyes", "1 Cr\xF3nicas", "2 Cr\xF3nicas", "Esdras",
    "Nehem\xED" "as", "Ester", "Job", "Salmos", "Proverbios", "Eclesiast\xE9s", "Cantares", "Isa\xED" "as",
    "Jerem\xED" "as", "Lamentaciones", "Ezequiel", "Daniel", "Oseas", "Joel", "Am\xF3s", "Abd\xED" "as",
    "Jon\xE1s", "Miqueas", "Nahum", "Habacuc", "Sofon\xED" "as", "Hageo", "Zacar\xED" "as", "Malaqu\xED" "as",
    "Mateo", "Marcos", "Lucas", "Juan", "Hechos", "Romanos", "1 Corintios", "2 Corintios",
    "G\xE1latas", "Efesios", "Filipenses", "Colosenses", "1 Tesalonicenses", "2 Tesalonicenses",
    "1 Timoteo", "2 Timoteo", "Tito", "Filem\xF3n", "Hebreos", "Santiago", "1 Pedro", "2 Pedro",
    "1 Juan", "2 Juan", "3 Juan", "Judas", "Apocalipsis"};

// Blanks dropped and ASCII letters in lower case.
std::string Fold(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' || c == '\t') continue;
    out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

}  // namespace

int FindBookByToken(const std::string& token) {
  const std::string t = Fold(token);
  if (t.empty()) return 0;
  for (const char* const* table : {kEnglish, kSpanish})
    for (int b = 0; b < kBibleBookCount; ++b)
      if (Fold(table[b]) == t) return b + 1;
  if (t.size() < 2) return 0;
  for (const char* const* table : {kEnglish, kSpanish})
    for (int b = 0; b < kBibleBookCount; ++b)
      if (Fold(table[b]).compare(0, t.size(), t) == 0) return b + 1;
  return 0;
}

const char* GetEnglishBookName(int book) {
  return book >= 1 && book <= kBibleBookCount ? kEnglish[book - 1] : "";
}

const char* GetSpanishBookName(int book) {
  return book >= 1 && book <= kBibleBookCount ? kSpanish[book - 1] : "";
}

const char* GetBookName(const std::string& code, int book) {
  return SameBibleCode(code, "RVR") ? GetSpanishBookName(book) : GetEnglishBookName(book);
}

}  // namespace klmw
