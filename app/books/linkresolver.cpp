#include "app/books/linkresolver.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "biblefile/biblemodule.h"
#include "platform/file.h"

namespace klmw {

namespace {

// A glossary longer than this is a damaged file, not a book.
constexpr int kMaxGlossaryEntries = 1000000;

// A range of verses shown for one link is cut here.
constexpr int kMaxRangeVerses = 200;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string Trim(const std::string& s) {
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

// A positive decimal number of at most eight digits at s[at], skipping it.
bool ReadNumber(const std::string& s, size_t& at, int& value) {
  size_t start = at;
  value = 0;
  while (at < s.size() && s[at] >= '0' && s[at] <= '9' && at - start < 8) value = value * 10 + (s[at++] - '0');
  if (at == start || (at < s.size() && s[at] >= '0' && s[at] <= '9')) return false;
  return value > 0;
}

bool ReadPlace(const std::string& s, size_t& at, int& book, int& chapter, int& verse) {
  if (!ReadNumber(s, at, book)) return false;
  if (at >= s.size() || s[at] != ' ') return false;
  while (at < s.size() && s[at] == ' ') ++at;
  if (!ReadNumber(s, at, chapter)) return false;
  if (at >= s.size() || s[at] != ':') return false;
  ++at;
  return ReadNumber(s, at, verse);
}

std::string Quoted(const std::string& target) { return "\"" + target + "\""; }

CLinkAction Tell(std::string message) {
  CLinkAction a;
  a.m_action = ELinkAction::Message;
  a.m_message = std::move(message);
  return a;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::string end(suffix);
  return s.size() >= end.size() && SameNoCase(s.substr(s.size() - end.size()), end);
}

// True when path lies inside root (both canonical).
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& root) {
  auto p = path.begin();
  for (auto r = root.begin(); r != root.end(); ++r, ++p) {
    if (p == path.end() || *p != *r) return false;
  }
  return p != path.end();
}

}  // namespace

bool ParseVerseTarget(const std::string& target, int& book, int& chapter, int& verse, int& lastBook,
                      int& lastChapter, int& lastVerse) {
  const std::string s = Trim(target);
  size_t at = 0;
  if (!ReadPlace(s, at, book, chapter, verse)) return false;
  lastBook = book;
  lastChapter = chapter;
  lastVerse = verse;
  if (at == s.size()) return true;
  if (s[at] != '-') return false;
  ++at;
  // "-v" ends the range in the same chapter.
  size_t probe = at;
  int number = 0;
  if (ReadNumber(s, probe, number) && probe == s.size()) {
    lastVerse = number;
    return true;
  }
  return ReadPlace(s, at, lastBook, lastChapter, lastVerse) && at == s.size();
}

bool ParseMediaTarget(const std::string& target, std::string& file, std::string& caption) {
  size_t open = target.find('"');
  if (open == std::string::npos) return false;
  size_t close = target.find('"', open + 1);
  if (close == std::string::npos) return false;
  file = Trim(target.substr(open + 1, close - open - 1));
  caption.clear();
  size_t open2 = target.find('"', close + 1);
  if (open2 != std::string::npos) {
    size_t close2 = target.find('"', open2 + 1);
    caption = target.substr(open2 + 1, close2 == std::string::npos ? std::string::npos : close2 - open2 - 1);
  }
  return !file.empty();
}

std::string ResolveBookFile(const std::string& folder, const std::string& name) {
  namespace fs = std::filesystem;
  if (folder.empty() || name.empty()) return {};
  std::string relative = name;
  for (char& c : relative)
    if (c == '\\') c = '/';
  // Absolute paths and drive letters name places outside any book.
  if (relative[0] == '/' || (relative.size() > 1 && relative[1] == ':')) return {};
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  if (ec) return {};
  fs::path at = root;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    fs::path next = at / part;
    if (!fs::exists(fs::symlink_status(next, ec))) {
      // Books were made where names ignore case: find the one that matches.
      next.clear();
      for (fs::directory_iterator it(at, ec), stop; !ec && it != stop; it.increment(ec)) {
        if (SameNoCase(it->path().filename().string(), part)) {
          next = it->path();
          break;
        }
      }
      if (next.empty()) return {};
    }
    at = next;
  }
  // A link inside the folder may still point out of it.
  const fs::path real = fs::canonical(at, ec);
  if (ec || !IsInside(real, root) || !fs::is_regular_file(real, ec)) return {};
  return real.string();
}

std::string FormatVerseTip(const CBibleModule& bible, int first, int count) {
  int b = 0, c = 0, v = 0;
  if (!bible.IndexToPlace(first, b, c, v)) return {};
  platform::File file;
  if (!bible.OpenText(file)) return {};
  std::string tip = bible.GetBookLabel(b + 1) + " " + std::to_string(c + 1) + ":" + std::to_string(v + 1);
  const int wanted = std::max(count, 1);
  for (int i = 0; i < wanted; ++i) {
    if (!bible.IndexToPlace(first + i, b, c, v)) break;
    // More verses follow than the tip has room for.
    if (i == kMaxTipVerses) {
      tip += "\n...";
      break;
    }
    std::string text;
    if (!bible.GetVerseText(file, first + i + 1, text)) break;
    tip += "\n" + std::to_string(c + 1) + ":" + std::to_string(v + 1) + " " + text;
  }
  return tip;
}

