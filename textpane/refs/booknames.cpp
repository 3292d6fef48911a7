#include "textpane/refs/booknames.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace textpane {

namespace {

constexpr BookNameRow kRows[kBookNameRows] = {
    {"1 Samuel", {9}, 4, true},
    {"1 Kings", {11}, 4, true},
    {"1 Chronicles", {13}, 4, true},
    {"1 Corinthians", {46}, 4, true},
    {"1 Thessalonians", {52}, 4, true},
    {"1 Timothy", {54}, 4, true},
    {"1 Peter", {60}, 4, true},
    {"1 John", {62}, 5, true},
    {"1Sa", {9}, 3, false},
    {"1Ki", {11}, 3, false},
    {"1 Kgs", {11}, 5, false},
    {"1Ch", {13}, 3, false},
    {"1Co", {46}, 3, false},
    {"1Th", {52}, 3, false},
    {"1Ti", {54}, 3, false},
    {"1Pe", {60}, 3, false},
    {"1 Jn", {62}, 3, false},
    {"1Jn", {62}, 3, false},
    {"1 Esdras", {81}, 5, true},
    {"1 Maccabees", {79, 96}, 6, true},
    {"2 Samuel", {10}, 4, true},
    {"2 Kings", {12}, 4, true},
    {"2 Chronicles", {14}, 4, true},
    {"2 Corinthians", {47}, 4, true},
    {"2 Thessalonians", {53}, 4, true},
    {"2 Timothy", {55}, 4, true},
    {"2 Peter", {61}, 4, true},
    {"2 John", {63}, 5, true},
    {"2Sa", {10}, 3, false},
    {"2Ki", {12}, 3, false},
    {"2 Kgs", {12}, 5, false},
    {"2Ch", {14}, 3, false},
    {"2Co", {47}, 3, false},
    {"2Th", {53}, 3, false},
    {"2Ti", {55}, 3, false},
    {"2Pe", {61}, 3, false},
    {"2 Jn", {63}, 3, false},
    {"2Jn", {63}, 3, false},
    {"2 Esdras", {83, 87}, 5, true},
    {"2 Maccabees", {80, 97}, 6, true},
    {"3 John", {64, 67}, 5, true},
    {"3 Jn", {64, 67}, 3, false},
    {"3Jn", {64, 67}, 3, false},
    {"3 Esdras", {81, 83}, 5, false},
    {"3 Maccabees", {84}, 6, true},
    {"4 Esdras", {83}, 5, false},
    {"4 Maccabees", {85}, 6, true},
    {"Amos", {30}, 2, true},
    {"Acts", {44}, 2, true},
    {"Additions to Esther", {71}, 19, true},
    {"Add Esther", {71}, 7, false},
    {"AddEsther", {71}, 6, false},
    {"Azariah", {76}, 3, false},
    {"Baruch", {74, 90}, 3, true},
    {"Bel and the Dragon", {78}, 3, true},
    {"Colossians", {51}, 3, true},
    {"Deuteronomy", {5}, 2, true},
    {"Daniel", {27, 89, 101}, 2, true},
    {"Dt", {5}, 2, false},
    {"Exodus", {2}, 2, true},
    {"Ezra", {15}, 3, true},
    {"Esther", {17, 88, 95, 100}, 2, true},
    {"Ecclesiastes", {21}, 2, true},
    {"Ezekiel", {26}, 3, true},
    {"Ephesians", {49}, 2, true},
    {"Ecclesiasticus", {73, 94, 99}, 14, false},
    {"Ecclus", {73, 94, 99}, 6, false},
    {"First Samuel", {9}, 9, false},
    {"First Kings", {11}, 8, false},
    {"First Chronicles", {13}, 9, false},
    {"First Corinthians", {46}, 9, false},
    {"First Thessalonians", {52}, 10, false},
    {"First Timothy", {54}, 8, false},
    {"First Peter", {60}, 11, false},
    {"First John", {62}, 10, false},
    {"First Maccabees", {79, 96}, 15, false},
    {"First Esdras", {81}, 12, false},
    {"Fourth Esdras", {83}, 13, false},
    {"Fourth Maccabees", {85}, 16, false},
    {"Genesis", {1}, 2, true},
    {"Galatians", {48}, 2, true},
    {"Gn", {1}, 2, false},
    {"Hosea", {28}, 2, true},
    {"Habakkuk", {35}, 3, true},
    {"Haggai", {37}, 3, true},
    {"Hebrews", {58}, 3, true},
    {"Isaiah", {23}, 3, true},
    {"Joshua", {6}, 3, true},
    {"Judges", {7}, 4, true},
    {"Job", {18}, 3, true},
    {"Jeremiah", {24}, 2, true},
    {"Joel", {29}, 3, true},
    {"Jonah", {32}, 3, true},
    {"John", {43}, 3, true},
    {"James", {59}, 2, true},
    {"Jude", {65}, 4, true},
    {"Judith", {70}, 4, true},
    {"Jdg", {7}, 3, false},
    {"Jdt", {70}, 6, false},
    {"Jn", {43}, 2, false},
    {"Jnh", {32}, 3, false},
    {"Jas", {59}, 3, false},
    {"Jms", {59}, 3, false},
    {"Leviticus", {3}, 3, true},
    {"Lamentations", {25}, 2, true},
    {"Luke", {42}, 2, true},
    {"Lv", {3}, 2, false},
    {"Lk", {42}, 2, false},
    {"Letter of Jeremiah", {75}, 18, true},
    {"Let Jeremiah", {75}, 7, false},
    {"LetJeremiah", {75}, 6, false},
    {"Micah", {33}, 2, true},
    {"Malachi", {39}, 3, true},
    {"Matthew", {40}, 3, true},
    {"Mark", {41}, 3, true},
    {"Manasseh", {82}, 8, false},
    {"Mt", {40}, 2, false},
    {"Mk", {41}, 2, false},
    {"Numbers", {4}, 2, true},
    {"Nehemiah", {16}, 2, true},
    {"Nahum", {34}, 2, true},
    {"Obadiah", {31}, 2, true},
    {"Psalms", {19, 92, 91, 86, 102}, 2, true},
    {"Proverbs", {20}, 2, true},
    {"Philippians", {50}, 4, true},
    {"Philemon", {57}, 5, true},
    {"Pss", {19, 92, 91, 86, 102}, 3, false},
    {"Phl", {50}, 3, false},
    {"Php", {50}, 3, false},
    {"Phm", {57}, 3, false},
    {"Phlm", {57}, 4, false},
    {"Prayer of Azariah", {76}, 17, true},
    {"Prayer of Manasseh", {82}, 18, true},
    {"Pr Man", {82}, 6, false},
    {"Ruth", {8}, 2, true},
    {"Romans", {45}, 2, true},
    {"Revelation", {66, 68}, 3, true},
    {"Rm", {45}, 2, false},
    {"Song of Solomon", {22}, 4, true},
    {"Song of Songs", {22}, 4, false},
    {"SS", {22}, 2, false},
    {"Sol", {22}, 3, false},
    {"Second Samuel", {10}, 10, false},
    {"Second Kings", {12}, 9, false},
    {"Second Chronicles", {14}, 10, false},
    {"Second Corinthians", {47}, 10, false},
    {"Second Thessalonians", {53}, 11, false},
    {"Second Timothy", {55}, 9, false},
    {"Second Peter", {61}, 12, false},
    {"Second John", {63}, 11, false},
    {"Sirach", {73, 94, 99}, 3, true},
    {"Susanna", {77}, 3, true},
    {"Second Maccabees", {80, 97}, 16, false},
    {"Second Esdras", {83, 87}, 13, false},
    {"Titus", {56}, 3, true},
    {"Third John", {64, 67}, 10, false},
    {"Tobit", {69, 93, 98}, 3, true},
    {"The Prayer of Azariah and the Song of the Three Jews", {76}, 52, false},
    {"The Song of the Three Young Men", {76}, 31, false},
    {"The Song of the Three Children", {76}, 30, false},
    {"Third Esdras", {81, 83}, 12, false},
    {"Third Maccabees", {84}, 15, false},
    {"Wisdom of Solomon", {72}, 13, true},
    {"Wisdom of Jesus Son of Sirach", {73, 94, 99}, 29, false},
    {"Wisdo", {72}, 3, false},
    {"Zephaniah", {36}, 3, true},
    {"Zechariah", {38}, 3, true},
};

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The first-letter index and the display names, made once.
struct Index {
  std::array<std::vector<const BookNameRow*>, 256> byLetter;
  std::array<const char*, kLastNamedBook + 1> display{};
  Index() {
    for (const BookNameRow& row : kRows) {
      byLetter[static_cast<unsigned char>(Upper(row.name[0]))].push_back(&row);
      if (!row.display) continue;
      // A later row names its books over an earlier one.
      for (uint16_t book : row.books)
        if (book != 0 && book <= kLastNamedBook) display[book] = row.name;
    }
  }
};

const Index& TheIndex() {
  static const Index index;
  return index;
}

}  // namespace

