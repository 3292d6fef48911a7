#include "app/shell/workspace.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/shell/settings.h"
#include "platform/lettercase.h"
#include "platform/profile.h"

namespace klmw {

namespace {

using platform::Upper;

using platform::Lower;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// One decimal integer the way "%d" takes it: leading white space, a sign,
// digits. Values beyond int are clamped rather than left undefined.
bool ScanInt(const char*& p, int& out) {
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  const char* start = p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  if (*p < '0' || *p > '9') {
    p = start;
    return false;
  }
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (v < 10000000000LL) v = v * 10 + (*p - '0');
  if (negative) v = -v;
  out = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
  return true;
}

// The key=value lines of a section as a map with lower-case keys (the first
// of a repeated key wins, as the profile functions read it).
std::map<std::string, std::string> ReadSection(const std::string& section, const std::string& file) {
  std::map<std::string, std::string> keys;
  for (const std::string& line : platform::GetPrivateProfileSection(section.c_str(), file)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\'')))
      value = value.substr(1, value.size() - 2);
    keys.emplace(Lower(Trim(line.substr(0, eq))), value);
  }
  return keys;
}

}  // namespace

int ParseWindowRecord(const std::string& text, CWhereEntry& entry) {
  int* fields[10] = {&entry.bookIndex,     &entry.sectionKey,   &entry.showState, &entry.treeWidth,
                     &entry.firstPosition, &entry.pageDownMode, &entry.left,      &entry.top,
                     &entry.right,         &entry.bottom};
  const char* p = text.c_str();
  for (int i = 0; i < 10; ++i) {
    if (i > 0) {
      // The format's ", " matches any white space around a comma.
      while (*p == ' ' || *p == '\t') ++p;
      if (*p != ',') return i;
      ++p;
    }
    int v = 0;
    if (!ScanInt(p, v)) return i;
    *fields[i] = v;
  }
  return 10;
}

std::string FormatWindowRecord(const CWhereEntry& e) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%d, %d, %d, %d, %d, %d, %d, %d, %d,  %d", e.bookIndex, e.sectionKey, e.showState,
                e.treeWidth, e.firstPosition, e.pageDownMode, e.left, e.top, e.right, e.bottom);
  return buf;
}

std::string FormatBookDocumentName(int bookIndex, int sectionKey) {
  return "Book# " + std::to_string(bookIndex) + " " + std::to_string(sectionKey);
}

bool ParseBookDocumentName(const std::string& name, int& bookIndex, int& sectionKey) {
  if (name.compare(0, 5, "Book#") != 0) return false;
  const char* p = name.c_str() + 5;
  int b = 0, s = 0;
  if (!ScanInt(p, b) || !ScanInt(p, s)) return false;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '\0') return false;
  bookIndex = b;
  sectionKey = s;
  return true;
}

std::string BookshelfSection(int bookshelf) { return "BookShelf" + std::to_string(bookshelf); }

bool CWhere::PathExists(const std::string& path) const {
  if (m_pathTest) return m_pathTest(path);
  // A Bible's text path is its folder + "/" + code + "/": less its last
  // character it names no file of its own, but the definition beside it
  // says the Bible is still there.
  std::error_code ec;
  return std::filesystem::exists(path, ec) || std::filesystem::exists(path + ".ixb", ec);
}

