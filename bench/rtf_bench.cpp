// Reading book RTF into the rich-text engine's model, in MB/s of RTF, the way
// a book window reads a section: through the read callback in 2,048-byte
// pieces. The text is the benchmarks' corpus made into book text the way the
// book compiler makes it: concordance spans around the words, level marks,
// verse links. unrtf, run on a 5 MB piece of the same text in the same run,
// is the reference.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/corpus.h"
#include "textpane.h"

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Wraps every word of the readable text in a concordance span and marks a
// level every twenty paragraphs, as a compiled book's areas look.
std::string MakeBookRtf(const std::string& rtf) {
  std::string out;
  out.reserve(rtf.size() * 3);
  int depthInTarget = 0;  // inside a link target group: no spans
  int depth = 0;
  int paragraphs = 0;
  int level = 0;
  out += "\\soltstartlevel0 ";
  ++level;
  for (size_t i = 0; i < rtf.size();) {
    char c = rtf[i];
    if (c == '\\') {
      size_t j = i + 1;
      while (j < rtf.size() && IsLetter(rtf[j])) ++j;
      if (j == i + 1) j = std::min(rtf.size(), j + (rtf[j] == '\'' ? 3 : 1));
      while (j < rtf.size() && (std::isdigit(static_cast<unsigned char>(rtf[j])) || rtf[j] == '-')) ++j;
      if (j < rtf.size() && rtf[j] == ' ') ++j;
      std::string_view word(rtf.data() + i, j - i);
      if (word.substr(0, 11) == "\\soltlinkto") depthInTarget = depth;
      out.append(word);
      if (word.substr(0, 4) == "\\par" && (word.size() == 4 || word[4] == ' ') && ++paragraphs % 20 == 0)
        out += "\\soltstartlevel" + std::to_string(level++) + " ";
      i = j;
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}' && depth-- == depthInTarget) depthInTarget = 0;
    if (IsLetter(c) && !depthInTarget) {
      size_t j = i;
      while (j < rtf.size() && IsLetter(rtf[j])) ++j;
      out += "{\\soltconcordanceon}";
      out.append(rtf, i, j - i);
      out += "\\soltconcordanceoff ";
      i = j;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

struct Texts {
  std::vector<std::string> documents;  // each a whole RTF document
  size_t total = 0;
};

const Texts& GetTexts() {
  static Texts texts = [] {
    benchcorpus::sCorpus corpus = benchcorpus::LoadCorpus();
    Texts t;
    for (const std::string& area : corpus.areas) {
      // The corpus header opens the document's group; the area closes it.
      std::string doc = corpus.header + MakeBookRtf(area);
      while (!doc.empty() && (doc.back() == '\n' || doc.back() == '\r')) doc.pop_back();
      t.total += doc.size();
      t.documents.push_back(std::move(doc));
      if (t.total >= 12u * 1000 * 1000) break;
    }
    std::fprintf(stderr, "book RTF: %zu documents, %.1f MB\n", t.documents.size(), static_cast<double>(t.total) / 1e6);
    return t;
  }();
  return texts;
}

struct Source {
  const std::string* text;
  size_t at;
};
Source g_source;

textpane::DWORD ReadPiece(textpane::DWORD_PTR, char* buffer, long size, long* count) {
  size_t n = std::min(static_cast<size_t>(size), g_source.text->size() - g_source.at);
  std::memcpy(buffer, g_source.text->data() + g_source.at, n);
  g_source.at += n;
  *count = static_cast<long>(n);
  return 0;
}

void BM_ReadRtfCallback2048(benchmark::State& state) {
  const Texts& t = GetTexts();
  for (auto _ : state) {
    for (const std::string& doc : t.documents) {
      textpane::CRtfDoc model;
      g_source = {&doc, 0};
      model.SetText(ReadPiece, 0, textpane::FORMAT_RTF);
      benchmark::DoNotOptimize(model.FirstParagraph());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(t.total) * state.iterations());
}
BENCHMARK(BM_ReadRtfCallback2048)->Unit(benchmark::kMillisecond);

void BM_ReadRtfMemory(benchmark::State& state) {
  const Texts& t = GetTexts();
  for (auto _ : state) {
    for (const std::string& doc : t.documents) {
      textpane::CRtfDoc model;
      model.SetText(doc.data(), doc.size(), textpane::FORMAT_RTF);
      benchmark::DoNotOptimize(model.FirstParagraph());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(t.total) * state.iterations());
}
BENCHMARK(BM_ReadRtfMemory)->Unit(benchmark::kMillisecond);

// Writing the models back, as RTF and as plain text (MB/s of the RTF read).
void WriteAll(benchmark::State& state, textpane::FORMAT format) {
  const Texts& t = GetTexts();
  std::vector<std::unique_ptr<textpane::CRtfDoc>> models;
  for (const std::string& doc : t.documents) {
    models.push_back(std::make_unique<textpane::CRtfDoc>());
    models.back()->SetText(doc.data(), doc.size(), textpane::FORMAT_RTF);
  }
  size_t written = 0;
  for (auto _ : state) {
    written = 0;
    for (const auto& model : models) written += model->GetText(format).size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(t.total) * state.iterations());
  state.counters["output_MB"] = static_cast<double>(written) / 1e6;
}
void BM_WriteRtf(benchmark::State& state) { WriteAll(state, textpane::FORMAT_RTF); }
void BM_WriteText(benchmark::State& state) { WriteAll(state, textpane::FORMAT_TEXT); }
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);

// Heap held by the models of all documents at once, against their RTF size.
void BM_ModelMemory(benchmark::State& state) {
  const Texts& t = GetTexts();
  double ratio = 0;
  for (auto _ : state) {
    size_t before = mallinfo2().uordblks;
    std::vector<std::unique_ptr<textpane::CRtfDoc>> models;
    for (const std::string& doc : t.documents) {
      models.push_back(std::make_unique<textpane::CRtfDoc>());
      models.back()->SetText(doc.data(), doc.size(), textpane::FORMAT_RTF);
    }
    size_t after = mallinfo2().uordblks;
    ratio = static_cast<double>(after - before) / static_cast<double>(t.total);
  }
  state.counters["model/input"] = ratio;
}
BENCHMARK(BM_ModelMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The reference: unrtf turning 5 MB of the same text into plain text.
void BM_UnrtfText5MB(benchmark::State& state) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0) {
    state.SkipWithError("unrtf is not installed (apt-get install unrtf)");
    return;
  }
  const Texts& t = GetTexts();
  // One document of about 5 MB: the first document's header, then bodies.
  // Each document ends with the brace that closes it; the bodies go in between.
  std::string big = t.documents[0].substr(0, t.documents[0].rfind('}'));
  for (size_t k = 1; k < t.documents.size() && big.size() < 5u * 1000 * 1000; ++k) {
    const std::string& d = t.documents[k];
    size_t body = d.find("\\soltstartlevel0 ");
    big.append(d, body, d.rfind('}') - body);
  }
  big += '}';
  const std::string path = std::string(KLMW_BENCH_CACHE_DIR) + "/rtf-bench-5mb.rtf";
  std::ofstream(path, std::ios::binary) << big;
  const std::string command = "unrtf --text '" + path + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("unrtf failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(big.size()) * state.iterations());
  // Our reader on the same 5 MB, for the ratio.
  auto start = std::chrono::steady_clock::now();
  textpane::CRtfDoc model;
  model.SetText(big.data(), big.size(), textpane::FORMAT_RTF);
  double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["ours_MB/s"] = static_cast<double>(big.size()) / 1e6 / ours;
}
BENCHMARK(BM_UnrtfText5MB)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
