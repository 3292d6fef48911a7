#include "tools/compiler/bookcompiler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <unordered_map>
#include <vector>

#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"
#include "soltread/util.h"
#include "tools/compiler/rtfscan.h"

namespace fs = std::filesystem;

namespace solt {
namespace {

constexpr int kMaxLevel = 255;            // levels are stored in one byte
constexpr int kMaxEntriesPerArea = 32767;  // level counts are signed 16-bit
constexpr uint32_t kMaxPosition = 65535;   // positions are at most 16-bit

const char kDefaultHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue160;\\red128\\green0\\blue0;}"
    "\\pard\\plain\\f0\\fs24 ";

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  return s;
}

std::string ReadSource(const fs::path& path, uint64_t& total) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw cCompileError(path.string(), 0, std::string("cannot read: ") + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(in)), {});
  if (in.bad()) throw cCompileError(path.string(), 0, "cannot read");
  total += text.size();
  return text;
}

// Names as people see them are UTF-8 on this system; the book stores Windows-1252.
std::string ToBookText(std::string_view text) {
  std::string out;
  Utf8ToCp1252(text, out);
  return out;
}

// Natural order: runs of digits compare by value, so "2 Light" precedes "10 Seas".
bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
    if (std::isdigit(x) && std::isdigit(y)) {
      size_t ie = i, je = j;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      std::string_view da = std::string_view(a).substr(i, ie - i), db = std::string_view(b).substr(j, je - j);
      while (da.size() > 1 && da[0] == '0') da.remove_prefix(1);
      while (db.size() > 1 && db[0] == '0') db.remove_prefix(1);
      if (da.size() != db.size()) return da.size() < db.size();
      if (da != db) return da < db;
      i = ie;
      j = je;
      continue;
    }
    unsigned char fx = FoldCase(x), fy = FoldCase(y);
    if (fx != fy) return fx < fy;
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

// "02 The Light.rtf" is titled "The Light": a leading number orders the files
// without showing in the title.
std::string TitleFromName(const std::string& stem) {
  size_t i = 0;
  while (i < stem.size() && std::isdigit(static_cast<unsigned char>(stem[i]))) ++i;
  size_t j = i;
  if (i > 0)
    while (j < stem.size() && (stem[j] == ' ' || stem[j] == '-' || stem[j] == '_' || stem[j] == '.')) ++j;
  std::string title = (i > 0 && j > i && j < stem.size()) ? stem.substr(j) : stem;
  std::replace(title.begin(), title.end(), '_', ' ');
  return ToBookText(title);
}

// A "b c:v" or "b c:v-w" reference as the sync index and verse links use it.
bool ParseVerseRange(const std::string& text, sVerseLink& link) {
  unsigned v[4] = {};
  char sep1 = 0, sep2 = 0;
  int n = std::sscanf(text.c_str(), "%u %u%c%u%c%u", &v[0], &v[1], &sep1, &v[2], &sep2, &v[3]);
  if (n < 4 || sep1 != ':' || v[0] == 0 || v[0] > 65535 || v[1] > 65535 || v[2] > 65535) return false;
  if (n >= 5 && sep2 != '-') return false;
  if (n == 5) return false;
  link.book = static_cast<uint16_t>(v[0]);
  link.chapter = static_cast<uint16_t>(v[1]);
  link.verse = static_cast<uint16_t>(v[2]);
  if (n == 6 && (v[3] < v[2] || v[3] > 65535)) return false;
  link.lastVerse = n == 6 ? static_cast<uint16_t>(v[3]) : link.verse;
  return true;
}

struct sEntry {
  std::string title;      // Windows-1252
  int level = 1;
  bool glossary = false;
  fs::path file;          // may be empty (a folder without index file)
  std::string body;       // RTF after front matter
  int bodyLine = 1;       // line of the body's first line in the file
  std::vector<std::pair<std::string, int>> syncValues;  // with their line
};

