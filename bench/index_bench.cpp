// Lookups in a large compiled book: table-of-contents entries and paths,
// the word list and the verse sync index, in microseconds per call and
// file reads per call; and the compiler's speed in MB of source per second.
//
// The book is generated once (about 50,000 sections and 100,000 distinct
// words), compiled with the book compiler and kept in the build folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "soltread.h"
#include "soltread/bookfileset.h"
#include "tools/compiler/bookcompiler.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBooks = 66;
constexpr int kChapters = 20;
constexpr int kSectionsPerChapter = 37;
constexpr int kVocabulary = 100100;  // a few pseudo-words coincide

// Distinct pronounceable words: syllables counted in base 40.
std::string MakeWord(int n) {
  static const char* const kSyllables[] = {
      "ka", "lo", "mi", "ne", "su", "ta", "ri", "po", "de", "ga", "hu", "ve", "zo", "bi",
      "fa", "ju", "ke", "la", "mo", "nu", "pi", "ro", "sa", "te", "vu", "wa", "xi", "yo",
      "ze", "cha", "sho", "thi", "bra", "cle", "dro", "fri", "glo", "pra", "stu", "tre"};
  std::string w;
  do {
    w += kSyllables[n % 40];
    n /= 40;
  } while (n > 0);
  return w + "n";
}

struct Corpus {
  std::string source;
  std::string book;
  uint64_t sourceBytes = 0;
  double compileSeconds = 0;
  std::vector<std::string> words;
};

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Writes the source tree: 66 books of 20 chapters of 37 sections, each
// section about 80 words (every vocabulary word occurs at least once, the
// rest drawn with a Zipf-like skew) and declaring the verse it follows.
void GenerateSource(const fs::path& dir, Corpus& corpus) {
  fs::remove_all(dir);
  fs::create_directories(dir / "sections");
  WriteFile(dir / "book.ini",
            "[book]\ntitle = Benchmark Commentary\npublisher = 9\nbook = 9\nsync = verse\ncompression = lzss\n");
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  int section = 0;
  for (int b = 1; b <= kBooks; ++b) {
    fs::path bookDir = dir / "sections" / (std::to_string(b) + " Book " + MakeWord(b));
    fs::create_directories(bookDir);
    for (int c = 1; c <= kChapters; ++c) {
      fs::path chapterDir = bookDir / (std::to_string(c) + " Chapter " + std::to_string(c));
      fs::create_directories(chapterDir);
      for (int s = 1; s <= kSectionsPerChapter; ++s, ++section) {
        std::string text = "---\ntitle: Verse " + std::to_string(s) + " " + MakeWord(section % 997) +
                           "\nsync: " + std::to_string(b) + " " + std::to_string(c) + ":" + std::to_string(s) +
                           "\n---\n{\\pard\\sa120 ";
        text += corpus.words[(section * 2) % kVocabulary] + " " + corpus.words[(section * 2 + 1) % kVocabulary];
        for (int w = 0; w < 78; ++w) {
          // Zipf-like: small indexes (common words) far more often.
          int index = static_cast<int>(std::pow(kVocabulary, uniform(rng))) - 1;
          text += (w % 12 == 11) ? ". " : " ";
          text += corpus.words[static_cast<size_t>(index) % kVocabulary];
        }
        text += ".\\par}\n";
        WriteFile(chapterDir / (std::to_string(s) + ".rtf"), text);
      }
    }
  }
}

Corpus& GetCorpus() {
  static Corpus corpus = [] {
    Corpus c;
    for (int i = 0; i < kVocabulary; ++i) c.words.push_back(MakeWord(i));
    fs::path base = fs::path(KLMW_BENCH_CACHE_DIR) / "index-bench";
    c.source = (base / "source").string();
    c.book = (base / "book").string();
    if (!fs::exists(base / "source" / "book.ini")) GenerateSource(base / "source", c);
    auto start = std::chrono::steady_clock::now();
    solt::sCompileStats stats = solt::CompileBook(c.source, c.book);
    c.compileSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    c.sourceBytes = stats.sourceBytes;
    std::fprintf(stderr, "index book: %d sections, %d words, %.1f MB of source compiled in %.2f s (%.1f MB/s)\n",
                 stats.sections, stats.words, static_cast<double>(c.sourceBytes) / 1e6, c.compileSeconds,
                 static_cast<double>(c.sourceBytes) / 1e6 / c.compileSeconds);
    return c;
  }();
  return corpus;
}

cSOLTBook& GetBook() {
  static platform::RecordingMessages messages;
  static cSOLTBook* book = [] {
    Corpus& c = GetCorpus();
    platform::SetMessages(&messages);
    auto* b = new cSOLTBook;
    std::string dir = c.book + "/";
    b->SetTextPath(dir.c_str());
    b->SetIDXPath(dir.c_str());
    b->SetDefPath(dir.c_str());
    b->SetDefMediaType("FIXED");
    b->SetPublisherID("9");
    b->SetBookID("9");
    b->SetSyncType("verse");
    if (int rc = b->Open(SOLT_ALL_FILES)) {
      std::fprintf(stderr, "cannot open the benchmark book: %s\n", cSOLTBook::GetErrorString(rc).c_str());
      std::abort();
    }
    return b;
  }();
  return *book;
}

