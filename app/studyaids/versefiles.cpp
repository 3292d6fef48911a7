#include "app/studyaids/versefiles.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/safefile.h"
#include "biblefile/booknames.h"

namespace klmw {

namespace {

bool ReadInt(std::string_view s, int& value) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool SplitChapterVerse(std::string_view s, int& chapter, int& verse) {
  const size_t colon = s.find(':');
  return colon != std::string_view::npos && ReadInt(s.substr(0, colon), chapter) &&
         ReadInt(s.substr(colon + 1), verse);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string VerseLineBookToken(const std::string& bibleCode, int book) {
  std::string token = GetBookName(bibleCode, book);
  std::erase(token, ' ');
  return token;
}

std::string FormatVerseLine(const std::string& bookToken, int chapter, int verse, int verseIndex) {
  return bookToken + " " + std::to_string(chapter) + ":" + std::to_string(verse) + " " + std::to_string(verseIndex) +
         "\n";
}

std::vector<CVerseEntry> ParseVerseList(const std::string& text) {
  std::vector<CVerseEntry> entries;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    // The words of the line: the last is the index, the one before it
    // chapter:verse, all before them the book's name.
    std::vector<std::string_view> words;
    for (size_t i = 0; i < line.size();) {
      while (i < line.size() && IsBlank(line[i])) ++i;
      const size_t from = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      if (i > from) words.push_back(line.substr(from, i - from));
    }
    if (words.size() < 3) continue;
    CVerseEntry e;
    int chapter = 0, verse = 0;
    if (!ReadInt(words.back(), e.verseIndex) || e.verseIndex < 0) continue;
    if (!SplitChapterVerse(words[words.size() - 2], chapter, verse)) continue;
    e.chapterVerse = std::string(words[words.size() - 2]);
    for (size_t i = 0; i + 2 < words.size(); ++i) {
      if (i) e.bookToken += ' ';
      e.bookToken += words[i];
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string FormatVerseList(const std::vector<CVerseEntry>& entries) {
  std::string text;
  for (const CVerseEntry& e : entries) text += e.bookToken + " " + e.chapterVerse + " " + std::to_string(e.verseIndex) + "\n";
  return text;
}

std::vector<CVerseEntry> ReadVerseList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseVerseList(text.str());
}

bool AppendVerseLine(const std::string& path, const std::string& line, std::string& error) {
  std::string text;
  if (std::ifstream in(path, std::ios::binary); in) {
    std::ostringstream old;
    old << in.rdbuf();
    text = old.str();
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return platform::WriteFileSafely(path, text + line, error);
}

bool RemoveVerseEntry(const std::string& path, size_t index, std::string& error) {
  std::vector<CVerseEntry> entries = ReadVerseList(path);
  if (index >= entries.size()) return true;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
  return platform::WriteFileSafely(path, FormatVerseList(entries), error);
}

bool EntryPlace(const CVerseEntry& entry, int& book, int& chapter, int& verse) {
  book = FindBookByToken(entry.bookToken);
  return book >= 1 && SplitChapterVerse(entry.chapterVerse, chapter, verse) && chapter >= 1 && verse >= 1;
}

}  // namespace klmw