struct sManifest {
  std::string title;
  int publisher = -1;
  int book = -1;
  std::string sync = "none";
  int compression = 1;
  bool headings = true;
  std::vector<std::pair<std::string, std::string>> headerWords;
  struct sSync {
    std::string value;
    std::string path;
    int line;
  };
  std::vector<sSync> syncLines;
};

sManifest ReadManifest(const fs::path& path, uint64_t& total) {
  const std::string file = path.string();
  std::string text = ReadSource(path, total);
  sManifest m;
  std::string section;
  int line = 0;
  size_t pos = 0;
  bool sawBook = false;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string raw = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    ++line;
    if (raw.empty() || raw[0] == ';' || raw[0] == '#') continue;
    if (raw[0] == '[') {
      if (raw.back() != ']') throw cCompileError(file, line, "a section name must end with ']'");
      section = Lower(Trim(std::string_view(raw).substr(1, raw.size() - 2)));
      if (section != "book" && section != "sync")
        throw cCompileError(file, line, "unknown section [" + section + "] (expected [book] or [sync])");
      sawBook = sawBook || section == "book";
      continue;
    }
    size_t eq = raw.find('=');
    if (eq == std::string::npos) throw cCompileError(file, line, "expected 'key = value'");
    std::string key = Trim(std::string_view(raw).substr(0, eq));
    std::string value = Trim(std::string_view(raw).substr(eq + 1));
    if (section.empty()) throw cCompileError(file, line, "'" + key + "' stands before the [book] section");
    if (section == "sync") {
      if (key.empty() || value.empty()) throw cCompileError(file, line, "expected 'value = section path'");
      m.syncLines.push_back({ToBookText(key), ToBookText(value), line});
      continue;
    }
    std::string k = Lower(key);
    auto number = [&](int low, int high) {
      char* endp = nullptr;
      errno = 0;
      long v = std::strtol(value.c_str(), &endp, 10);
      if (value.empty() || *endp || errno || v < low || v > high)
        throw cCompileError(file, line,
                            key + " must be a number from " + std::to_string(low) + " to " + std::to_string(high));
      return static_cast<int>(v);
    };
    if (k == "title") {
      if (value.find('}') != std::string::npos) throw cCompileError(file, line, "the title may not contain '}'");
      m.title = ToBookText(value);
    } else if (k == "publisher") {
      m.publisher = number(0, 65535);
    } else if (k == "book") {
      m.book = number(0, 65535);
    } else if (k == "sync") {
      m.sync = Lower(value);
      if (m.sync != "none" && m.sync != "word" && m.sync != "verse" && m.sync != "strongs" && m.sync != "date")
        throw cCompileError(file, line, "sync must be none, word, verse, strongs or date");
    } else if (k == "compression") {
      std::string v = Lower(value);
      if (v == "lzss" || v == "1" || v == "yes")
        m.compression = 1;
      else if (v == "none" || v == "0" || v == "no")
        m.compression = 0;
      else
        throw cCompileError(file, line, "compression must be lzss or none");
    } else if (k == "headings") {
      std::string v = Lower(value);
      if (v != "yes" && v != "no") throw cCompileError(file, line, "headings must be yes or no");
      m.headings = v == "yes";
    } else {
      if (value.find('}') != std::string::npos || key.find_first_of("{}\\: ") != std::string::npos)
        throw cCompileError(file, line, "header values may not contain '}' and keys no '{', '}', '\\', ':' or spaces");
      if (k == "publisherid" || k == "bookid")
        throw cCompileError(file, line, key + " is written from the publisher and book numbers");
      m.headerWords.push_back({key, ToBookText(value)});
    }
  }
  if (!sawBook) throw cCompileError(file, 0, "the manifest needs a [book] section");
  if (m.title.empty()) throw cCompileError(file, 0, "the [book] section needs a title");
  if (m.publisher < 0) throw cCompileError(file, 0, "the [book] section needs a publisher number");
  if (m.book < 0) throw cCompileError(file, 0, "the [book] section needs a book number");
  return m;
}

