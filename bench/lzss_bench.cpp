// How fast book text comes out of LZSS, measured on a corpus that looks like a
// real reference book: English prose in RTF, cut into areas the size of a
// commentary chapter. Every figure is decoded (output) bytes per second, so the
// decoders, the library's whole and chunked paths, zlib and a plain memcpy
// compare directly.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/corpus.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "soltread.h"
#include "soltread/bookwriter.h"
#include "soltread/lzss.h"

namespace {

using benchcorpus::LoadCorpus;
using benchcorpus::sCorpus;

// Where the book is written; removed again however the run ends.
std::string g_bookDir;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "lzss_bench: %s\n", what.c_str());
  if (!g_bookDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(g_bookDir, ec);
  }
  std::exit(1);
}

// ---------------------------------------------------------------------------
// The textbook decoder of this format: one byte at a
// time through the ring. It is the baseline the library has to beat.

size_t PlainRingDecode(const unsigned char* in, size_t inLen, unsigned char* out, size_t outCap) {
  unsigned char ring[4096];
  std::memset(ring, ' ', 4078);
  std::memset(ring + 4078, 0, 4096 - 4078);
  unsigned r = 4078;
  unsigned flags = 0;
  const unsigned char* end = in + inLen;
  size_t n = 0;
  for (;;) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (in == end) break;
      flags = *in++ | 0xFF00u;  // the high byte counts the eight bits used
    }
    if (flags & 1) {
      if (in == end || n == outCap) break;
      unsigned char c = *in++;
      out[n++] = c;
      ring[r] = c;
      r = (r + 1) & 4095;
    } else {
      if (end - in < 2) break;
      unsigned pos = in[0] | ((in[1] & 0xF0u) << 4);
      unsigned len = (in[1] & 0x0Fu) + 3;
      in += 2;
      for (unsigned i = 0; i < len; ++i) {
        if (n == outCap) return n;
        unsigned char c = ring[(pos + i) & 4095];
        out[n++] = c;
        ring[r] = c;
        r = (r + 1) & 4095;
      }
    }
  }
  return n;
}

// ---------------------------------------------------------------------------
// Fixture shared by every benchmark, built once before any runs.

struct sFixture {
  sCorpus corpus;
  size_t total = 0;
  size_t maxArea = 0;
  std::vector<std::string> lzss;  // each area through solt::LzssEncode
  std::vector<std::string> zlib;  // each area through compress2, level 6
  size_t lzssTotal = 0, zlibTotal = 0;
  std::vector<unsigned char> out;  // room for the largest area, header included

  std::string bookDir;
  cSOLTBook book;
  size_t bookTotal = 0;  // header + area, summed over every area
};

sFixture* g = nullptr;

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

bool Same(const unsigned char* p, const std::string& s) { return std::memcmp(p, s.data(), s.size()) == 0; }

// Zlib's inflate, reset per area rather than set up anew, to give it its best.
class cInflater {
 public:
  cInflater() {
    std::memset(&m_z, 0, sizeof m_z);
    if (inflateInit(&m_z) != Z_OK) Die("inflateInit failed");
  }
  ~cInflater() { inflateEnd(&m_z); }
  size_t Inflate(const std::string& in, unsigned char* out, size_t cap) {
    inflateReset(&m_z);
    m_z.next_in = const_cast<Bytef*>(Bytes(in));
    m_z.avail_in = static_cast<uInt>(in.size());
    m_z.next_out = out;
    m_z.avail_out = static_cast<uInt>(cap);
    int rc = inflate(&m_z, Z_FINISH);
    if (rc != Z_STREAM_END) return static_cast<size_t>(-1);
    return cap - m_z.avail_out;
  }

 private:
  z_stream m_z;
};

// Chunks of one area through the streaming decoder; returns the bytes made.
template <class Sink>
size_t DecodeChunked(solt::cLzssDecoder& decoder, const std::string& stored, unsigned char* chunk, size_t chunkSize,
                     Sink&& sink) {
  decoder.Reset();
  const unsigned char* in = Bytes(stored);
  const unsigned char* end = in + stored.size();
  size_t total = 0;
  for (;;) {
    size_t n = decoder.Decode(in, end, chunk, chunkSize);
    if (n == 0) break;
    sink(chunk, n, total);
    total += n;
  }
  return total;
}

