#include "app/studyaids/footnotes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "biblefile/booknames.h"

namespace klmw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A reader of the two files' common shape: a word, then text up to a '~',
// then the word that begins with that '~'.
class CTildeReader {
 public:
  explicit CTildeReader(const std::string& text) : m_text(text) {}
  bool Word(std::string& word) {
    while (m_at < m_text.size() && IsBlank(m_text[m_at])) ++m_at;
    const size_t from = m_at;
    while (m_at < m_text.size() && !IsBlank(m_text[m_at])) ++m_at;
    word.assign(m_text, from, m_at - from);
    return !word.empty();
  }
  bool Number(int& value) {
    std::string word;
    if (!Word(word)) return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
  }
  // The text up to the next '~' (trimmed), and the word that begins there.
  bool UpToTilde(std::string& text) {
    const size_t tilde = m_text.find('~', m_at);
    if (tilde == std::string::npos) return false;
    size_t a = m_at, b = tilde;
    while (a < b && IsBlank(m_text[a])) ++a;
    while (b > a && IsBlank(m_text[b - 1])) --b;
    text.assign(m_text, a, b - a);
    m_at = tilde;
    std::string rest;
    Word(rest);
    return true;
  }

 private:
  const std::string& m_text;
  size_t m_at = 0;
};

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

}  // namespace

void CFootnotes::Parse(const std::string& text) {
  m_notes.clear();
  CTildeReader reader(text);
  for (;;) {
    CFootnote note;
    if (!reader.Number(note.verseNumber) || !reader.UpToTilde(note.text)) break;
    m_notes.push_back(std::move(note));
  }
  m_byVerse.resize(m_notes.size());
  for (size_t i = 0; i < m_byVerse.size(); ++i) m_byVerse[i] = i;
  std::stable_sort(m_byVerse.begin(), m_byVerse.end(),
                   [this](size_t a, size_t b) { return m_notes[a].verseNumber < m_notes[b].verseNumber; });
}

bool CFootnotes::Load(const std::string& path) {
  std::string text;
  if (!ReadFile(path, text)) {
    Parse({});
    return false;
  }
  Parse(text);
  return true;
}

int CFootnotes::Find(int verseNumber) const {
  const auto it = std::lower_bound(m_byVerse.begin(), m_byVerse.end(), verseNumber,
                                   [this](size_t i, int v) { return m_notes[i].verseNumber < v; });
  return it != m_byVerse.end() && m_notes[*it].verseNumber == verseNumber ? static_cast<int>(*it) : -1;
}

std::vector<const CFootnote*> CFootnotes::AllOf(int verseNumber) const {
  std::vector<const CFootnote*> all;
  auto it = std::lower_bound(m_byVerse.begin(), m_byVerse.end(), verseNumber,
                             [this](size_t i, int v) { return m_notes[i].verseNumber < v; });
  for (; it != m_byVerse.end() && m_notes[*it].verseNumber == verseNumber; ++it) all.push_back(&m_notes[*it]);
  return all;
}

std::vector<std::string> FootnoteReferences(const std::string& text, const std::string& bibleCode) {
  std::vector<std::string> refs;
  // Words as they stand, so that "1 Cor. 13:4" and "Song of Songs 2:1" can
  // try the words before the numbers together.
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  for (size_t i = 1; i < words.size(); ++i) {
    std::string place = words[i];
    while (!place.empty() && std::ispunct(static_cast<unsigned char>(place.back()))) place.pop_back();
    const size_t colon = place.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= place.size()) continue;
    int chapter = 0, verse = 0;
    const char* p = place.data();
    auto [e1, c1] = std::from_chars(p, p + colon, chapter);
    auto [e2, c2] = std::from_chars(p + colon + 1, p + place.size(), verse);
    if (c1 != std::errc() || c2 != std::errc() || e1 != p + colon || e2 != p + place.size()) continue;
    // The longest run of up to three words before the numbers that names a
    // book.
    int book = 0;
    for (size_t n = std::min<size_t>(3, i); n >= 1 && !book; --n) {
      std::string token;
      for (size_t k = i - n; k < i; ++k) token += words[k];
      std::erase_if(token, [](char c) { return c == '.' || c == ','; });
      if (token.size() >= 2) book = FindBookByToken(token);
    }
    if (!book) continue;
    refs.push_back(std::string(GetBookName(bibleCode, book)) + " " + std::to_string(chapter) + ":" +
                   std::to_string(verse));
  }
  return refs;
}

void CMapList::Parse(const std::string& text) {
  m_maps.clear();
  CTildeReader reader(text);
  for (;;) {
    CMapEntry map;
    if (!reader.Number(map.verseNumber) || !reader.Word(map.file) || !reader.UpToTilde(map.description)) break;
    m_maps.push_back(std::move(map));
  }
}

bool CMapList::Load(const std::string& path) {
  std::string text;
  const bool read = ReadFile(path, text);
  Parse(text);
  return read;
}

int CMapList::MapFor(int verseNumber) const {
  for (size_t i = 0; i < m_maps.size(); ++i)
    if (m_maps[i].verseNumber > verseNumber) return static_cast<int>(i);
  return -1;
}

std::string MapPath(const std::string& dataDir, const std::string& location, const std::string& file) {
  if (location.empty() || location == "@@") return dataDir + "maps/" + file;
  std::string base = location;
  while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  return base + "/iridel/maps/" + file;
}

std::string ReadMapsLocation(const std::string& dataDir) {
  std::string text;
  if (!ReadFile(dataDir + kMapsControlFile, text)) return "@@";
  std::istringstream in(text);
  std::string word;
  return in >> word ? word : "@@";
}

bool IsPictureFile(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "bmp" || ext == "png" || ext == "jpg" || ext == "jpeg";
}

}  // namespace klmw