// Reads a section file: an optional front matter between two "---" lines
// (title: ..., sync: ...), then the text. Plain text becomes RTF.
void ReadSectionFile(const fs::path& path, sEntry& entry, uint64_t& total) {
  std::string text = ReadSource(path, total);
  const std::string file = path.string();
  size_t bodyStart = 0;
  int line = 1;
  if (text.compare(0, 3, "---") == 0 && (text.size() == 3 || text[3] == '\n' || text[3] == '\r')) {
    size_t pos = text.find('\n');
    line = 2;
    bool closed = false;
    while (pos != std::string::npos && pos + 1 <= text.size()) {
      size_t begin = pos + 1;
      size_t end = text.find('\n', begin);
      if (end == std::string::npos) end = text.size();
      std::string raw = Trim(std::string_view(text).substr(begin, end - begin));
      if (raw == "---") {
        closed = true;
        bodyStart = end < text.size() ? end + 1 : end;
        ++line;
        break;
      }
      if (!raw.empty()) {
        size_t colon = raw.find(':');
        if (colon == std::string::npos) throw cCompileError(file, line, "expected 'title: ...' or 'sync: ...'");
        std::string key = Lower(Trim(std::string_view(raw).substr(0, colon)));
        std::string value = Trim(std::string_view(raw).substr(colon + 1));
        if (key == "title") {
          if (value.empty()) throw cCompileError(file, line, "the title is empty");
          entry.title = ToBookText(value);
        } else if (key == "sync") {
          size_t p = 0;
          while (p <= value.size()) {
            size_t comma = value.find(';', p);
            if (comma == std::string::npos) comma = value.size();
            std::string one = Trim(std::string_view(value).substr(p, comma - p));
            if (!one.empty()) entry.syncValues.push_back({ToBookText(one), line});
            p = comma + 1;
          }
        } else {
          throw cCompileError(file, line, "unknown field '" + key + "' (expected title or sync)");
        }
      }
      pos = end < text.size() ? end : std::string::npos;
      ++line;
    }
    if (!closed) throw cCompileError(file, 1, "the front matter begun here has no closing '---' line");
  }
  entry.file = path;
  entry.bodyLine = line;
  std::string body = text.substr(bodyStart);
  entry.body = path.extension() == ".txt" ? PlainTextToRtf(body) : body;
}

bool IsSourceFile(const fs::path& p) { return p.extension() == ".rtf" || p.extension() == ".txt"; }

std::vector<fs::path> SortedChildren(const fs::path& dir) {
  std::vector<fs::path> children;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (name.empty() || name[0] == '.' || name.back() == '~') continue;
    if (e.is_directory() || (e.is_regular_file() && IsSourceFile(e.path()))) children.push_back(e.path());
  }
  if (ec) throw cCompileError(dir.string(), 0, "cannot list: " + ec.message());
  std::sort(children.begin(), children.end(),
            [](const fs::path& a, const fs::path& b) { return NaturalLess(a.filename().string(), b.filename().string()); });
  return children;
}

void CollectSections(const fs::path& dir, int level, std::vector<sEntry>& entries, uint64_t& total) {
  for (const fs::path& child : SortedChildren(dir)) {
    const std::string stem = child.stem().string();
    if (!fs::is_directory(child) && (stem == "index")) continue;  // a folder's own text
    if (level > kMaxLevel) throw cCompileError(child.string(), 0, "sections are nested more than 255 deep");
    sEntry entry;
    entry.level = level;
    entry.title = TitleFromName(fs::is_directory(child) ? child.filename().string() : stem);
    if (fs::is_directory(child)) {
      for (const char* index : {"index.rtf", "index.txt"}) {
        if (fs::exists(child / index)) {
          ReadSectionFile(child / index, entry, total);
          break;
        }
      }
      entries.push_back(std::move(entry));
      CollectSections(child, level + 1, entries, total);
    } else {
      ReadSectionFile(child, entry, total);
      entries.push_back(std::move(entry));
    }
  }
}

