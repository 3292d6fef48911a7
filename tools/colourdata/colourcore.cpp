#include "tools/colourdata/colourcore.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace colourdata {

std::vector<Token> SplitWords(std::string_view text) {
  std::vector<Token> words;
  const int n = static_cast<int>(text.size());
  for (int at = 0; at < n;) {
    while (at < n && text[static_cast<size_t>(at)] == ' ') ++at;
    if (at == n) break;
    const int start = at;
    while (at < n && text[static_cast<size_t>(at)] != ' ') ++at;
    words.push_back({start, at});
  }
  return words;
}

int WordAt(const std::vector<Token>& words, int offset) {
  for (size_t i = 0; i < words.size(); ++i)
    if (offset < words[i].end) return static_cast<int>(i) + 1;
  return 0;
}

std::string EmptyPipFile() { return std::string((kEnglishVerses + 1) * kRecordSize, '\0'); }

void PutRecord(std::string& pip, int verse, const Record& entries) {
  const size_t base = static_cast<size_t>(verse) * kRecordSize;
  std::fill_n(pip.begin() + static_cast<std::ptrdiff_t>(base), kRecordSize, '\0');
  for (size_t i = 0; i < entries.size() && i < kMaxEntries; ++i) {
    const uint32_t word = static_cast<uint32_t>(entries[i].word);
    char* at = pip.data() + base + i * kEntrySize;
    for (int b = 0; b < 4; ++b) at[b] = static_cast<char>((word >> (8 * b)) & 0xFF);
    at[4] = static_cast<char>(entries[i].colour);
  }
}

Record GetRecord(const std::string& pip, int verse) {
  Record entries;
  const size_t base = static_cast<size_t>(verse) * kRecordSize;
  if (base + kRecordSize > pip.size()) return entries;
  for (size_t i = 0; i < kMaxEntries; ++i) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(pip.data()) + base + i * kEntrySize;
    if (at[0] == 0) break;
    const uint32_t word = at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
    entries.push_back({static_cast<int32_t>(word), at[4]});
  }
  return entries;
}

std::vector<std::pair<int, int>> Stretches(const std::vector<bool>& hits) {
  std::vector<std::pair<int, int>> out;
  for (size_t i = 0; i < hits.size(); ++i) {
    if (!hits[i]) continue;
    const int word = static_cast<int>(i) + 1;
    if (!out.empty() && out.back().second == word - 1) out.back().second = word;
    else out.emplace_back(word, word);
  }
  return out;
}

Record ColourEntries(int topic, const std::vector<std::pair<int, int>>& stretches, int wordCount) {
  Record entries;
  for (const auto& [first, last] : stretches) {
    const bool closes = last < wordCount;
    if (entries.size() + (closes ? 2 : 1) > kMaxEntries) break;
    entries.push_back({first, static_cast<uint8_t>(topic)});
    if (closes) entries.push_back({last + 1, 0});
  }
  return entries;
}

Record UnderlineEntries(std::string_view text, std::vector<std::pair<int, int>> ranges) {
  const std::vector<Token> words = SplitWords(text);
  std::sort(ranges.begin(), ranges.end());
  std::vector<std::pair<int, int>> spans;
  for (const auto& [start, end] : ranges) {
    if (end <= start) continue;
    const int first = WordAt(words, start);
    // The word holding the last character; a range over blanks only has none.
    const int last = WordAt(words, end - 1);
    if (first == 0 || words[static_cast<size_t>(first) - 1].start >= end) continue;
    const int through = last == 0 ? static_cast<int>(words.size())
                        : words[static_cast<size_t>(last) - 1].start < end ? last : last - 1;
    if (!spans.empty() && first <= spans.back().second + 1) spans.back().second = std::max(spans.back().second, through);
    else spans.emplace_back(first, through);
  }
  Record entries;
  for (const auto& [first, last] : spans) {
    if (first == last) {
      if (entries.size() + 1 > kMaxEntries) break;
      entries.push_back({first, 1});
    } else {
      if (entries.size() + 2 > kMaxEntries) break;
      entries.push_back({first, static_cast<uint8_t>(1 | kContinued)});
      entries.push_back({last, 1});
    }
  }
  return entries;
}

namespace {

unsigned char Lower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  // Windows-1252 capitals with accents (not the multiplication sign).
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

bool IsLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

}  // namespace

std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3Fu);
      out += code < 0x100 ? static_cast<char>(code) : '?';
    } else {
      while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
      out += '?';
    }
  }
  return out;
}