CLinkResolver::CLinkResolver(const cSOLTBook* book, const CBibleModule* bible) : m_bible(bible) {
  if (book) {
    m_book = *book;
    m_hasBook = true;
  }
}

CLinkResolver::~CLinkResolver() {
  if (m_book.GetOpenFlags()) m_book.Close(SOLT_ALL_OPEN);
}

bool CLinkResolver::OpenSections() {
  if (!m_hasBook) return false;
  if (m_book.IsOpen(SOLT_SECTIONS_IDX)) return true;
  try {
    return m_book.Open(SOLT_SECTIONS_IDX) == SOLT_OK;
  } catch (const platform::FileException&) {
    return false;
  }
}

CLinkAction CLinkResolver::Resolve(unsigned type, const std::string& target) {
  switch (type) {
    case 0: return ResolveSection(target);
    case 1:
    case 3: return ResolveGlossary(type, target);
    case 2: return ResolveMedia(target);
    case 4: return ResolveVerse(target);
    default: return Tell("OnHyperLink, Invalid link type, pString=<" + target + ">\n");
  }
}

CLinkAction CLinkResolver::ResolveSection(const std::string& target) {
  const std::string text = Trim(target);
  int key = -1;
  size_t at = 0;
  // Key 0 is a section too; ReadNumber wants a positive number.
  if (text == "0") key = 0;
  else if (!ReadNumber(text, at, key) || at != text.size()) key = -1;
  bool valid = false;
  if (key >= 0 && OpenSections()) {
    try {
      valid = m_book.IsValidSectionKey(key) != 0;
    } catch (const platform::FileException&) {
      valid = false;
    }
  }
  if (!valid) return Tell("This link leads to no section of the book (" + Quoted(target) + ").");
  CLinkAction a;
  a.m_action = ELinkAction::GoToSection;
  a.m_key = key;
  return a;
}

int CLinkResolver::FindGlossaryKey(const std::string& name) {
  const std::string wanted = Trim(name);
  if (wanted.empty() || !OpenSections()) return -1;
  try {
    const int first = m_book.GetLastSectionKey() + 1;
    const int last = m_book.GetLastKey();
    for (int key = first; key <= last && key - first < kMaxGlossaryEntries; ++key) {
      cSectionsData entry;
      if (m_book.GetGlossary(key, entry) != 0) break;
      if (SameNoCase(Trim(entry.GetName()), wanted)) return key;
    }
  } catch (const platform::FileException&) {
  }
  return -1;
}

CLinkAction CLinkResolver::ResolveGlossary(unsigned type, const std::string& target) {
  const int key = FindGlossaryKey(target);
  if (key < 0) {
    return Tell(std::string(type == 1 ? "OnHyperLink, Glossary Link" : "OnHyperLink, Across-book Link") +
                ", pString=<" + target + ">\n");
  }
  CLinkAction a;
  a.m_action = ELinkAction::ShowGlossary;
  a.m_key = key;
  return a;
}

CLinkAction CLinkResolver::ResolveMedia(const std::string& target) const {
  std::string file, caption;
  if (!ParseMediaTarget(target, file, caption)) return Tell("This link names no file (" + Quoted(target) + ").");
  const std::string path = m_hasBook ? ResolveBookFile(m_book.GetTextPath(), file) : std::string();
  if (path.empty()) return Tell("The file " + Quoted(file) + " is not among the files of this book.");
  CLinkAction a;
  const bool picture = EndsWithNoCase(path, ".bmp") || EndsWithNoCase(path, ".png") ||
                       EndsWithNoCase(path, ".jpg") || EndsWithNoCase(path, ".jpeg");
  a.m_action = picture ? ELinkAction::ShowPicture : ELinkAction::OpenFile;
  a.m_path = path;
  a.m_caption = caption;
  return a;
}

CLinkAction CLinkResolver::ResolveVerse(const std::string& target) const {
  int b = 0, c = 0, v = 0, lb = 0, lc = 0, lv = 0;
  if (!ParseVerseTarget(target, b, c, v, lb, lc, lv)) {
    return Tell("This link names no verse (" + Quoted(target) + ").");
  }
  if (!m_bible) return Tell("Verse links open in the KJS Bible, which is not installed.");
  const int first = m_bible->PlaceToIndex(b - 1, c - 1, v - 1);
  if (first < 0) {
    return Tell("The KJS Bible has no verse " + std::to_string(b) + " " + std::to_string(c) + ":" +
                std::to_string(v) + ".");
  }
  // A range end the Bible lacks, or one before the start, shows the one verse.
  const int last = m_bible->PlaceToIndex(lb - 1, lc - 1, lv - 1);
  CLinkAction a;
  a.m_action = ELinkAction::ShowVerse;
  a.m_verse = first;
  a.m_verseCount = last >= first ? std::min(last - first + 1, kMaxRangeVerses) : 1;
  return a;
}

}  // namespace klmw