// Builds the book's files in `dir` (with trailing '/').
sCompileStats BuildInto(const fs::path& source, const std::string& dir, const sCompileOptions& options) {
  sCompileStats stats;
  sManifest manifest = ReadManifest(source / "book.ini", stats.sourceBytes);

  std::string header = kDefaultHeader;
  if (fs::exists(source / "header.rtf")) {
    header = ReadSource(source / "header.rtf", stats.sourceBytes);
    while (!header.empty() && (header.back() == '\n' || header.back() == '\r')) header.pop_back();
    header += ' ';
    if (header.compare(0, 5, "{\\rtf") != 0)
      throw cCompileError((source / "header.rtf").string(), 1, "the header must begin with {\\rtf");
  }

  std::vector<sEntry> entries;
  if (!fs::is_directory(source / "sections"))
    throw cCompileError((source / "sections").string(), 0, "the source needs a sections folder");
  CollectSections(source / "sections", 1, entries, stats.sourceBytes);
  if (entries.empty()) throw cCompileError((source / "sections").string(), 0, "there are no sections (.rtf or .txt files)");
  const int sectionCount = static_cast<int>(entries.size());
  if (fs::is_directory(source / "glossary")) {
    for (const fs::path& child : SortedChildren(source / "glossary")) {
      if (fs::is_directory(child)) throw cCompileError(child.string(), 0, "glossary entries are files, not folders");
      sEntry entry;
      entry.glossary = true;
      entry.title = TitleFromName(child.stem().string());
      ReadSectionFile(child, entry, stats.sourceBytes);
      entries.push_back(std::move(entry));
    }
  }

  sVersionInfo version;
  version.publisherID = static_cast<uint16_t>(manifest.publisher);
  version.bookID = static_cast<uint16_t>(manifest.book);

  cViewableWriter viewable(version);
  viewable.SetCompression(manifest.compression);
  viewable.SetHeaderArea(header);
  // The words a published book carries, spelt as the disk scan and the
  // header lookup find them: case-sensitively.
  std::string headerText = "{\\Title:" + manifest.title + "}{\\PublisherID:" + std::to_string(manifest.publisher) +
                           "}{\\BookID:" + std::to_string(manifest.book) + "}";
  for (const auto& [key, value] : manifest.headerWords) headerText += "{\\" + key + ":" + value + "}";
  viewable.SetHeaderText(headerText);

  cSectionsWriter sections(version);
  std::unordered_map<std::string, std::vector<std::pair<uint32_t, std::vector<uint16_t>>>> concordance;
  std::map<std::tuple<uint16_t, uint16_t, uint16_t>, std::vector<uint32_t>> verseKeys;  // verse 0 = chapter, chapter 0 = book
  std::map<uint16_t, std::vector<uint32_t>> bookAllChapters, bookAllVerses;
  std::map<std::pair<uint16_t, uint16_t>, std::vector<uint32_t>> chapterAllVerses;
  auto addKey = [](std::vector<uint32_t>& keys, uint32_t key) {
    if (keys.empty() || keys.back() != key) keys.push_back(key);
  };

  // Each entry's text (heading and body) and its words, verse links for the indexes.
  std::vector<std::string> pieces(entries.size());
  for (int key = 0; key < static_cast<int>(entries.size()); ++key) {
    sEntry& e = entries[key];
    sScannedText scanned;
    sScanError error;
    if (!ScanRtf(e.body, e.bodyLine, scanned, error))
      throw cCompileError(e.file.empty() ? entries[key].title : e.file.string(), error.line, error.message);
    std::vector<std::string> words;
    std::string& piece = pieces[key];
    if (manifest.headings) {
      int size = e.glossary ? 28 : (e.level == 1 ? 32 : e.level == 2 ? 28 : 24);
      piece += "{\\pard\\sb240\\sa120\\f1\\fs" + std::to_string(size) + "\\b {\\soltconcordanceon}" + EscapeRtf(e.title) +
               "\\soltconcordanceoff\\par}\n";
      CollectWords(e.title, words);
    }
    piece += scanned.rtf;
    piece += "\n";
    e.body.clear();
    words.insert(words.end(), scanned.words.begin(), scanned.words.end());

    for (size_t p = 0; p < words.size(); ++p) {
      auto& places = concordance[words[p]];
      if (places.empty() || places.back().first != static_cast<uint32_t>(key)) places.push_back({static_cast<uint32_t>(key), {}});
      if (p <= kMaxPosition) places.back().second.push_back(static_cast<uint16_t>(p));
    }
    for (const sVerseLink& link : scanned.verseLinks) {
      ++stats.verseLinks;
      if (link.chapter == 0) {
        addKey(verseKeys[{link.book, 0, 0}], key);
        continue;
      }
      addKey(bookAllChapters[link.book], key);
      if (link.verse == 0) {
        addKey(verseKeys[{link.book, link.chapter, 0}], key);
        continue;
      }
      addKey(bookAllVerses[link.book], key);
      addKey(chapterAllVerses[{link.book, link.chapter}], key);
      for (unsigned v = link.verse; v <= link.lastVerse && v - link.verse < 200; ++v)
        addKey(verseKeys[{link.book, link.chapter, static_cast<uint16_t>(v)}], key);
    }
  }

  // Where areas begin. An area is a run of consecutive keys (its entries are
  // found by book key and level count), so splitting never moves a key and
  // the word, Scripture and sync indexes stay as they are. Each top-level
  // section starts an area; a subtree too large for one area gives its root
  // an area and places its children in turn: a child subtree that fits joins
  // the area being filled while there is room, a larger one is split the
  // same way. Nothing after a split subtree shares an area with its end.
  std::vector<char> areaStarts(entries.size(), 0);
  {
    std::vector<int> subtreeEnd(sectionCount);
    std::vector<uint64_t> prefix(sectionCount + 1, 0);
    // Each entry also costs its level mark: "\\soltstartlevel", up to five digits and a space.
    const uint64_t kMarkSize = 21;
    for (int key = 0; key < sectionCount; ++key) prefix[key + 1] = prefix[key] + kMarkSize + pieces[key].size();
    std::vector<int> open;  // keys whose subtree has not ended yet
    for (int key = 0; key <= sectionCount; ++key) {
      while (!open.empty() && (key == sectionCount || entries[open.back()].level >= entries[key].level)) {
        subtreeEnd[open.back()] = key;
        open.pop_back();
      }
      if (key < sectionCount) open.push_back(key);
    }
    const uint64_t bound = options.areaBound;
    uint64_t filled = 0;
    bool joinable = false;
    auto place = [&](auto&& self, int key) -> void {
      const int end = subtreeEnd[key];
      const uint64_t size = prefix[end] - prefix[key];
      if (size <= bound) {
        if (joinable && filled + size <= bound) {
          filled += size;
        } else {
          areaStarts[key] = 1;
          filled = size;
          joinable = true;
        }
        return;
      }
      areaStarts[key] = 1;
      filled = prefix[key + 1] - prefix[key];
      joinable = true;
      for (int child = key + 1; child < end; child = subtreeEnd[child]) self(self, child);
      joinable = false;
    };
    for (int key = 0; key < sectionCount; key = subtreeEnd[key]) {
      joinable = false;
      place(place, key);
    }
  }

  // The areas in key order, then one per glossary entry.
  std::string area;
  int areaFirst = 0;
  int areaKey = 0;
  auto finishArea = [&]() {
    if (areaKey > 0) viewable.AddArea(area + "}");
    area.clear();
  };
  for (int key = 0; key < static_cast<int>(entries.size()); ++key) {
    const sEntry& e = entries[key];
    if (e.glossary || areaStarts[key]) {
      finishArea();
      areaKey = viewable.GetAreaCount();
      areaFirst = key;
    }
    const int levelCount = key - areaFirst;
    if (levelCount > kMaxEntriesPerArea)
      throw cCompileError(entries[areaFirst].file.string(), 0, "an area holds more than 32,767 sections");
    if (e.glossary)
      sections.AddGlossary(e.title, 1, areaKey, 0);
    else
      sections.AddSection(e.title, e.level, areaKey, levelCount);
    area += "\\soltstartlevel" + std::to_string(levelCount) + " ";
    area += pieces[key];
    std::string().swap(pieces[key]);
  }
  finishArea();
  stats.sections = sectionCount;
  stats.glossary = static_cast<int>(entries.size()) - sectionCount;
  stats.areas = viewable.GetAreaCount();
  stats.words = static_cast<int>(concordance.size());

  cConcordWriter concord(version);
  std::vector<sConcordWord> words;
  words.reserve(concordance.size());
  for (auto& [text, places] : concordance) {
    sConcordWord w;
    w.text = text;
    for (auto& [key, positions] : places) {
      w.keys.push_back(key);
      w.positions.push_back(std::move(positions));
    }
    words.push_back(std::move(w));
  }
  concord.AddLanguage(1033, std::move(words));

  cVersesWriter verses(version);
  for (auto& [place, keys] : verseKeys) {
    auto [book, chapter, verse] = place;
    if (chapter == 0)
      verses.SetBookKeys(book, keys);
    else if (verse == 0)
      verses.SetChapterKeys(book, chapter, keys);
    else
      verses.SetVerseKeys(book, chapter, verse, keys);
  }
  for (auto& [book, keys] : bookAllChapters) verses.SetBookAllChapters(book, keys);
  for (auto& [book, keys] : bookAllVerses) verses.SetBookAllVerses(book, keys);
  for (auto& [place, keys] : chapterAllVerses) verses.SetChapterAllVerses(place.first, place.second, keys);

  // Sync entries: from the manifest (by section path) and from the sections' own front matter.
  struct sSyncValue {
    std::string value;
    int key;
    std::string file;
    int line;
  };
  std::vector<sSyncValue> syncs;
  const fs::path manifestPath = source / "book.ini";
  if (!manifest.syncLines.empty() || std::any_of(entries.begin(), entries.end(), [](const sEntry& e) { return !e.syncValues.empty(); })) {
    if (manifest.sync == "none")
      throw cCompileError(manifestPath.string(), 0, "sync values are given but the book's sync is none");
  }
  for (const auto& s : manifest.syncLines) {
    // Resolve the backslash path of titles, as the library's key lookup does.
    int found = -1;
    int from = 0;
    std::vector<std::string> parts;
    size_t p = 0;
    while (p <= s.path.size()) {
      size_t slash = s.path.find('\\', p);
      if (slash == std::string::npos) slash = s.path.size();
      std::string part = s.path.substr(p, slash - p);
      if (!part.empty()) parts.push_back(part);
      p = slash + 1;
    }
    int level = 1;
    for (size_t k = 0; k < parts.size(); ++k, ++level) {
      found = -1;
      for (int i = from; i < sectionCount && entries[i].level >= level; ++i) {
        if (entries[i].level == level && EqualsNoCase(entries[i].title, parts[k])) {
          found = i;
          break;
        }
      }
      if (found < 0) break;
      from = found + 1;
    }
    if (found < 0 || parts.empty())
      throw cCompileError(manifestPath.string(), s.line, "no section has the path '" + s.path + "'");
    syncs.push_back({s.value, found, manifestPath.string(), s.line});
  }
  for (int key = 0; key < static_cast<int>(entries.size()); ++key)
    for (const auto& [value, line] : entries[key].syncValues) syncs.push_back({value, key, entries[key].file.string(), line});
  stats.syncEntries = static_cast<int>(syncs.size());

  std::string syncFile;
  std::string syncBytes;
  if (manifest.sync == "verse") {
    cVerseSyncWriter writer(version);
    std::map<std::tuple<uint16_t, uint16_t, uint16_t>, int> seen;
    for (const sSyncValue& s : syncs) {
      sVerseLink link;
      if (!ParseVerseRange(s.value, link))
        throw cCompileError(s.file, s.line,
                            "'" + s.value + "' is not a verse (write book chapter:verse or book chapter:verse-verse, e.g. 43 3:16)");
      for (unsigned v = link.verse; v <= link.lastVerse; ++v) {
        // The first section named for a verse wins.
        if (seen.emplace(std::make_tuple(link.book, link.chapter, static_cast<uint16_t>(v)), s.key).second)
          writer.Add(link.book, link.chapter, static_cast<uint16_t>(v), s.key);
      }
    }
    syncFile = "vsync.idx";
    syncBytes = writer.Build();
  } else if (manifest.sync != "none") {
    cTextSyncWriter writer(version);
    std::map<std::string, int> seen;
    for (const sSyncValue& s : syncs)
      if (seen.emplace(Lower(s.value), s.key).second) writer.Add(s.value, s.key);
    syncFile = manifest.sync == "word" ? "wsync.idx" : manifest.sync == "strongs" ? "ssync.idx" : "dsync.idx";
    syncBytes = writer.Build();
  }

  cViewableWriter::sOutput text = viewable.Build();
  const std::vector<std::pair<std::string, std::string>> files = {
      {"book.dat", text.bookDat},
      {"viewable.idx", text.viewableIdx},
      {"sections.idx", sections.Build()},
      {"concord.idx", concord.Build()},
      {"verses.idx", verses.Build()},
  };
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::string err;
    if (!WriteFileAtomic(dir + name, bytes, &err)) throw cCompileError(dir + name, 0, err);
    stats.bookBytes += bytes.size();
  };
  for (const auto& [name, bytes] : files) write(name, bytes);
  if (!syncFile.empty()) write(syncFile, syncBytes);
  return stats;
}

}  // namespace

