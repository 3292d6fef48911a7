// bookimport: makes the source of a reference book (for `soltkit build`) from
// a public-domain dictionary or commentary of the SWORD library, and compiles
// it.
//
//   bookimport KIND OUTDIR [--book DIR] [--select LIST] [--source-only]
//
// KIND is naves, mhcc, strongs-greek, strongs-hebrew or tdavid. The source is written
// to OUTDIR/source (the private SWORD configuration to OUTDIR/sword) and the
// book to OUTDIR/book, or to DIR. --select keeps only some
// entries: the dictionary keys (as the module writes them, e.g. "AARON" or
// "00025") or the commentary's books (OSIS names, e.g. "Gen,Jude"), separated
// by commas.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/bookimport/bookmarkup.h"
#include "tools/bookimport/swordbooks.h"
#include "tools/compiler/bookcompiler.h"

namespace fs = std::filesystem;
using bookimport::EntryToRtf;
using bookimport::LinkContext;
using bookimport::MarkupStats;
using bookimport::SwordBooks;
using bookimport::ToWindows1252;

namespace {

struct Kind {
  const char* name;
  const char* module;
  const char* title;
  int book;  // the book number; the publisher number is kPublisher
  const char* sync;
};

constexpr int kPublisher = 2;
constexpr Kind kKinds[] = {
    {"naves", "Nave", "Nave's Topical Bible", 1, "word"},
    {"mhcc", "MHCC", "Matthew Henry's Concise Commentary", 2, "verse"},
    {"strongs-greek", "StrongsGreek", "Strong's Greek Dictionary", 3, "strongs"},
    {"strongs-hebrew", "StrongsHebrew", "Strong's Hebrew Dictionary", 4, "strongs"},
    {"tdavid", "TDavid", "Spurgeon's Treasury of David", 5, "verse"},
};

void Usage() {
  std::cerr << "usage: bookimport KIND OUTDIR [--book DIR] [--select LIST] [--source-only]\n"
               "  KIND: naves, mhcc, strongs-greek, strongs-hebrew or tdavid\n";
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A section file: front matter (title, sync values) and the RTF body. The
// front matter is read as UTF-8 or Windows-1252; it is written in
// Windows-1252 with no line breaks.
std::string SectionFile(const std::string& title, const std::string& sync, const std::string& body) {
  std::string text = "---\ntitle: " + title + "\n";
  if (!sync.empty()) text += "sync: " + sync + "\n";
  return text + "---\n" + body;
}

std::string Pad(int n, int width) {
  std::string s = std::to_string(n);
  return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}

std::set<std::string> SplitList(const std::string& list) {
  std::set<std::string> out;
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ','))
    if (!item.empty()) out.insert(item);
  return out;
}

void WriteManifest(const fs::path& source, const Kind& kind, const SwordBooks& sword) {
  std::string ini = "[book]\ntitle = " + std::string(kind.title) + "\npublisher = " + std::to_string(kPublisher) +
                    "\nbook = " + std::to_string(kind.book) + "\nsync = " + kind.sync +
                    "\ncompression = lzss\nheadings = yes\n";
  std::string description = ToWindows1252(sword.Description());
  for (char& c : description)
    if (c == '}' || c == '{' || c == '\\') c = ' ';
  ini += "source = SWORD module " + std::string(kind.module) + " (" + description + ")\n";
  WriteFile(source / "book.ini", ini);
}

struct Totals {
  MarkupStats markup;
  int entries = 0;
  int merged = 0;
  std::vector<std::string> notes;
};

void AddStats(MarkupStats& total, const MarkupStats& one) {
  total.verseLinks += one.verseLinks;
  total.entryLinks += one.entryLinks;
  total.repairedRefs += one.repairedRefs;
  total.droppedRefs += one.droppedRefs;
  total.unresolvedRefs += one.unresolvedRefs;
  total.transliterated += one.transliterated;
}

