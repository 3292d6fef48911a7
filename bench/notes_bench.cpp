// The notes file (KLMW.NOT): saving one note into a file that already holds
// 1,000, 10,000 or 30,000 notes of about 1 KB of rich text (the whole file
// written beside the old one, flushed and renamed; goal: 100 ms at 10,000),
// opening the file and reading one note, and reading one note from the
// opened store.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "notesstore/compoundfile.h"
#include "notesstore/notesfile.h"

namespace {

std::string Note(long position) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs20 Note on verse " +
                    std::to_string(position) + ": ";
  while (rtf.size() < 1000) rtf += "grace and peace be multiplied unto you \\b through\\b0  the knowledge ";
  return rtf + "\\par}";
}

// A notes file of count notes, spread over the Bible's verses, made once.
std::string Fixture(long count) {
  static std::map<long, std::string> made;
  auto it = made.find(count);
  if (it != made.end()) return it->second;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("notes_bench_" + std::to_string(count) + ".NOT")).string();
  std::map<std::string, std::map<std::string, std::string>> storages;
  for (long i = 0; i < count; ++i) {
    const long position = i * 31102 / count;
    storages[klmw::kBibleNotesStorage][std::to_string(position)] = Note(position);
  }
  const std::string bytes = klmw::cfb::WriteCompoundFile(storages);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) std::abort();
  made[count] = path;
  return path;
}

void BM_SaveOneNote(benchmark::State& state) {
  const std::string path = Fixture(state.range(0));
  klmw::CNotesFile notes;
  std::string error;
  if (!notes.Open(path, error) || !notes.DamagedCopy().empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  long i = 0;
  for (auto _ : state) {
    if (!notes.Put(klmw::kBibleNotesStorage, 26136 + (i++ % 2), Note(26136), error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_SaveOneNote)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenAndReadOneNote(benchmark::State& state) {
  const std::string path = Fixture(state.range(0));
  std::string rtf, error;
  for (auto _ : state) {
    klmw::CNotesFile notes;
    if (!notes.Open(path, error) || !notes.Get(klmw::kBibleNotesStorage, 0, rtf)) {
      state.SkipWithError(("no note read " + error).c_str());
      return;
    }
    benchmark::DoNotOptimize(rtf.data());
  }
}
BENCHMARK(BM_OpenAndReadOneNote)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadOneNoteOpened(benchmark::State& state) {
  const std::string path = Fixture(state.range(0));
  klmw::CNotesFile notes;
  std::string rtf, error;
  if (!notes.Open(path, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    notes.Get(klmw::kBibleNotesStorage, 0, rtf);
    benchmark::DoNotOptimize(rtf.data());
  }
}
BENCHMARK(BM_ReadOneNoteOpened)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