void Verify(sFixture& f) {
  const auto& areas = f.corpus.areas;
  unsigned char* out = f.out.data();
  cInflater inflater;
  solt::cLzssDecoder decoder;
  std::vector<unsigned char> chunk(2048);
  for (size_t k = 0; k < areas.size(); ++k) {
    const std::string& a = areas[k];
    const std::string where = "area " + std::to_string(k);
    if (PlainRingDecode(Bytes(f.lzss[k]), f.lzss[k].size(), out, f.out.size()) != a.size() || !Same(out, a))
      Die("the plain ring decoder does not reproduce " + where);
    std::memset(out, 0, a.size());
    if (!solt::LzssDecodeExact(Bytes(f.lzss[k]), f.lzss[k].size(), out, a.size()) || !Same(out, a))
      Die("LzssDecodeExact does not reproduce " + where);
    bool same = true;
    size_t n = DecodeChunked(decoder, f.lzss[k], chunk.data(), chunk.size(),
                             [&](const unsigned char* p, size_t len, size_t at) {
                               same = same && at + len <= a.size() && std::memcmp(p, a.data() + at, len) == 0;
                             });
    if (!same || n != a.size()) Die("cLzssDecoder in 2,048-byte chunks does not reproduce " + where);
    if (inflater.Inflate(f.zlib[k], out, f.out.size()) != a.size() || !Same(out, a))
      Die("inflate does not reproduce " + where);

    const int key = static_cast<int>(k) + 1;
    const std::string whole = f.corpus.header + a;
    if (f.book.GetViewableAreaSize(key) != whole.size()) Die("GetViewableAreaSize is wrong for " + where);
    std::memset(out, 0, whole.size());
    if (f.book.GetViewableArea(key, reinterpret_cast<char*>(out)) != 0 || !Same(out, whole))
      Die("GetViewableArea does not reproduce " + where);
    size_t at = 0;
    char* c = reinterpret_cast<char*>(chunk.data());
    for (unsigned long got = f.book.GetFirstViewableAreaChunk(key, 2048, c); got > 0;
         got = f.book.GetNextViewableAreaChunk(c)) {
      if (got > 2048 || at + got > whole.size() || std::memcmp(c, whole.data() + at, got) != 0)
        Die("viewable area chunks do not reproduce " + where);
      at += got;
    }
    if (at != whole.size()) Die("viewable area chunks stop short in " + where);
  }
}

void Setup(sFixture& f) {
  f.corpus = LoadCorpus();
  const auto& areas = f.corpus.areas;
  f.total = f.corpus.Total();
  for (const auto& a : areas) f.maxArea = std::max(f.maxArea, a.size());
  f.out.resize(f.maxArea + f.corpus.header.size() + 64);

  for (const auto& a : areas) {
    f.lzss.push_back(solt::LzssEncode(a));
    f.lzssTotal += f.lzss.back().size();
    uLongf len = compressBound(static_cast<uLong>(a.size()));
    std::string z(len, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &len, Bytes(a), static_cast<uLong>(a.size()), 6) != Z_OK)
      Die("compress2 failed");
    z.resize(len);
    f.zlibTotal += z.size();
    f.zlib.push_back(std::move(z));
  }

  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lzss_bench.XXXXXX";
  if (!::mkdtemp(pattern.data())) Die("cannot make a temporary folder: " + std::string(std::strerror(errno)));
  f.bookDir = pattern + "/";
  g_bookDir = f.bookDir;
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 1024;
  solt::cViewableWriter writer(version);
  writer.SetCompression(1);
  writer.SetHeaderText("{\\title:Benchmark Commentary}");
  writer.SetHeaderArea(f.corpus.header);
  for (const auto& a : areas) writer.AddArea(a);
  std::string error;
  if (!writer.Write(f.bookDir, f.bookDir, &error)) Die("cannot write the book: " + error);

  f.book.SetTextPath(f.bookDir.c_str());
  f.book.SetIDXPath(f.bookDir.c_str());
  f.book.SetDefPath(f.bookDir.c_str());
  f.book.SetDefMediaType("FIXED");
  f.book.SetRegMediaType("FIXED");
  f.book.SetPublisherID(std::to_string(version.publisherID).c_str());
  f.book.SetBookID(std::to_string(version.bookID).c_str());
  f.book.SetBookName("benchmark");
  int rc = f.book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  if (rc != SOLT_OK) Die("cannot open the book: " + cSOLTBook::GetErrorString(rc));
  if (f.book.GetAreaCount() != static_cast<int>(areas.size()) + 1) Die("the book has the wrong number of areas");
  f.bookTotal = f.total + areas.size() * f.corpus.header.size();

  try {
    Verify(f);
  } catch (const platform::FileException& e) {
    Die(std::string("reading the book failed: ") + e.what());
  }

  std::fprintf(stderr,
               "corpus: %zu bytes of RTF from %s in %zu areas (%zu-%zu KB), header area %zu bytes\n"
               "LZSS:   %zu bytes stored, %.1f%% of the text\n"
               "zlib 6: %zu bytes stored, %.1f%% of the text\n",
               f.total, f.corpus.source.c_str(), areas.size(),
               std::min_element(areas.begin(), areas.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size() / 1024,
               f.maxArea / 1024, f.corpus.header.size(), f.lzssTotal, 100.0 * f.lzssTotal / f.total, f.zlibTotal,
               100.0 * f.zlibTotal / f.total);
}