std::string FoldWord(std::string_view token) {
  size_t begin = 0, end = token.size();
  while (begin < end && !IsLetter(static_cast<unsigned char>(token[begin]))) ++begin;
  while (end > begin && !IsLetter(static_cast<unsigned char>(token[end - 1]))) --end;
  std::string out;
  for (size_t i = begin; i < end; ++i) out += static_cast<char>(Lower(static_cast<unsigned char>(token[i])));
  return out;
}

bool KeywordMatches(const std::string& folded, const std::vector<std::string>& keywords) {
  if (folded.empty()) return false;
  for (const std::string& k : keywords) {
    if (!k.empty() && k.back() == '*') {
      if (folded.compare(0, k.size() - 1, k, 0, k.size() - 1) == 0 && folded.size() >= k.size() - 1) return true;
    } else if (folded == k) {
      return true;
    }
  }
  return false;
}

std::vector<bool> KeywordHits(std::string_view text, const std::vector<std::string>& keywords) {
  std::vector<bool> hits;
  for (const Token& t : SplitWords(text))
    hits.push_back(KeywordMatches(FoldWord(text.substr(static_cast<size_t>(t.start),
                                                        static_cast<size_t>(t.end - t.start))),
                                  keywords));
  return hits;
}

VerseColour ChooseColour(std::string_view text, const std::vector<int>& claiming, const std::vector<Topic>& topics,
                         Language language) {
  VerseColour colour;
  if (claiming.empty()) return colour;
  const int wordCount = static_cast<int>(SplitWords(text).size());
  for (int index : claiming) {
    const Topic& topic = topics[static_cast<size_t>(index)];
    const std::vector<bool> hits = KeywordHits(text, topic.keywords[language]);
    if (std::find(hits.begin(), hits.end(), true) == hits.end()) continue;
    colour.topic = topic.number;
    const auto stretches = Stretches(hits);
    colour.entries = ColourEntries(topic.number, stretches, wordCount);
    colour.dropped = static_cast<int>(stretches.size()) -
                     static_cast<int>(std::count_if(colour.entries.begin(), colour.entries.end(),
                                                    [](const Entry& e) { return e.colour != 0; }));
    return colour;
  }
  colour.topic = topics[static_cast<size_t>(claiming.front())].number;
  colour.whole = true;
  if (wordCount > 0) colour.entries = {{1, static_cast<uint8_t>(colour.topic)}};
  return colour;
}

namespace {

// A keyword as written in the topics file, in the verse texts' terms.
std::string FoldKeyword(std::string_view utf8) {
  std::string out = Utf8ToLatin1(utf8);
  for (char& c : out) c = static_cast<char>(Lower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::vector<Topic> ReadTopics(std::istream& in, std::string& error) {
  std::vector<Topic> topics;
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return std::vector<Topic>{};
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind;
    if (!(words >> kind) || kind[0] == '#') continue;
    if (kind == "topic") {
      Topic t;
      if (!(words >> t.number >> t.name >> t.rgb[0] >> t.rgb[1] >> t.rgb[2])) return fail("topic NUMBER NAME R G B");
      if (t.number != static_cast<int>(topics.size()) + 1) return fail("topics are numbered 1, 2, 3... in order");
      for (int c : t.rgb)
        if (c < 0 || c > 255) return fail("a colour component outside 0-255");
      topics.push_back(std::move(t));
      continue;
    }
    if (topics.empty()) return fail(kind + " before the first topic");
    Topic& t = topics.back();
    if (kind == "naves") {
      std::string name;
      std::getline(words >> std::ws, name);
      if (name.empty()) return fail("naves needs a section name");
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      t.naves.push_back(name);
    } else if (kind == "en" || kind == "es") {
      std::string k;
      while (words >> k) t.keywords[kind == "en" ? kEnglish : kSpanish].push_back(FoldKeyword(k));
    } else {
      return fail("unknown line " + kind);
    }
  }
  if (topics.empty()) return fail("no topic");
  return topics;
}

std::string PaletteText(const std::vector<Topic>& topics) {
  std::string out = "Colors " + std::to_string(topics.size()) + "\n";
  for (const Topic& t : topics) {
    out += t.name + "\t";
    if (t.name.size() < 8) out += "\t";
    out += std::to_string(t.number) + "\t" + std::to_string(t.rgb[0]) + "\t" + std::to_string(t.rgb[1]) + "\t" +
           std::to_string(t.rgb[2]) + "\n";
  }
  return out;
}

}  // namespace colourdata
