// bibleimport MODULE CODE OUTDIR
//
// Turns a Bible module of the SWORD library (as Debian's sword-text-*
// packages install it) into the verse-per-line source of our Bible builder:
//
//   OUTDIR/CODE.txt          "#code=", "#name=", "#language=" lines, then one
//                            line per verse of the English order (31,102):
//                            BOOK TAB CHAPTER TAB VERSE TAB TEXT, Windows-1252
//   OUTDIR/CODE-FOOTNTE.DAT  the footnotes: "NUMBER TEXT ~ " per note, NUMBER
//                            being the verse number (1-31102); the notes of a
//                            verse come in the order of their labels {a}, {b}..
//   OUTDIR/CODE.woc          the words of Christ: one line per range,
//                            NUMBER TAB START TAB END, START and END (exclusive)
//                            counting characters of the verse's display form
//                            (the text a Bible window shows, markup removed);
//                            a verse spoken whole is one range 0 to its length
//
// and prints one summary line (the places of empty verses go to stderr). Files are written beside their final names and
// renamed into place only when complete.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/safefile.h"
#include "tools/importer/markup.h"
#include "tools/importer/swordsource.h"

namespace {

constexpr int kEnglishVerses = 31102;
constexpr size_t kPlacesListed = 400;  // characters of empty places named on stderr

// A file gathered in memory and written safely (beside its final name,
// renamed into place) when complete.
class OutputFile {
 public:
  explicit OutputFile(std::filesystem::path path) : path_(std::move(path)) {}
  std::ostringstream& Stream() { return out_; }
  void Commit() {
    std::string error;
    if (!platform::WriteFileSafely(path_.string(), out_.view(), error)) throw std::runtime_error(error);
  }

 private:
  std::filesystem::path path_;
  std::ostringstream out_;
};

// A line field may hold no TAB, CR or LF.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

int Run(const std::string& moduleName, const std::string& code, const std::filesystem::path& outDir) {
  const auto started = std::chrono::steady_clock::now();
  importer::SwordSource source(moduleName);
  const importer::ModuleInfo& info = source.Info();
  std::filesystem::create_directories(outDir);

  OutputFile text(outDir / (code + ".txt"));
  OutputFile notes(outDir / (code + "-FOOTNTE.DAT"));
  OutputFile woc(outDir / (code + ".woc"));
  int unmappable = 0;
  text.Stream() << "#code=" << code << "\n";
  text.Stream() << "#name=" << OneLine(importer::Utf8ToWindows1252(info.description, &unmappable)) << "\n";
  text.Stream() << "#language=" << (info.language == "es" ? "spanish" : "english") << "\n";

  int verses = 0, empty = 0, footnotes = 0, ranges = 0, folded = 0;
  std::string emptyPlaces;  // book:chapter:verse of the first empty verses, for the log
  importer::OsisState state;
  source.ForEachVerse(
      [&](const importer::VersePlace& place, const std::string& raw) {
        const importer::ConvertedVerse verse = importer::ConvertOsisVerse(raw, state);
        unmappable += verse.unmappable;
        ++verses;
        if (importer::DisplayText(verse.text).empty()) {
          ++empty;
          if (emptyPlaces.size() < kPlacesListed)
            emptyPlaces += (emptyPlaces.empty() ? "" : " ") + std::to_string(place.book) + ":" +
                           std::to_string(place.chapter) + ":" + std::to_string(place.verse);
        }
        text.Stream() << place.book << '\t' << place.chapter << '\t' << place.verse << '\t' << OneLine(verse.text)
                      << "\n";
        for (const std::string& note : verse.notes) {
          notes.Stream() << place.number << ' ' << OneLine(note) << " ~ \r\n";
          ++footnotes;
        }
        for (const importer::ChristRange& range : verse.christ) {
          woc.Stream() << place.number << '\t' << range.start << '\t' << range.end << "\n";
          ++ranges;
        }
      },
      &folded);
  if (verses != kEnglishVerses) throw std::runtime_error("the English order gave " + std::to_string(verses) + " verses");
  text.Commit();
  notes.Commit();
  woc.Commit();

  if (empty > 0)
    std::fprintf(stderr, "bibleimport: empty verses (book:chapter:verse): %s%s\n", emptyPlaces.c_str(),
                 emptyPlaces.size() >= kPlacesListed ? " ..." : "");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf(
      "%s from %s (%s): %d verses written, %d empty, %d footnotes, %d words-of-Christ ranges, %d characters not "
      "representable, %d source verses folded into the English order, %.1f s\n",
      code.c_str(), info.name.c_str(), info.versification.c_str(), verses, empty, footnotes, ranges, unmappable,
      folded, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: bibleimport MODULE CODE OUTDIR\n"
                 "  e.g. bibleimport KJV KJS out/\n"
                 "Bible modules installed:\n";
    try {
      for (const std::string& name : importer::SwordSource::InstalledBibles()) std::cerr << "  " << name << "\n";
    } catch (const std::exception&) {
    }
    return 2;
  }
  const std::string code = argv[2];
  if (code.empty() || code.find_first_of("/\\") != std::string::npos) {
    std::cerr << "bibleimport: the code \"" << code << "\" cannot name a file\n";
    return 2;
  }
  try {
    return Run(argv[1], code, argv[3]);
  } catch (const std::exception& e) {
    std::cerr << "bibleimport: " << e.what() << "\n";
    return 1;
  }
}