// Reports file reads per call beside the time.
struct ReadCounter {
  explicit ReadCounter(benchmark::State& state) : m_state(state), m_start(cFileBase::GetReadCount()) {}
  ~ReadCounter() {
    m_state.counters["reads/call"] = benchmark::Counter(
        static_cast<double>(cFileBase::GetReadCount() - m_start) / static_cast<double>(m_state.iterations()));
  }
  benchmark::State& m_state;
  uint64_t m_start;
};

void BM_CompileBook(benchmark::State& state) {
  Corpus& c = GetCorpus();
  for (auto _ : state) {
    solt::CompileBook(c.source, c.book + "-again");
  }
  state.SetBytesProcessed(static_cast<int64_t>(c.sourceBytes) * state.iterations());
  fs::remove_all(c.book + "-again");
}
BENCHMARK(BM_CompileBook)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_GetEntry(benchmark::State& state) {
  cSOLTBook& book = GetBook();
  std::mt19937 rng(1);
  const int last = book.GetLastKey();
  cSectionsData entry;
  ReadCounter reads(state);
  for (auto _ : state) {
    book.GetEntry(static_cast<int>(rng() % static_cast<unsigned>(last + 1)), entry);
    benchmark::DoNotOptimize(entry);
  }
}
BENCHMARK(BM_GetEntry)->Unit(benchmark::kMicrosecond);

// Formatting the paths of a run of sibling sections, as a tree or a result
// list does; the per-level cache spares re-reading their ancestors.
void BM_FormattedPathSiblings(benchmark::State& state) {
  cSOLTBook& book = GetBook();
  const bool cached = state.range(0) != 0;
  std::mt19937 rng(2);
  const int chapters = kBooks * kChapters;
  book.GetFileSet()->GetSections().SetNameCacheEnabled(cached);
  const uint64_t startReads = cFileBase::GetReadCount();
  int64_t calls = 0;
  for (auto _ : state) {
    // The sections of one chapter: keys after the chapter's own entry.
    int chapter = static_cast<int>(rng() % chapters);
    int first = (chapter / kChapters) * (1 + kChapters * (1 + kSectionsPerChapter)) + 1 +
                (chapter % kChapters) * (1 + kSectionsPerChapter) + 1;
    for (int k = first; k < first + kSectionsPerChapter; ++k) {
      benchmark::DoNotOptimize(book.GetFormattedPathFromKey(k, " > "));
      ++calls;
    }
  }
  book.GetFileSet()->GetSections().SetNameCacheEnabled(true);
  state.counters["reads/call"] =
      benchmark::Counter(static_cast<double>(cFileBase::GetReadCount() - startReads) / static_cast<double>(calls));
  state.counters["us/call"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate |
                                                                                 benchmark::Counter::kInvert);
}
BENCHMARK(BM_FormattedPathSiblings)->Arg(1)->Arg(0)->ArgName("cache")->Unit(benchmark::kMicrosecond);

void BM_FindNearestMatchingWord(benchmark::State& state) {
  cSOLTBook& book = GetBook();
  Corpus& c = GetCorpus();
  std::mt19937 rng(3);
  std::string found;
  ReadCounter reads(state);
  for (auto _ : state) {
    const std::string& w = c.words[rng() % kVocabulary];
    benchmark::DoNotOptimize(book.FindNearestMatchingWord(w.substr(0, w.size() - 1).c_str(), found));
  }
}
BENCHMARK(BM_FindNearestMatchingWord)->Unit(benchmark::kMicrosecond);

void BM_GetKeysForWord(benchmark::State& state) {
  cSOLTBook& book = GetBook();
  Corpus& c = GetCorpus();
  std::mt19937 rng(4);
  std::vector<unsigned> keys;
  ReadCounter reads(state);
  for (auto _ : state) {
    keys.clear();
    benchmark::DoNotOptimize(book.GetKeysForWord(c.words[rng() % kVocabulary].c_str(), keys));
  }
}
BENCHMARK(BM_GetKeysForWord)->Unit(benchmark::kMicrosecond);

void BM_GetVSyncKey(benchmark::State& state) {
  cSOLTBook& book = GetBook();
  std::mt19937 rng(5);
  char text[32];
  ReadCounter reads(state);
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%u,%u,%u", static_cast<unsigned>(1 + rng() % kBooks),
                  static_cast<unsigned>(1 + rng() % kChapters), static_cast<unsigned>(1 + rng() % kSectionsPerChapter));
    benchmark::DoNotOptimize(book.GetVSyncKey(text));
  }
}
BENCHMARK(BM_GetVSyncKey)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