std::span<const BookNameRow> BookNameTable() { return kRows; }

std::span<const BookNameRow* const> BookNameRowsFor(char first) {
  const auto& rows = TheIndex().byLetter[static_cast<unsigned char>(Upper(first))];
  return {rows.data(), rows.size()};
}

const char* BookDisplayName(uint16_t book) {
  const char* name = book <= kLastNamedBook ? TheIndex().display[book] : nullptr;
  return name ? name : "";
}

bool MatchBookName(std::string_view text, size_t pos, bool ignoreCase, BookNameMatch& match) {
  if (pos >= text.size()) return false;
  for (const BookNameRow* row : BookNameRowsFor(text[pos])) {
    // No name matches unless its first character agrees: one that differs
    // at once is passed over before its length is taken.
    const char a = text[pos], b = row->name[0];
    if (a != b && !(ignoreCase && Upper(a) == Upper(b))) continue;
    const std::string_view name(row->name);
    size_t agreed = 0;
    while (agreed < name.size() && pos + agreed < text.size()) {
      const char a = text[pos + agreed], b = name[agreed];
      if (a != b && !(ignoreCase && Upper(a) == Upper(b))) break;
      ++agreed;
    }
    if (agreed < row->minLength) continue;
    size_t length = agreed;
    if (name[agreed - 1] == ' ') {
      --length;  // the blank is given back
    } else if (pos + agreed < text.size() && IsLetter(text[pos + agreed])) {
      continue;  // the word goes on
    }
    const bool full = agreed == name.size();
    int certainty = full && row->display ? 1 : 0;
    if (!full || !row->display) {
      // An abbreviation is certain when a period closes it.
      if (pos + length < text.size() && text[pos + length] == '.') {
        ++length;
        certainty = 1;
      }
    }
    match = {row, length, certainty};
    return true;
  }
  return false;
}

