// Search speed: a query over the KJS module from the words and colours to the
// Hits window's list of labels. The goal is 10 ms a query. The same over
// Nave's Topical Bible, a book searched through its concordance, and the
// opening words of the sections the Hits window shows at once.
//
// KLMW_BIBLE names the module's definition (KJS.ixb). The colour index is
// COLORNDX.KJS beside it when there is one; otherwise one is made with
// a third of the verses in colour code 2 and a tenth underlined. KLMW_REFLIB
// names the reference library the book is read from (its folder naves/).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/bibles/colorindex.h"
#include "app/search/hitlist.h"
#include "app/search/searchrun.h"
#include "bench/ui/bookdir.h"
#include "biblefile/biblemodule.h"
#include "platform/file.h"

namespace {

struct Loaded {
  klmw::CBibleModule module;
  platform::File file;
  std::string index;
  bool ok = false;
};

Loaded& Module() {
  static Loaded loaded;
  static bool tried = false;
  if (tried) return loaded;
  tried = true;
  const char* path = std::getenv("KLMW_BIBLE");
  if (!path || !loaded.module.Load(path) || !loaded.module.OpenText(loaded.file)) return loaded;
  const std::string dir = std::filesystem::path(path).parent_path().string() + "/";
  loaded.index = klmw::ColorIndexPath(dir, loaded.module.GetCode());
  if (!std::filesystem::exists(loaded.index)) {
    loaded.index = (std::filesystem::temp_directory_path() / "search_bench.COLORNDX").string();
    klmw::CColorIndex index;
    for (int v = 0; v < loaded.module.GetVerseCount(); ++v) {
      if (v % 3 == 0) index.Mark(2, v);
      if (v % 10 == 0) index.Mark(klmw::kUnderlineSet, v);
    }
    if (!index.Save(loaded.index, klmw::kColorIndexSets)) return loaded;
  }
  loaded.ok = true;
  return loaded;
}

void BM_Search(benchmark::State& state, const char* text, int mode, std::vector<int> colors, bool woc) {
  Loaded& m = Module();
  if (!m.ok) {
    state.SkipWithError("no Bible module: set KLMW_BIBLE to KJS.ixb");
    return;
  }
  klmw::SearchRequest request = klmw::SearchRequest::FromText(text, mode);
  request.colors = colors;
  request.wordsOfGod = woc;
  size_t hits = 0;
  for (auto _ : state) {
    const klmw::SearchResult result = klmw::RunBibleSearch(m.module, m.file, request, m.index);
    const std::vector<klmw::HitEntry> list = klmw::BibleHitList(m.module, result.hits);
    std::string title = klmw::HitsTitle(list.size(), request.words);
    benchmark::DoNotOptimize(title);
    hits = list.size();
  }
  state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK_CAPTURE(BM_Search, faith_hope, "faith hope", klmw::kSearchAnd, {}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, love, "love", klmw::kSearchAnd, {}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, the_or_and, "the and", klmw::kSearchOr, {}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, colour, "", klmw::kSearchAnd, {2}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, love_colour_woc, "love", klmw::kSearchAnd, {2, 5}, true)->Unit(benchmark::kMillisecond);
// A quoted phrase: the AND search's verses read again and matched word for word.
BENCHMARK_CAPTURE(BM_Search, phrase_in_the_beginning, "\"in the beginning\"", klmw::kSearchAnd, {}, false)
    ->Unit(benchmark::kMillisecond);

// Nave's Topical Bible as the reference library holds it; null when absent.
const cSOLTBook* Naves() {
  static cSOLTBook book;
  static const bool ok = [] {
    const char* lib = std::getenv("KLMW_REFLIB");
    return benchbooks::RegisteredBook(std::string(lib ? lib : "build-bench/reference-library") + "/naves/", book);
  }();
  return ok ? &book : nullptr;
}

void BM_BookSearch(benchmark::State& state, const char* text, int mode) {
  const cSOLTBook* book = Naves();
  if (!book) {
    state.SkipWithError("no Nave's Topical Bible: set KLMW_REFLIB to the reference library");
    return;
  }
  const klmw::SearchRequest request = klmw::SearchRequest::FromText(text, mode);
  size_t hits = 0;
  for (auto _ : state) {
    const klmw::SearchResult result = klmw::RunBookSearch(*book, request);
    const std::vector<klmw::HitEntry> list = klmw::BookHitList(*book, result.hits);
    benchmark::DoNotOptimize(list.data());
    hits = list.size();
  }
  if (hits == 0) state.SkipWithError("the query found nothing in the book");
  state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK_CAPTURE(BM_BookSearch, naves_abraham, "abraham", klmw::kSearchAnd)->Unit(benchmark::kMillisecond);
// The commonest of words, in some two thousand sections.
BENCHMARK_CAPTURE(BM_BookSearch, naves_the, "the", klmw::kSearchAnd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BookSearch, naves_faith_works, "faith works", klmw::kSearchAnd)->Unit(benchmark::kMillisecond);

// The previews of the first 30 sections "faith" finds: a screenful of rows.
void BM_SectionPreviews(benchmark::State& state) {
  const cSOLTBook* book = Naves();
  if (!book) {
    state.SkipWithError("no Nave's Topical Bible: set KLMW_REFLIB to the reference library");
    return;
  }
  const klmw::CHitSet hits = klmw::RunBookSearch(*book, klmw::SearchRequest::FromText("faith")).hits;
  std::vector<long> keys;
  for (long p = hits.Next(-1); p >= 0 && keys.size() < 30; p = hits.Next(p)) keys.push_back(p);
  size_t chars = 0;
  for (auto _ : state) {
    chars = 0;
    for (long key : keys) chars += klmw::SectionPreview(*book, key).size();
    benchmark::DoNotOptimize(chars);
  }
  state.counters["rows"] = static_cast<double>(keys.size());
  state.counters["chars"] = static_cast<double>(chars);
}

BENCHMARK(BM_SectionPreviews)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
