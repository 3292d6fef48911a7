#include "refbase/refbasebuilder.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/coding.h"

namespace refbase {

namespace {

constexpr char kTitle[] = "Vantrel Bible Reference Conversion File\x1A";
constexpr unsigned kHeaderSize = 68, kBookSize = 8, kChapterSize = 16, kVerseSize = 24, kAliasSize = 6;
constexpr unsigned kLabelSize = 8;

bool ParseNumber(const std::string& word, unsigned long low, unsigned long high, unsigned long* value) {
  if (word.empty() || word.size() > 9) return false;
  unsigned long n = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  if (n < low || n > high) return false;
  *value = n;
  return true;
}

bool ParseAlias(const std::string& word, RefbaseAlias* alias) {
  unsigned long parts[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    size_t colon = word.find(':', start);
    if ((i < 2) != (colon != std::string::npos)) return false;
    std::string part = word.substr(start, i < 2 ? colon - start : std::string::npos);
    if (!ParseNumber(part, 0, 65535, &parts[i])) return false;
    start = colon + 1;
  }
  alias->book = static_cast<uint16_t>(parts[0]);
  alias->chapter = static_cast<uint16_t>(parts[1]);
  alias->verse = static_cast<uint16_t>(parts[2]);
  return true;
}

bool ValidLabel(const std::string& label) { return !label.empty() && label.size() < kLabelSize; }

std::string Decimal(unsigned n) { return std::to_string(n); }

// The verse record of (chapter, verse), made on first use.
RefbaseVerse* VerseOf(RefbaseBook& book, unsigned long chapter, unsigned long verse) {
  if (chapter < 1 || chapter > book.chapters.size()) return nullptr;
  RefbaseChapter& c = book.chapters[chapter - 1];
  if (verse < 1 || verse > c.verseCount) return nullptr;
  if (c.verses.empty()) c.verses.resize(c.verseCount);
  return &c.verses[verse - 1];
}

struct ChapterLayout {
  bool plainVerses = true;
  bool verseRecords = false;
};

ChapterLayout LayoutOf(const RefbaseChapter& chapter) {
  ChapterLayout layout;
  for (size_t v = 0; v < chapter.verses.size(); ++v) {
    const RefbaseVerse& verse = chapter.verses[v];
    if (!verse.label.empty() && verse.label != Decimal(static_cast<unsigned>(v + 1))) layout.plainVerses = false;
    if (!verse.aliases.empty() || !verse.nearAliases.empty()) layout.verseRecords = true;
  }
  if (!layout.plainVerses) layout.verseRecords = true;
  return layout;
}

void PutLabel(std::string& out, const std::string& label) {
  char field[kLabelSize] = {};
  label.copy(field, kLabelSize - 1);
  out.append(field, kLabelSize);
}

}  // namespace

bool ParseRefbaseSource(const std::string& text, RefbaseSource* source, std::string* error) {
  source->books.clear();
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  RefbaseBook* book = nullptr;
  auto fail = [&](const std::string& what) {
    *error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    const std::string& keyword = w[0];
    unsigned long n = 0, chapter = 0, verse = 0;
    if (keyword == "book") {
      if (w.size() != 2 || !ParseNumber(w[1], source->books.size() + 1, 65535, &n))
        return fail("book needs a number above the previous book's");
      source->books.resize(n);
      book = &source->books.back();
      continue;
    }
    if (!book) return fail("'" + keyword + "' before the first book line");
    if (keyword == "verses") {
      if (w.size() < 2) return fail("verses needs at least one count");
      for (size_t i = 1; i < w.size(); ++i) {
        if (!ParseNumber(w[i], 0, 65535, &n)) return fail("bad verse count '" + w[i] + "'");
        RefbaseChapter c;
        c.verseCount = static_cast<uint16_t>(n);
        book->chapters.push_back(c);
      }
    } else if (keyword == "chapter") {
      if (w.size() != 3 || !ValidLabel(w[1]) || !ParseNumber(w[2], 0, 65535, &n))
        return fail("chapter needs a label of 1-7 characters and a verse count");
      RefbaseChapter c;
      c.label = w[1];
      c.verseCount = static_cast<uint16_t>(n);
      book->chapters.push_back(c);
    } else if (keyword == "label" || keyword == "alias" || keyword == "near") {
      if (w.size() < 4 || !ParseNumber(w[1], 1, 65535, &chapter) || !ParseNumber(w[2], 1, 65535, &verse))
        return fail(keyword + " needs a chapter ID, a verse ID and more");
      RefbaseVerse* v = VerseOf(*book, chapter, verse);
      if (!v) return fail("no verse " + w[2] + " in chapter " + w[1]);
      if (keyword == "label") {
        if (w.size() != 4 || !ValidLabel(w[3])) return fail("a verse label has 1-7 characters");
        v->label = w[3];
        continue;
      }
      for (size_t i = 3; i < w.size(); ++i) {
        RefbaseAlias a;
        if (!ParseAlias(w[i], &a)) return fail("bad alias '" + w[i] + "' (book:chapter:verse)");
        (keyword == "alias" ? v->aliases : v->nearAliases).push_back(a);
      }
    } else {
      return fail("unknown keyword '" + keyword + "'");
    }
  }
  return true;
}

bool EncodeRefbase(const RefbaseSource& source, std::string* bytes, std::string* error) {
  if (source.books.size() > 65535) {
    *error = "more than 65535 books";
    return false;
  }
  size_t totalChapters = 0;
  for (const RefbaseBook& b : source.books) {
    totalChapters += b.chapters.size();
    for (const RefbaseChapter& c : b.chapters) {
      if (!c.label.empty() && !ValidLabel(c.label)) {
        *error = "chapter label '" + c.label + "' is longer than 7 characters";
        return false;
      }
      if (!c.verses.empty() && c.verses.size() != c.verseCount) {
        *error = "a chapter's verse list differs from its verse count";
        return false;
      }
      for (const RefbaseVerse& v : c.verses)
        if ((!v.label.empty() && !ValidLabel(v.label)) || v.aliases.size() > 65535 || v.nearAliases.size() > 65535) {
          *error = "verse label '" + v.label + "' is too long, or a verse has too many aliases";
          return false;
        }
    }
  }
  if (totalChapters > 65535) {
    *error = "more than 65535 chapters";
    return false;
  }

  // Layout: header, book table, all chapter records in book order, then the
  // verse records of each chapter that has them, then the alias lists.
  const uint64_t bookTable = kHeaderSize;
  const uint64_t chapterStart = bookTable + uint64_t{kBookSize} * source.books.size();
  uint64_t verseCursor = chapterStart + uint64_t{kChapterSize} * totalChapters;
  uint64_t aliasCursor = verseCursor;
  for (const RefbaseBook& b : source.books)
    for (const RefbaseChapter& c : b.chapters)
      if (LayoutOf(c).verseRecords) aliasCursor += uint64_t{kVerseSize} * c.verseCount;

  std::string head(kHeaderSize, '\0');
  std::copy(std::begin(kTitle), std::end(kTitle), head.begin());
  platform::EncodeFixed16(&head[50], 10);
  platform::EncodeFixed16(&head[52], static_cast<uint16_t>(source.books.size()));
  platform::EncodeFixed16(&head[54], static_cast<uint16_t>(totalChapters));
  platform::EncodeFixed32(&head[60], static_cast<uint32_t>(bookTable));

  std::string books, chapters, verses, aliases;
  uint64_t chapterCursor = chapterStart;
  for (const RefbaseBook& b : source.books) {
    const auto count = static_cast<uint16_t>(b.chapters.size());
    bool plainChapters = true;
    for (size_t i = 0; i < b.chapters.size(); ++i)
      if (!b.chapters[i].label.empty() && b.chapters[i].label != Decimal(static_cast<unsigned>(i + 1)))
        plainChapters = false;
    platform::PutFixed16(books, count);
    platform::PutFixed16(books, plainChapters ? count : 0);
    platform::PutFixed32(books, count ? static_cast<uint32_t>(chapterCursor) : 0);
    chapterCursor += uint64_t{kChapterSize} * count;

    for (size_t i = 0; i < b.chapters.size(); ++i) {
      const RefbaseChapter& c = b.chapters[i];
      const ChapterLayout layout = LayoutOf(c);
      platform::PutFixed16(chapters, c.verseCount);
      platform::PutFixed16(chapters, layout.plainVerses ? c.verseCount : 0);
      PutLabel(chapters, c.label.empty() ? Decimal(static_cast<unsigned>(i + 1)) : c.label);
      platform::PutFixed32(chapters, layout.verseRecords ? static_cast<uint32_t>(verseCursor) : 0);
      if (!layout.verseRecords) continue;
      verseCursor += uint64_t{kVerseSize} * c.verseCount;
      for (unsigned v = 0; v < c.verseCount; ++v) {
        const RefbaseVerse empty;
        const RefbaseVerse& verse = c.verses.empty() ? empty : c.verses[v];
        uint64_t listAt[2] = {0, 0};
        const std::vector<RefbaseAlias>* lists[2] = {&verse.aliases, &verse.nearAliases};
        for (int k = 0; k < 2; ++k) {
          if (lists[k]->empty()) continue;
          listAt[k] = aliasCursor;
          for (const RefbaseAlias& a : *lists[k]) {
            platform::PutFixed16(aliases, a.book);
            platform::PutFixed16(aliases, a.chapter);
            platform::PutFixed16(aliases, a.verse);
          }
          aliasCursor += uint64_t{kAliasSize} * lists[k]->size();
        }
        platform::PutFixed16(verses, static_cast<uint16_t>(verse.aliases.size()));
        platform::PutFixed16(verses, 0);
        platform::PutFixed32(verses, static_cast<uint32_t>(listAt[0]));
        platform::PutFixed16(verses, static_cast<uint16_t>(verse.nearAliases.size()));
        platform::PutFixed16(verses, 0);
        platform::PutFixed32(verses, static_cast<uint32_t>(listAt[1]));
        PutLabel(verses, verse.label.empty() ? Decimal(v + 1) : verse.label);
      }
    }
  }
  if (aliasCursor > 0x7FFFFFFF) {
    *error = "the file would be larger than 2 GB";
    return false;
  }
  *bytes = head + books + chapters + verses + aliases;
  return true;
}

bool BuildRefbaseFile(const std::string& sourcePath, const std::string& outPath, std::string* error) {
  std::ifstream in(sourcePath, std::ios::binary);
  if (!in) {
    *error = "cannot open " + sourcePath;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  RefbaseSource source;
  std::string bytes;
  if (!ParseRefbaseSource(text.str(), &source, error)) {
    *error = sourcePath + ": " + *error;
    return false;
  }
  if (!EncodeRefbase(source, &bytes, error)) return false;
  const std::string temp = outPath + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      *error = "cannot write " + outPath;
      return false;
    }
  }
  if (std::rename(temp.c_str(), outPath.c_str()) != 0) {
    std::remove(temp.c_str());
    *error = "cannot write " + outPath;
    return false;
  }
  return true;
}

}  // namespace refbase