// Nave's: topics under letters; "See ..." references to other topics.
void BuildNaves(SwordBooks& sword, const fs::path& source, const std::set<std::string>& select, Totals& totals) {
  // Walk every entry: a topic stored twice (SIN, REVERENCE) is one topic
  // whose text is both entries.
  std::vector<std::pair<std::string, std::string>> topics;
  std::map<std::string, size_t> index;
  for (auto& [key, raw] : sword.DictionaryEntries()) {
    if (!select.empty() && !select.count(key)) continue;
    auto it = index.find(key);
    if (it != index.end()) {
      topics[it->second].second += raw;
      ++totals.merged;
      continue;
    }
    index[key] = topics.size();
    topics.push_back({key, raw});
  }
  // Keys in the order the compiler numbers them: each letter, then its topics.
  std::map<std::string, int> keys;
  std::vector<std::pair<std::string, std::vector<size_t>>> letters;
  for (size_t t = 0; t < topics.size(); ++t) {
    unsigned char c = static_cast<unsigned char>(topics[t].first.empty() ? '#' : topics[t].first[0]);
    std::string letter = std::isalpha(c) ? std::string(1, static_cast<char>(std::toupper(c))) : "#";
    if (letters.empty() || letters.back().first != letter) letters.push_back({letter, {}});
    letters.back().second.push_back(t);
  }
  int key = 0;
  for (auto& [letter, members] : letters) {
    ++key;
    for (size_t t : members) keys[topics[t].first] = key++;
  }
  LinkContext context;
  context.verseExists = SwordBooks::VerseExists;
  context.entryKey = [&](std::string_view target, std::string_view text) {
    std::string name(target.substr(target.find(':') == std::string_view::npos ? 0 : target.find(':') + 1));
    if (name.empty()) name = std::string(text);
    return bookimport::FindTopic(keys, name);
  };
  int folder = 0;
  for (auto& [letter, members] : letters) {
    const fs::path dir = source / "sections" / (Pad(++folder, 2) + " " + (letter == "#" ? "Other" : letter));
    fs::create_directories(dir);
    int file = 0;
    for (size_t t : members) {
      MarkupStats stats;
      std::string body = EntryToRtf(topics[t].second, context, stats);
      AddStats(totals.markup, stats);
      const std::string title = ToWindows1252(topics[t].first);
      WriteFile(dir / (Pad(++file, 4) + ".rtf"), SectionFile(title, title, body));
      ++totals.entries;
    }
  }
}

// Strong's: entries "G25" grouped by hundreds.
void BuildStrongs(SwordBooks& sword, const fs::path& source, const std::set<std::string>& select, char letter,
                  Totals& totals) {
  struct Entry {
    int number;
    std::string raw;
  };
  std::vector<Entry> entries;
  std::map<int, size_t> index;
  for (auto& [key, raw] : sword.DictionaryEntries()) {
    if (!select.empty() && !select.count(key)) continue;
    // Keys are five digits, zero-padded ("00025"); the Bibles' lemmas and
    // the references inside entries are not padded alike, so numbers are
    // compared as numbers.
    std::string k = bookimport::StrongsKey(letter, key);
    if (k.empty()) continue;
    int number = std::stoi(k.substr(1));
    if (index.count(number)) {
      entries[index[number]].raw += raw;
      ++totals.merged;
      continue;
    }
    index[number] = entries.size();
    entries.push_back({number, raw});
  }
  std::map<int, int> keys;
  int key = 0;
  int group = -1;
  for (const Entry& e : entries) {
    if (e.number / 100 != group) {
      group = e.number / 100;
      ++key;
    }
    keys[e.number] = key++;
  }
  LinkContext context;
  context.verseExists = SwordBooks::VerseExists;
  context.entryKey = [&](std::string_view target, std::string_view text) {
    // The Greek dictionary's references to Hebrew words carry a Greek target
    // ("StrongsGreek:0175" shown as "H0175"): the letter shown decides.
    char which = letter;
    if (!text.empty() && (text[0] == 'G' || text[0] == 'H')) which = text[0];
    else if (target.find("Hebrew") != std::string_view::npos) which = 'H';
    else if (target.find("Greek") != std::string_view::npos) which = 'G';
    if (which != letter) return -1;
    std::string k = bookimport::StrongsKey(letter, target.substr(target.find(':') == std::string_view::npos ? 0 : target.find(':') + 1));
    if (k.empty()) return -1;
    auto it = keys.find(std::stoi(k.substr(1)));
    return it == keys.end() ? -1 : it->second;
  };
  const char* script = letter == 'G' ? "Greek" : "Hebrew";
  fs::path dir;
  group = -1;
  int folder = 0, file = 0;
  for (const Entry& e : entries) {
    if (e.number / 100 != group) {
      group = e.number / 100;
      const int first = std::max(1, group * 100), last = group * 100 + 99;
      dir = source / "sections" /
            (Pad(++folder, 3) + " " + letter + std::to_string(first) + "-" + letter + std::to_string(last));
      fs::create_directories(dir);
      file = 0;
    }
    MarkupStats stats;
    std::string body = EntryToRtf(e.raw, context, stats);
    AddStats(totals.markup, stats);
    if (stats.transliterated > 0)
      body = std::string("\\pard\\sa120{\\i The ") + script + " word is spelt in Latin letters here: the " + script +
             " script cannot be shown in this book's character set.}\\par\n" + body;
    const std::string strongs = std::string(1, letter) + std::to_string(e.number);
    std::string trans = ToWindows1252(bookimport::ElementText(e.raw, "orth", "type", "trans"));
    for (char& c : trans)
      if (c == '\\' || c == '\n' || c == '\r') c = ' ';
    const std::string title = trans.empty() ? strongs : strongs + " " + trans;
    // The Bibles' lemmas write the number with four digits ("H0430"): that
    // form finds the entry too.
    std::string sync = strongs;
    const std::string lemma = std::string(1, letter) + Pad(e.number, 4);
    if (lemma != strongs) sync += "; " + lemma;
    WriteFile(dir / (Pad(++file, 3) + ".rtf"), SectionFile(title, sync, body));
    ++totals.entries;
  }
}