void Teardown(sFixture& f) {
  f.book.Close(SOLT_ALL_OPEN);
  if (!f.bookDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(f.bookDir, ec);
    g_bookDir.clear();
  }
}

void Report(benchmark::State& state, size_t bytesPerIteration) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytesPerIteration));
  state.counters["areas"] = static_cast<double>(g->corpus.areas.size());
}

// ---------------------------------------------------------------------------

void BM_PlainRingDecoder(benchmark::State& state) {
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& s : g->lzss) {
      benchmark::DoNotOptimize(PlainRingDecode(Bytes(s), s.size(), out, g->out.size()));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_PlainRingDecoder)->Unit(benchmark::kMillisecond);

void BM_LzssDecodeWhole(benchmark::State& state) {
  unsigned char* out = g->out.data();
  const auto& areas = g->corpus.areas;
  for (auto _ : state) {
    for (size_t k = 0; k < areas.size(); ++k) {
      bool ok = solt::LzssDecodeExact(Bytes(g->lzss[k]), g->lzss[k].size(), out, areas[k].size());
      benchmark::DoNotOptimize(ok);
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_LzssDecodeWhole)->Unit(benchmark::kMillisecond);

void BM_LzssDecodeChunked(benchmark::State& state) {
  const size_t chunkSize = static_cast<size_t>(state.range(0));
  std::vector<unsigned char> chunk(chunkSize);
  solt::cLzssDecoder decoder;
  for (auto _ : state) {
    for (const auto& s : g->lzss) {
      size_t n = DecodeChunked(decoder, s, chunk.data(), chunkSize,
                               [](const unsigned char* p, size_t, size_t) { benchmark::DoNotOptimize(p); });
      benchmark::DoNotOptimize(n);
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_LzssDecodeChunked)->Arg(2048)->Arg(512)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_BookAreaWhole(benchmark::State& state) {
  char* out = reinterpret_cast<char*>(g->out.data());
  const int count = static_cast<int>(g->corpus.areas.size());
  for (auto _ : state) {
    for (int key = 1; key <= count; ++key) {
      benchmark::DoNotOptimize(g->book.GetViewableArea(key, out));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->bookTotal);
}
BENCHMARK(BM_BookAreaWhole)->Unit(benchmark::kMillisecond);

void BM_BookAreaChunked(benchmark::State& state) {
  const unsigned chunkSize = static_cast<unsigned>(state.range(0));
  std::vector<char> chunk(chunkSize);
  const int count = static_cast<int>(g->corpus.areas.size());
  for (auto _ : state) {
    for (int key = 1; key <= count; ++key) {
      for (unsigned long n = g->book.GetFirstViewableAreaChunk(key, chunkSize, chunk.data()); n > 0;
           n = g->book.GetNextViewableAreaChunk(chunk.data())) {
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
      }
    }
  }
  Report(state, g->bookTotal);
}
BENCHMARK(BM_BookAreaChunked)->Arg(2048)->Arg(512)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& state) {
  cInflater inflater;
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& z : g->zlib) {
      benchmark::DoNotOptimize(inflater.Inflate(z, out, g->out.size()));
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
  unsigned char* out = g->out.data();
  for (auto _ : state) {
    for (const auto& a : g->corpus.areas) {
      std::memcpy(out, a.data(), a.size());
      benchmark::ClobberMemory();
    }
  }
  Report(state, g->total);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The library's message boxes would land on stderr mid-table.
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  auto fixture = std::make_unique<sFixture>();
  g = fixture.get();
  Setup(*fixture);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Teardown(*fixture);
  g = nullptr;
  return 0;
}