namespace {

// Edits (insert, delete, replace, swap two neighbours) from a to b, letter
// case ignored.
size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t cost = Upper(a[i - 1]) == Upper(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && Upper(a[i - 1]) == Upper(b[j - 2]) && Upper(a[i - 2]) == Upper(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::vector<std::string> NearestBookNames(std::string_view word, size_t count) {
  if (word.empty() || word.size() > 60) return {};
  // A third of the word's letters may be wrong, at least one and at most three.
  const size_t allowed = std::clamp<size_t>(word.size() / 3, 1, 3);
  std::vector<std::pair<size_t, uint16_t>> near;  // distance, book
  for (const BookNameRow& row : kRows) {
    const std::string_view name(row.name);
    size_t best = EditDistance(word, name);
    // "Revelations" for Revelation, "Mathew" for Matthew; a typed beginning
    // of a long name ("Lamentat") is as near as its slip.
    if (word.size() < name.size()) best = std::min(best, EditDistance(word, name.substr(0, word.size())) + 1);
    if (best <= allowed) near.emplace_back(best, row.books[0]);
  }
  std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (const auto& [distance, book] : near) {
    const std::string name = BookDisplayName(book);
    if (name.empty() || std::find(names.begin(), names.end(), name) != names.end()) continue;
    names.push_back(name);
    if (names.size() == count) break;
  }
  return names;
}

}  // namespace textpane
