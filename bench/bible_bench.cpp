// Bible module speed: loading the KJS module, fetching and cleaning every
// verse, and word lookups, against grep counting "love" over the same Bible as
// one plain-text file (a whole-Bible word search without an index).
//
// KLMW_BIBLE names the module's definition (KJS.ixb); scripts/bench builds the
// sample library and sets it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "biblefile/biblemodule.h"
#include "biblefile/biblewordlist.h"
#include "biblefile/hitset.h"
#include "platform/file.h"

namespace {

std::string BiblePath() {
  const char* path = std::getenv("KLMW_BIBLE");
  return path ? path : "";
}

// One loaded module and its open text file, shared by the lookup benchmarks.
struct Loaded {
  klmw::CBibleModule module;
  platform::File file;
  bool ok = false;
};

Loaded& Module() {
  static Loaded loaded;
  static bool tried = false;
  if (!tried) {
    tried = true;
    loaded.ok = loaded.module.Load(BiblePath()) && loaded.module.OpenText(loaded.file);
  }
  return loaded;
}

bool Ready(benchmark::State& state) {
  if (Module().ok) return true;
  state.SkipWithError("no Bible module: set KLMW_BIBLE to KJS.ixb");
  return false;
}

void BM_LoadModule(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    klmw::CBibleModule m;
    benchmark::DoNotOptimize(m.Load(BiblePath()));
  }
  state.counters["words_KB"] = static_cast<double>(Module().module.GetWordListText().size()) / 1024;
}
BENCHMARK(BM_LoadModule)->Unit(benchmark::kMicrosecond);

void BM_FetchAllVerses(benchmark::State& state) {
  if (!Ready(state)) return;
  Loaded& l = Module();
  const int n = l.module.GetVerseCount();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out;
    benchmark::DoNotOptimize(l.module.GetVerses(l.file, 1, n, out));
    bytes = out.size();
  }
  state.counters["verses"] = n;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FetchAllVerses)->Unit(benchmark::kMicrosecond);

void BM_DisplayFormAllVerses(benchmark::State& state) {
  if (!Ready(state)) return;
  Loaded& l = Module();
  const int n = l.module.GetVerseCount();
  for (auto _ : state) {
    std::string out;
    for (int v = 1; v <= n; ++v) benchmark::DoNotOptimize(l.module.GetVerseText(l.file, v, out));
  }
  state.counters["verses"] = n;
}
BENCHMARK(BM_DisplayFormAllVerses)->Unit(benchmark::kMicrosecond);

const char* const kWords[] = {"LOVE", "THE", "ZZYZX"};

void BM_ExactLookup(benchmark::State& state) {
  if (!Ready(state)) return;
  klmw::CBibleWordList words = Module().module.MakeWordList();
  const std::string word = kWords[state.range(0)];
  state.SetLabel(word);
  for (auto _ : state) {
    int64_t offset = 0, length = 0;
    benchmark::DoNotOptimize(words.FindExact(word, offset, length));
  }
}
BENCHMARK(BM_ExactLookup)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_VerseSet(benchmark::State& state) {
  if (!Ready(state)) return;
  Loaded& l = Module();
  klmw::CBibleWordList words = l.module.MakeWordList();
  const std::string word = kWords[state.range(0)];
  state.SetLabel(word);
  for (auto _ : state) {
    klmw::CHitSet set;
    benchmark::DoNotOptimize(words.ReadVerseSet(l.file, word, set));
  }
  klmw::CHitSet set;
  words.ReadVerseSet(l.file, word, set);
  state.counters["verses"] = static_cast<double>(set.Count());
}
BENCHMARK(BM_VerseSet)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_NearestLookup(benchmark::State& state) {
  if (!Ready(state)) return;
  klmw::CBibleWordList words = Module().module.MakeWordList();
  for (auto _ : state) {
    words.FindNearest("LOVX");
    std::string w;
    benchmark::DoNotOptimize(words.GetNextWord(w));
  }
}
BENCHMARK(BM_NearestLookup)->Unit(benchmark::kMicrosecond);

// The reference: the same Bible as one plain-text file, searched by grep.
void BM_GrepLove(benchmark::State& state) {
  if (!Ready(state)) return;
  Loaded& l = Module();
  static std::string path;
  if (path.empty()) {
    std::string text;
    l.module.GetVerses(l.file, 1, l.module.GetVerseCount(), text);
    path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/klmw-bible-bench.txt";
    std::ofstream(path, std::ios::binary) << text;
  }
  const std::string command = "grep -c -w -i love '" + path + "' >/dev/null";
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) < 0) state.SkipWithError("grep did not run");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_GrepLove)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