int CWhere::Restore(const std::string& settingsPath, int bookshelf) {
  Clear();
  const std::string section = BookshelfSection(bookshelf);
  // The section is read once; every key below is looked up in memory.
  const std::map<std::string, std::string> keys = ReadSection(section, settingsPath);
  auto get = [&](const std::string& key, bool& present) -> std::string {
    auto it = keys.find(Lower(key));
    present = it != keys.end() && !it->second.empty();
    return present ? it->second.substr(0, 259) : std::string();
  };
  bool present = false;
  int count = 0;
  {
    std::string v = get("NumberWindows", present);
    const char* p = v.c_str();
    if (!present || !ScanInt(p, count)) count = 0;
  }
  count = std::clamp(count, 2, kMaxWindows);

  // `slot` is the entry being filled, `saved` the index of the keys read for
  // it; a dropped window moves the later keys up one slot.
  int saved = 0;
  for (int slot = 0; slot < count; ++slot, ++saved) {
    CWhereEntry e;
    std::string bookName, textPath;
    for (;;) {
      std::string n = std::to_string(saved);
      bookName = get("BookName" + n, present);
      if (!present) bookName = " ";
      textPath = get("TextPath" + n, present);
      if (!present) textPath = " ";
      if (slot == 0 || Trim(textPath).empty()) break;
      std::string dir = textPath.substr(0, textPath.size() - 1);
      if (PathExists(dir)) break;
      // Dropped: the next saved window takes this slot.
      --count;
      ++saved;
      if (slot >= count) break;
    }
    if (slot >= count) break;
    std::string n = std::to_string(saved);
    std::string record = get("Window" + n, present);
    // The default record is laid down first, so a damaged record with too
    // few numbers keeps sane values (a visible size) for the ones it lacks.
    ParseWindowRecord(slot == 0 ? kDefaultMainWindowRecord : kDefaultChildWindowRecord, e);
    // A record cut short before its rectangle's last number leaves the
    // window at the default size: no rectangle of the user's.
    const bool rectSaved = present && ParseWindowRecord(record, e) == 10;
    e.bookName = bookName;
    e.textPath = textPath;
    // The save writes StringToParse<i>; SearchString<i>, which nothing here
    // writes, is the same value under its older name. A key that is there
    // but blank (how a blank string is saved) still counts as present, so a
    // window without a search keeps its first position value.
    auto search = keys.find(Lower("StringToParse" + n));
    if (search == keys.end()) search = keys.find(Lower("SearchString" + n));
    if (search != keys.end()) {
      e.searchString = search->second.empty() ? " " : search->second.substr(0, 259);
    } else {
      e.searchString = " ";
      e.firstPosition = 0;
    }
    m_entries.push_back(std::move(e));
    m_savedRects.push_back(rectSaved);
  }
  return GetCount();
}

bool CWhere::Save(const std::string& settingsPath, int bookshelf) const {
  const std::string section = BookshelfSection(bookshelf);
  const std::map<std::string, std::string> keys = ReadSection(section, settingsPath);
  bool ok = true;
  auto put = [&](const std::string& key, const std::string& value) {
    // The profile functions hand values back trimmed and unquoted, so a value
    // with outer blanks (a blank name " ") reads back as "". Compare that way.
    auto it = keys.find(Lower(key));
    if (it != keys.end() && it->second == Trim(value)) return;
    if (!platform::WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), settingsPath)) ok = false;
  };
  put("NumberWindows", std::to_string(GetCount()));
  for (int i = 0; i < GetCount(); ++i) {
    const CWhereEntry& e = m_entries[static_cast<size_t>(i)];
    std::string n = std::to_string(i);
    put("Window" + n, FormatWindowRecord(e));
    put("StringToParse" + n, e.searchString);
    put("BookName" + n, e.bookName);
    put("TextPath" + n, e.textPath);
  }
  return ok;
}

void CWhere::ShiftChildrenToOrigin() {
  int minLeft = 1000, minTop = 1000;
  for (size_t i = 1; i < m_entries.size(); ++i) {
    minLeft = std::min(minLeft, m_entries[i].left);
    minTop = std::min(minTop, m_entries[i].top);
  }
  for (size_t i = 1; i < m_entries.size(); ++i) {
    m_entries[i].left -= minLeft;
    m_entries[i].right -= minLeft;
    m_entries[i].top -= minTop;
    m_entries[i].bottom -= minTop;
  }
}

const std::vector<std::string>& CWhere::LoadWordsLikeSolt(const std::string& settingsPath) {
  m_wordsLikeSolt.clear();
  std::string list = Upper(platform::GetPrivateProfileString("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT", "", settingsPath));
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    std::string word = Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!word.empty()) m_wordsLikeSolt.push_back(word);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (m_wordsLikeSolt.empty()) {
    m_wordsLikeSolt.push_back("SOLT");
    platform::WritePrivateProfileString("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT", "SOLT", settingsPath);
  }
  return m_wordsLikeSolt;
}

bool CWhere::IsWordLikeSolt(const std::string& word) const {
  std::string w = Upper(word);
  return std::find(m_wordsLikeSolt.begin(), m_wordsLikeSolt.end(), w) != m_wordsLikeSolt.end();
}

}  // namespace klmw
