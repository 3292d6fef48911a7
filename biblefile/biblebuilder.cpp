#include "biblefile/biblebuilder.h"

#include <cstdio>
#include <filesystem>
#include <map>

#include "biblefile/booknames.h"
#include "biblefile/versetext.h"
#include "biblefile/wordmatch.h"
#include "platform/coding.h"
#include "platform/dbf.h"
#include "platform/safefile.h"

namespace klmw {
namespace {

constexpr int kMaxChapter = 999;
constexpr int kMaxVerse = 999;
// Verse lists hold 16-bit verse indexes.
constexpr size_t kMaxModuleVerses = 65536;

// Letters and digits of Windows-1252; everything else ends a word.
bool IsWordByte(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  }
}

std::string Place(int book, int chapter, int verse) {
  return std::to_string(book) + " " + std::to_string(chapter) + ":" + std::to_string(verse);
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
  if (text.empty() || text.size() > 6) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high;
}

}  // namespace

std::vector<std::string> IndexWords(const std::string& displayText) {
  std::vector<std::string> words;
  std::string word;
  for (char c : displayText) {
    if (IsWordByte(static_cast<unsigned char>(c))) {
      word += UpperAnsi(c);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool CBibleBuilder::AddVerse(int book, int chapter, int verse, const std::string& text, std::string& error) {
  if (book < 1 || book > kBibleBookCount || chapter < 1 || chapter > kMaxChapter || verse < 1 || verse > kMaxVerse) {
    error = "verse " + Place(book, chapter, verse) + " is out of range (books 1-66, chapters and verses from 1)";
    return false;
  }
  bool follows;
  if (m_verses.empty()) {
    follows = book == 1 && chapter == 1 && verse == 1;
  } else {
    const BibleVerse& last = m_verses.back();
    follows = (book == last.book && chapter == last.chapter && verse == last.verse + 1) ||
              (book == last.book && chapter == last.chapter + 1 && verse == 1) ||
              (book == last.book + 1 && chapter == 1 && verse == 1);
  }
  if (!follows) {
    std::string after = m_verses.empty() ? "the start" : Place(m_verses.back().book, m_verses.back().chapter, m_verses.back().verse);
    error = "verse " + Place(book, chapter, verse) + " does not follow " + after +
            ": verses come in canonical order from 1 1:1, and a missing verse is given with an empty text";
    return false;
  }
  m_verses.push_back({book, chapter, verse, text});
  return true;
}

bool CBibleBuilder::ReadSource(const std::string& source, std::string& error) {
  size_t start = 0;
  int lineNumber = 0;
  while (start < source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    auto fail = [&](const std::string& message) {
      error = "line " + std::to_string(lineNumber) + ": " + message;
      return false;
    };
    if (line[0] == '#') {
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(1, eq - 1), value = line.substr(eq + 1);
      if (key == "code") {
        m_code = value;
      } else if (key == "name") {
        m_name = value;
      } else if (key == "language") {
        if (value == "english")
          m_language = BibleLanguage::English;
        else if (value == "spanish")
          m_language = BibleLanguage::Spanish;
        else
          return fail("language must be english or spanish, not \"" + value + "\"");
      }
      continue;
    }
    size_t t1 = line.find('\t');
    size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
    size_t t3 = t2 == std::string::npos ? t2 : line.find('\t', t2 + 1);
    if (t3 == std::string::npos) return fail("expected BOOK<TAB>CHAPTER<TAB>VERSE<TAB>TEXT");
    int book = 0, chapter = 0, verse = 0;
    if (!ParseNumber(line.substr(0, t1), 1, kBibleBookCount, book) ||
        !ParseNumber(line.substr(t1 + 1, t2 - t1 - 1), 1, kMaxChapter, chapter) ||
        !ParseNumber(line.substr(t2 + 1, t3 - t2 - 1), 1, kMaxVerse, verse))
      return fail("book (1-66), chapter and verse must be decimal numbers from 1");
    std::string why;
    if (!AddVerse(book, chapter, verse, line.substr(t3 + 1), why)) return fail(why);
  }
  return true;
}

bool CBibleBuilder::CheckSettings(std::string& error) const {
  if (m_code.size() != 3 || !IsWordByte(static_cast<unsigned char>(m_code[0])) ||
      !IsWordByte(static_cast<unsigned char>(m_code[1])) || !IsWordByte(static_cast<unsigned char>(m_code[2])) ||
      static_cast<unsigned char>(m_code[0]) >= 0x80 || static_cast<unsigned char>(m_code[1]) >= 0x80 ||
      static_cast<unsigned char>(m_code[2]) >= 0x80) {
    error = "the code must be three letters or digits (#code=KJS), not \"" + m_code + "\"";
    return false;
  }
  // The name sits in the definition, where a brace would start a book block.
  if (m_name.find_first_of("{}\"\r\n") != std::string::npos) {
    error = "the name must not hold braces, quotation marks or line breaks";
    return false;
  }
  if (m_verses.empty()) {
    error = "the source has no verses";
    return false;
  }
  if (m_verses.size() > kMaxModuleVerses) {
    error = "more than 65,536 verses cannot be indexed";
    return false;
  }
  return true;
}

bool CBibleBuilder::Build(BibleFiles& files, std::string& error) const {
  if (!CheckSettings(error)) return false;
  files.textFileName = m_code + ".dat";

  // Definition: a few settings lines, TDBFILE, then one block per book with
  // its verses per chapter.
  std::string& def = files.definition;
  def = "[Bible]\nCode=" + m_code + "\nName=\"" + m_name + "\"\nLanguage=" +
        (m_language == BibleLanguage::Spanish ? "spanish" : "english") + "\nTDBFILE=\"" + files.textFileName + "\"\n\n";
  for (size_t i = 0; i < m_verses.size();) {
    const int book = m_verses[i].book;
    const char* label = m_language == BibleLanguage::Spanish ? GetSpanishBookName(book) : GetEnglishBookName(book);
    // The two characters after the tab are not read; they say what follows.
    def += std::string("{") + label + "\tV:";
    while (i < m_verses.size() && m_verses[i].book == book) {
      const int chapter = m_verses[i].chapter;
      int count = 0;
      for (; i < m_verses.size() && m_verses[i].book == book && m_verses[i].chapter == chapter; ++i) ++count;
      if (def.back() != ':') def += ',';
      def += std::to_string(count);
    }
    def += "}\n";
  }

  // Word list: every word of the displayed verses with the verse indexes it
  // occurs in, ascending (std::string orders bytes as unsigned).
  std::map<std::string, std::vector<uint16_t>> index;
  for (size_t v = 0; v < m_verses.size(); ++v) {
    for (const std::string& word : IndexWords(CleanVerseForDisplay(m_verses[v].text))) {
      std::vector<uint16_t>& list = index[word];
      if (list.empty() || list.back() != v) list.push_back(static_cast<uint16_t>(v));
    }
  }
  std::string wordList, verseLists;
  for (const auto& [word, verses] : index) {
    wordList += " " + word + " +" + std::to_string(verseLists.size());
    for (uint16_t v : verses) platform::PutFixed16(verseLists, v);
  }
  wordList += ' ';

  std::string offsets, texts;
  for (const BibleVerse& verse : m_verses) {
    platform::PutFixed32(offsets, static_cast<uint32_t>(texts.size()));
    texts += verse.text;
  }
  platform::PutFixed32(offsets, static_cast<uint32_t>(texts.size()));

  const uint64_t h0 = 32, h1 = h0 + wordList.size(), h2 = h1 + verseLists.size(), h3 = h2 + offsets.size();
  if (h3 + texts.size() > 0x7FFFFFFF) {
    error = "the verse text file would pass 2 GB";
    return false;
  }
  std::string& out = files.text;
  out.clear();
  for (uint64_t h : {h0, h1, h2, h3}) platform::PutFixed32(out, static_cast<uint32_t>(h));
  // Not read by the program; kept for anyone looking into the file.
  platform::PutFixed32(out, static_cast<uint32_t>(m_verses.size()));
  platform::PutFixed32(out, static_cast<uint32_t>(index.size()));
  platform::PutFixed32(out, 0);
  platform::PutFixed32(out, 0);
  out += wordList;
  out += verseLists;
  out += offsets;
  out += texts;
  return true;
}

bool CBibleBuilder::Write(const std::string& outDir, std::string& error) const {
  BibleFiles files;
  if (!Build(files, error)) return false;
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    error = "cannot make the folder " + outDir;
    return false;
  }
  std::string dir = outDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  // <CODE>.HTB marks the folder as holding this Bible's files: the program
  // asks for it before it trusts a registered NIV, KJS or RVR.
  std::string marker = "code=" + m_code + "\r\nname=" + m_name + "\r\ndefinition=" + m_code + ".ixb\r\ntext=" +
                       files.textFileName + "\r\n";
  return platform::WriteFileSafely(dir + files.textFileName, files.text, error) &&
         platform::WriteFileSafely(dir + m_code + ".ixb", files.definition, error) &&
         WriteVerseTable(*this, dir + m_code + ".dbf", error) &&
         platform::WriteFileSafely(dir + m_code + ".HTB", marker, error);
}

// One record per verse in verse-number order (record n holds verse index
// n - 1), the text as a Bible window shows it, whole: verse texts outgrow a
// character field, so "verse" is a memo field.
bool WriteVerseTable(const CBibleBuilder& bible, const std::string& path, std::string& error) {
  try {
    platform::DbfWriter table(path, {{"verse", 'M', 10, 0}});
    for (const BibleVerse& v : bible.GetVerses()) table.AddRecord({CleanVerseForDisplay(v.text)});
    table.Commit();
    return true;
  } catch (const platform::DbfError& e) {
    error = path + ": " + e.what();
    return false;
  }
}

}  // namespace klmw