sCompileStats CompileBook(const std::string& sourceDir, const std::string& outDir, const sCompileOptions& options) {
  fs::path source(sourceDir);
  if (!fs::is_directory(source)) throw cCompileError(sourceDir, 0, "is not a folder");
  fs::path out = fs::absolute(fs::path(outDir)).lexically_normal();
  if (out.filename().empty()) out = out.parent_path();
  std::error_code ec;
  // Only a book (or nothing) may be replaced: a mistyped folder is refused.
  if (fs::exists(out, ec)) {
    if (!fs::is_directory(out)) throw cCompileError(out.string(), 0, "exists and is not a folder");
    if (!fs::is_empty(out, ec) && !fs::exists(out / "book.dat"))
      throw cCompileError(out.string(), 0, "exists and does not hold a book; give a new or empty folder");
  }
  fs::create_directories(out.parent_path(), ec);
  std::string pattern = out.string() + ".partial-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw cCompileError(out.string(), 0, std::string("cannot create a folder beside it: ") + std::strerror(errno));
  const fs::path temp(pattern);
  // mkdtemp makes a private folder; a book is as readable as any other files.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  fs::permissions(temp, static_cast<fs::perms>(0755 & ~mask), ec);
  sCompileStats stats;
  try {
    stats = BuildInto(source, temp.string() + "/", options);
  } catch (...) {
    fs::remove_all(temp, ec);
    throw;
  }
  // Swap the finished book into place; the old one goes only once the new is there.
  fs::path old;
  if (fs::exists(out)) {
    old = out.string() + ".old-" + temp.string().substr(temp.string().size() - 6);
    fs::rename(out, old, ec);
    if (ec) {
      fs::remove_all(temp, ec);
      throw cCompileError(out.string(), 0, "cannot replace: " + ec.message());
    }
  }
  fs::rename(temp, out, ec);
  if (ec) {
    std::error_code ignore;
    if (!old.empty()) fs::rename(old, out, ignore);
    fs::remove_all(temp, ignore);
    throw cCompileError(out.string(), 0, "cannot create: " + ec.message());
  }
  if (!old.empty()) fs::remove_all(old, ec);
  return stats;
}

}  // namespace solt