// The commentary: book > chapter > section, every verse synchronised.
void BuildCommentary(SwordBooks& sword, const fs::path& source, const std::set<std::string>& select, Totals& totals) {
  std::vector<bookimport::VerseSlot> slots;
  std::vector<std::string> texts;
  for (auto& [slot, text] : sword.CommentarySlots()) {
    if (!select.empty() && !select.count(bookimport::OsisBookName(slot.book))) continue;
    slots.push_back(slot);
    texts.push_back(std::move(text));
  }
  const std::vector<bookimport::CommentarySection> sections = bookimport::GroupCommentary(slots);
  LinkContext context;
  context.verseExists = SwordBooks::VerseExists;
  int bookFolder = 0, chapterFolder = 0, file = 0;
  int book = 0, chapter = 0;
  fs::path bookDir, chapterDir;
  for (const auto& section : sections) {
    // The book's and the chapter's introductions are the texts of their own
    // entries in the contents; they stand in the entry of the first section.
    bookimport::CommentaryParts parts = bookimport::SplitCommentaryEntry(texts[section.textSlot]);
    auto introduction = [&](const fs::path& dir, const std::string& title, const std::string& raw) {
      MarkupStats stats;
      std::string body = EntryToRtf(raw, context, stats);
      AddStats(totals.markup, stats);
      WriteFile(dir / "index.rtf", SectionFile(title, "", body));
    };
    std::string lead;  // what goes back before the comment
    if (section.book != book) {
      book = section.book;
      chapter = 0;
      chapterFolder = 0;
      bookDir = source / "sections" / (Pad(++bookFolder, 2) + " " + bookimport::EnglishBookName(book));
      fs::create_directories(bookDir);
      if (!parts.book.empty()) introduction(bookDir, bookimport::EnglishBookName(book), parts.book);
    } else {
      lead += parts.book;
    }
    if (section.chapter != chapter) {
      chapter = section.chapter;
      const std::string title = (book == 19 ? "Psalm " : "Chapter ") + std::to_string(chapter);
      chapterDir = bookDir / (Pad(++chapterFolder, 3) + " " + title);
      fs::create_directories(chapterDir);
      file = 0;
      if (!parts.chapter.empty()) introduction(chapterDir, title, parts.chapter);
    } else {
      lead += parts.chapter;
    }
    parts.section = lead + parts.section;
    std::string sync;
    for (const auto& r : section.covers) {
      if (!sync.empty()) sync += "; ";
      sync += std::to_string(r.book) + " " + std::to_string(r.chapter) + ":" + std::to_string(r.first);
      if (r.last != r.first) sync += "-" + std::to_string(r.last);
    }
    MarkupStats stats;
    std::string body = EntryToRtf(parts.section, context, stats);
    AddStats(totals.markup, stats);
    // The verses the section comments on, as a link to the Bible: it also
    // files the section under them in the Scripture index.
    for (const auto& r : section.covers) {
      if (r.book != section.book || r.chapter != section.chapter) continue;
      std::string shown = std::string(bookimport::EnglishBookName(r.book)) + " " + std::to_string(r.chapter) + ":" +
                          std::to_string(r.first);
      std::string target = std::to_string(r.book) + " " + std::to_string(r.chapter) + ":" + std::to_string(r.first);
      if (r.last != r.first) {
        shown += "-" + std::to_string(r.last);
        target += "-" + std::to_string(r.book) + " " + std::to_string(r.chapter) + ":" + std::to_string(r.last);
      }
      body = "\\pard\\sa120{\\soltlink " + shown + "{\\soltlinkto4 " + target + "}}\\par\n" + body;
      ++totals.markup.verseLinks;
      break;
    }
    WriteFile(chapterDir / (Pad(++file, 3) + ".rtf"), SectionFile(section.title, sync, body));
    ++totals.entries;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string select;
  std::string bookDir;
  bool sourceOnly = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--select" && i + 1 < args.size()) {
      select = args[++i];
    } else if (args[i] == "--book" && i + 1 < args.size()) {
      bookDir = args[++i];
    } else if (args[i] == "--source-only") {
      sourceOnly = true;
    } else if (args[i].rfind("--", 0) == 0) {
      Usage();
      return 2;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) {
    Usage();
    return 2;
  }
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (positional[0] == k.name) kind = &k;
  if (!kind) {
    Usage();
    return 2;
  }
  const fs::path out = positional[1];
  const fs::path source = out / "source";
  try {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::error_code ec;
    fs::remove_all(source, ec);
    fs::create_directories(source / "sections");
    SwordBooks sword(kind->module, out.string());
    WriteManifest(source, *kind, sword);
    Totals totals;
    const std::set<std::string> chosen = SplitList(select);
    if (std::strcmp(kind->sync, "word") == 0)
      BuildNaves(sword, source, chosen, totals);
    else if (std::strcmp(kind->sync, "verse") == 0)
      BuildCommentary(sword, source, chosen, totals);
    else
      BuildStrongs(sword, source, chosen, kind->module == std::string("StrongsGreek") ? 'G' : 'H', totals);
    if (totals.entries == 0) throw std::runtime_error("no entries were selected");
    const double importSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::string mends;
    for (const std::string& m : sword.Mends()) mends += (mends.empty() ? "" : ",") + m;
    std::printf("%s: %d entries (%d duplicates merged), %d verse links, %d links within the book, "
                "%d references repaired, %d references kept as text, %d unresolved cross-references, "
                "%d letters transliterated; configuration mended: %s\n",
                kind->name, totals.entries, totals.merged, totals.markup.verseLinks, totals.markup.entryLinks,
                totals.markup.repairedRefs, totals.markup.droppedRefs, totals.markup.unresolvedRefs,
                totals.markup.transliterated, mends.empty() ? "nothing" : mends.c_str());
    std::printf("import: %.2f s, module %llu bytes\n", importSeconds, sword.ModuleBytes());
    if (sourceOnly) return 0;
    const auto compileStart = Clock::now();
    solt::sCompileStats stats = solt::CompileBook(source.string(), bookDir.empty() ? (out / "book").string() : bookDir);
    const double compileSeconds = std::chrono::duration<double>(Clock::now() - compileStart).count();
    std::printf("compile: %.2f s, %d sections, %d words, %d verse links, %d sync entries, book %llu bytes\n",
                compileSeconds, stats.sections, stats.words, stats.verseLinks, stats.syncEntries,
                static_cast<unsigned long long>(stats.bookBytes));
  } catch (const solt::cCompileError& e) {
    std::cerr << "bookimport: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "bookimport: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
