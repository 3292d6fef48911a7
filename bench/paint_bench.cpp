// Colour data speed: converting a whole .pip file of 31,102 verses (in
// memory, and as a Bible window's first opening does it: read, convert,
// write the colour index and the paint file), a verse's record read from the
// paint file, and "next verse of this colour" over the colour index.
//
// The .pip is made here, in a temporary folder: every verse has between one
// and nine colour changes, one verse in eight an underlined word.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/bibles/paint.h"
#include "platform/coding.h"
#include "platform/messages.h"

namespace {

std::string MakePip() {
  std::string pip((klmw::kColorVerses + 1) * klmw::kPipRecordSize, '\0');
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int v = 1; v <= klmw::kColorVerses; ++v) {
    char* p = pip.data() + static_cast<size_t>(v) * klmw::kPipRecordSize;
    const int entries = 1 + static_cast<int>(next() % 9);
    int word = 1;
    for (int i = 0; i < entries; ++i, p += 5) {
      word += 1 + static_cast<int>(next() % 4);
      platform::EncodeFixed32(p, static_cast<uint32_t>(word));
      p[4] = static_cast<char>(i % 2 ? 0 : 1 + next() % 14);
      if (v % 8 == 0 && i == 0) p[4] = static_cast<char>(0x81);
    }
  }
  return pip;
}

struct Folder {
  std::string path;
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "klmw-paintbench-XXXXXX").string();
    path = ::mkdtemp(pattern.data()) ? pattern + "/" : "";
    std::ofstream(path + "KJS.pip", std::ios::binary) << MakePip();
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

Folder& Files() {
  static Folder folder;
  return folder;
}

platform::RecordingMessages& Quiet() {
  static platform::RecordingMessages messages;
  static platform::ScopedMessages scoped(&messages);
  messages.m_shown.clear();
  return messages;
}

void BM_ConvertPipInMemory(benchmark::State& state) {
  const std::string pip = MakePip();
  Quiet();
  for (auto _ : state) {
    std::vector<klmw::CVerseColors> records(klmw::kColorVerses, klmw::CVerseColors::Fresh());
    klmw::CColorIndex index;
    bool clamp = false;
    klmw::ConvertPip(pip, klmw::PipMode::Color, 14, records, index, clamp);
    benchmark::DoNotOptimize(records.data());
  }
}
BENCHMARK(BM_ConvertPipInMemory)->Unit(benchmark::kMillisecond);

// The first window of a run: .pip read and converted, COLORNDX and the
// paint file written (each synced to disk) and the paint file opened.
void BM_ConvertPipToFiles(benchmark::State& state) {
  Quiet();
  for (auto _ : state) {
    klmw::CPaintRun run;
    run.SetColorMode(klmw::kColorUsePip);
    klmw::CPaint paint(run, Files().path);
    benchmark::DoNotOptimize(paint.ChooseBible("KJS"));
  }
}
BENCHMARK(BM_ConvertPipToFiles)->Unit(benchmark::kMillisecond);

void BM_UnderlineMergeToFiles(benchmark::State& state) {
  Quiet();
  for (auto _ : state) {
    klmw::CPaintRun run;
    run.SetColorMode(klmw::kColorMergePaintAndUnderlined);
    klmw::CPaint paint(run, Files().path);
    benchmark::DoNotOptimize(paint.ChooseBible("KJS"));
  }
}
BENCHMARK(BM_UnderlineMergeToFiles)->Unit(benchmark::kMillisecond);

// Records of verses far apart, each a seek and a read (the cache misses).
void BM_RecordFromPaintFile(benchmark::State& state) {
  Quiet();
  klmw::CPaintRun run;
  run.SetColorMode(klmw::kColorUsePip);
  klmw::CPaint(run, Files().path).ChooseBible("KJS");
  klmw::CPaintRun later;
  klmw::CPaint paint(later, Files().path);
  paint.ChooseBible("KJS");
  int v = 0;
  for (auto _ : state) {
    v = (v + 7919) % klmw::kColorVerses;
    benchmark::DoNotOptimize(paint.GetSegments(v, "In the beginning God created the heaven and the earth."));
  }
}
BENCHMARK(BM_RecordFromPaintFile)->Unit(benchmark::kMicrosecond);

// The worst case: the only verse of the colour is the last, searched from
// the first.
void BM_NextVerseOfColourWorst(benchmark::State& state) {
  klmw::CColorIndex index;
  index.Mark(11, klmw::kColorVerses - 1);
  for (auto _ : state) benchmark::DoNotOptimize(index.NextVerse(12, 0));
}
BENCHMARK(BM_NextVerseOfColourWorst)->Unit(benchmark::kMicrosecond);

// Stepping through every verse of a colour of the converted index.
void BM_NextVerseOfColourWalk(benchmark::State& state) {
  Quiet();
  klmw::CPaintRun run;
  run.SetColorMode(klmw::kColorUsePip);
  klmw::CPaint paint(run, Files().path);
  paint.ChooseBible("KJS");
  int v = -1;
  for (auto _ : state) {
    v = paint.NextVerseWithColor(3, v);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_NextVerseOfColourWalk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
