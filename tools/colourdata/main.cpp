// colourdata TOPICS NAVES LIBRARY [--out DIR] CODE[:en|:es]...
//
// Builds the colour data of the library's Bibles from public sources:
//
//   TOPICS    the topics file (data/topics.txt): the twelve topic colours, the
//             Nave's sections each takes its verses from, its keywords
//   NAVES     the folder of Nave's Topical Bible compiled as a SOLT book
//   LIBRARY   the folder holding CODE.ixb (and its text file) for each code,
//             and the importer's source/CODE.woc (the words of Christ)
//   CODE      a Bible code; ":es" makes its keywords the Spanish ones
//
// and writes into DIR (LIBRARY when not given):
//
//   CODE.pip            topic colours (colour mode)
//   CODE-underline.pip  the words of Christ (underline mode)
//   colors.txt          the palette naming the topics
//
// Every verse that Nave's lists in a topic's sections gets that topic. In the
// verse the words matching the topic's keywords are coloured, or the whole
// verse when none matches. A verse several topics claim goes to the narrowest
// of them (fewest verses listed; the lower number on a tie) whose keywords it
// contains, else to the narrowest of them.
// One line per topic is printed for each Bible: verses claimed, verses
// coloured, of which by keyword.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "biblefile/biblemodule.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/safefile.h"
#include "tools/colourdata/colourcore.h"
#include "tools/colourdata/navesreader.h"

namespace {

using namespace colourdata;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class QuietMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons buttons, const std::string&) override {
    std::fprintf(stderr, "colourdata: %s\n", text.c_str());
    return buttons == platform::MessageButtons::Ok ? platform::IDOK : platform::IDCANCEL;
  }
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::string error;
  if (!platform::WriteFileSafely(path.string(), bytes, error)) throw Failure(error);
}

// The .woc ranges by verse number; an absent file has none.
std::map<int, std::vector<std::pair<int, int>>> ReadWoc(const std::filesystem::path& path, bool& found) {
  std::map<int, std::vector<std::pair<int, int>>> ranges;
  std::ifstream in(path);
  found = static_cast<bool>(in);
  int verse, start, end;
  while (in >> verse >> start >> end) ranges[verse].emplace_back(start, end);
  return ranges;
}

// Verse numbers (1-based, the module's order) of the links, each verse once.
std::set<int> LinkedVerses(const klmw::CBibleModule& bible, const std::vector<textpane::Range>& links) {
  std::set<int> verses;
  for (const textpane::Range& r : links) {
    const int first = bible.PlaceToIndex(r.Start().Book() - 1, r.Start().Chapter() - 1, r.Start().Verse() - 1);
    int last = bible.PlaceToIndex(r.End().Book() - 1, r.End().Chapter() - 1, r.End().Verse() - 1);
    if (first < 0) continue;
    if (last < first) last = first;
    for (int i = first; i <= last; ++i) verses.insert(i + 1);
  }
  return verses;
}

void BuildBible(const std::string& code, Language language, const std::filesystem::path& library,
                const std::filesystem::path& out, const std::vector<Topic>& topics,
                const std::map<std::string, std::vector<textpane::Range>>& sections) {
  klmw::CBibleModule bible;
  const std::string definition = (library / (code + ".ixb")).string();
  if (!bible.Load(definition)) throw Failure("cannot load " + definition + ": " + bible.GetLoadError());
  if (bible.GetVerseCount() != kEnglishVerses)
    throw Failure(code + " has " + std::to_string(bible.GetVerseCount()) + " verses, not the English order's " +
                  std::to_string(kEnglishVerses));
  platform::File text;
  if (!bible.OpenText(text)) throw Failure("cannot open the text of " + code);

  // The topics (indices, in topic order) claiming each verse.
  std::vector<std::vector<int>> claiming(kEnglishVerses + 1);
  std::vector<int> claimed(topics.size());
  for (size_t t = 0; t < topics.size(); ++t) {
    std::vector<textpane::Range> links;
    for (const std::string& name : topics[t].naves) {
      auto found = sections.find(name);
      if (found != sections.end()) links.insert(links.end(), found->second.begin(), found->second.end());
    }
    const std::set<int> verses = LinkedVerses(bible, links);
    claimed[t] = static_cast<int>(verses.size());
    for (int v : verses) claiming[static_cast<size_t>(v)].push_back(static_cast<int>(t));
  }
  // The narrowest topic first: one with fewer verses says more about a verse.
  for (auto& claims : claiming)
    std::stable_sort(claims.begin(), claims.end(), [&](int a, int b) {
      return claimed[static_cast<size_t>(a)] < claimed[static_cast<size_t>(b)];
    });

  bool wocFound = false;
  const auto christ = ReadWoc(library / "source" / (code + ".woc"), wocFound);
  if (!wocFound) std::fprintf(stderr, "colourdata: no %s.woc; %s-underline.pip has no words\n", code.c_str(), code.c_str());

  std::string colours = EmptyPipFile(), underline = EmptyPipFile();
  std::vector<int> coloured(topics.size()), byKeyword(topics.size());
  int underlined = 0, shortened = 0;
  std::string verseText;
  for (int v = 1; v <= kEnglishVerses; ++v) {
    const auto& claims = claiming[static_cast<size_t>(v)];
    const auto ranges = christ.find(v);
    if (claims.empty() && ranges == christ.end()) continue;
    if (!bible.GetVerseText(text, v, verseText)) throw Failure("cannot read verse " + std::to_string(v) + " of " + code);
    if (!claims.empty()) {
      const VerseColour c = ChooseColour(verseText, claims, topics, language);
      if (!c.entries.empty()) {
        PutRecord(colours, v, c.entries);
        ++coloured[static_cast<size_t>(c.topic - 1)];
        if (!c.whole) ++byKeyword[static_cast<size_t>(c.topic - 1)];
        if (c.dropped) ++shortened;
      }
    }
    if (ranges != christ.end()) {
      const Record entries = UnderlineEntries(verseText, ranges->second);
      if (!entries.empty()) {
        PutRecord(underline, v, entries);
        ++underlined;
      }
    }
  }
  WriteFile(out / (code + ".pip"), colours);
  WriteFile(out / (code + "-underline.pip"), underline);

  std::printf("%s (%s keywords): %d verses underlined\n", code.c_str(), language == kSpanish ? "Spanish" : "English",
              underlined);
  std::printf("  %-2s %-14s %8s %8s %8s\n", "", "topic", "claimed", "coloured", "keyword");
  for (size_t t = 0; t < topics.size(); ++t)
    std::printf("  %2d %-14s %8d %8d %8d\n", topics[t].number, topics[t].name.c_str(), claimed[t], coloured[t],
                byKeyword[t]);
  if (shortened) std::printf("  %d verses lost stretches to the 20-entry limit\n", shortened);
}

int Run(int argc, char** argv) {
  std::vector<std::string> args;
  std::filesystem::path out;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) out = argv[++i];
    else args.push_back(a);
  }
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: colourdata TOPICS NAVES LIBRARY [--out DIR] CODE[:en|:es]...\n");
    return 2;
  }
  const std::filesystem::path library = args[2];
  if (out.empty()) out = library;
  std::filesystem::create_directories(out);

  std::ifstream topicsFile(args[0]);
  if (!topicsFile) throw Failure("cannot read " + args[0]);
  std::string error;
  const std::vector<Topic> topics = ReadTopics(topicsFile, error);
  if (topics.empty()) throw Failure(args[0] + ": " + error);

  std::set<std::string> wanted;
  for (const Topic& t : topics) wanted.insert(t.naves.begin(), t.naves.end());
  std::map<std::string, std::vector<textpane::Range>> sections;
  if (!ReadSections(args[1], wanted, sections, error)) throw Failure(error);
  for (const std::string& name : wanted)
    if (!sections.count(name)) std::fprintf(stderr, "colourdata: Nave's has no section %s\n", name.c_str());

  for (size_t i = 3; i < args.size(); ++i) {
    std::string code = args[i];
    Language language = kEnglish;
    if (const size_t colon = code.find(':'); colon != std::string::npos) {
      const std::string tag = code.substr(colon + 1);
      if (tag != "en" && tag != "es") throw Failure("unknown language " + tag + " (en or es)");
      language = tag == "es" ? kSpanish : kEnglish;
      code.resize(colon);
    }
    BuildBible(code, language, library, out, topics, sections);
  }
  WriteFile(out / "colors.txt", PaletteText(topics));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QuietMessages quiet;
  platform::ScopedMessages scoped(&quiet);
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "colourdata: %s\n", e.what());
    return 1;
  }
}
