// Bible references read from text: the whole of Matthew Henry's Concise
// Commentary scanned paragraph by paragraph as a document's references are
// (MB/s of plain text, references found per MB; goal 20 MB/s), and
// references typed by a user read with every option on (µs per call; goal
// 1 ms).
//
// Before the figures, on stderr: the forms the commentary writes its
// references in (book names as "Book", numbers as "n", a list's later
// members after their ";" or ","), the most frequent with an example, and the
// words standing before a chapter:verse that the recogniser did not read.
// The book comes from the reference library scripts/bench builds;
// KLMW_REFLIB names its folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/ui/bookdir.h"
#include "include/soltread.h"
#include "refbase/translation.h"
#include "textpane.h"
#include "textpane/refs/refreader.h"
#include "textpane/refs/reftokens.h"

namespace {

// The commentary's text, one string per paragraph.
const std::vector<std::string>& Paragraphs() {
  static std::vector<std::string> paragraphs = [] {
    std::vector<std::string> out;
    const char* lib = std::getenv("KLMW_REFLIB");
    const std::string dir = std::string(lib ? lib : "build-bench/reference-library") + "/mhcc/";
    cSOLTBook book;
    if (!benchbooks::RegisteredBook(dir, book) || book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX) != SOLT_OK) return out;
    const size_t header = book.GetHeaderAreaLength();
    std::string rtf;
    for (int k = 0; k < book.GetAreaCount(); ++k) {
      std::string area(book.GetViewableAreaSize(k), '\0');
      if (!area.empty()) book.GetViewableArea(k, area.data());
      rtf += k == 0 || area.size() < header ? area : area.substr(header);
    }
    textpane::CRtfDoc doc;
    doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
    const std::string text = doc.GetText(textpane::FORMAT_TEXT);
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) out.push_back(std::move(line));
      at = end + 1;
    }
    return out;
  }();
  return paragraphs;
}

size_t TextBytes() {
  size_t n = 0;
  for (const std::string& p : Paragraphs()) n += p.size();
  return n;
}

textpane::RefReadOptions Scanning() {
  textpane::RefReadOptions options;
  options.translation = cTranslation::GetTranslationIDFromName("KJV");
  return options;
}

// The shape of the words a range was read from.
std::string Form(std::string_view words) {
  textpane::RefTokenOptions options;
  std::string form;
  for (const textpane::RefTokenInfo& t : textpane::RefTokens(words, options)) {
    const std::string_view s = words.substr(t.start, t.end - t.start);
    switch (t.kind) {
      case textpane::RefToken::BookName:
        form += s.back() == '.' ? "Book." : "Book";
        break;
      case textpane::RefToken::Label:
        for (char c : s)
          if (!std::isdigit(static_cast<unsigned char>(c))) {
            form += "n";
            form += c;
            goto labelled;
          }
        form += "n";
      labelled:
        break;
      case textpane::RefToken::White:
        form += ' ';
        break;
      default:
        for (char c : s) form += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return form;
}

void PrintTop(const char* title, const std::map<std::string, std::pair<int, std::string>>& counts, size_t top) {
  std::vector<std::pair<int, std::string>> order;
  for (const auto& [key, value] : counts) order.emplace_back(value.first, key);
  std::sort(order.rbegin(), order.rend());
  std::fprintf(stderr, "%s\n", title);
  for (size_t i = 0; i < order.size() && i < top; ++i)
    std::fprintf(stderr, "  %6d  %-24s e.g. \"%s\"\n", order[i].first, order[i].second.c_str(),
                 counts.at(order[i].second).second.c_str());
}

// A word (perhaps after "1"-"3" and a blank), a blank, digits ":" digits
// starting at pos, not inside a range read: the word, else "".
std::string MissedBefore(std::string_view p, size_t pos) {
  size_t at = pos;
  if (at < p.size() && p[at] >= '1' && p[at] <= '3') at += at + 1 < p.size() && p[at + 1] == ' ' ? 2 : 1;
  if (at >= p.size() || !std::isupper(static_cast<unsigned char>(p[at]))) return {};
  size_t end = at;
  while (end < p.size() && std::isalpha(static_cast<unsigned char>(p[end]))) ++end;
  if (end < p.size() && p[end] == '.') ++end;
  size_t n = end;
  if (n >= p.size() || p[n] != ' ') return {};
  ++n;
  const size_t digits = n;
  while (n < p.size() && std::isdigit(static_cast<unsigned char>(p[n]))) ++n;
  if (n == digits || n >= p.size() || p[n] != ':' || n + 1 >= p.size() ||
      !std::isdigit(static_cast<unsigned char>(p[n + 1])))
    return {};
  return std::string(p.substr(pos, end - pos));
}

void ReportForms() {
  std::map<std::string, std::pair<int, std::string>> forms, missed;
  textpane::CReferenceReader reader(Scanning());
  size_t found = 0;
  for (const std::string& p : Paragraphs()) {
    std::vector<textpane::Range> ranges;
    reader.FindReferences(p, ranges);
    found += ranges.size();
    std::vector<bool> covered(p.size() + 1, false);
    for (const textpane::Range& r : ranges) {
      std::string_view words(p.data() + r.TextStart(), r.TextEnd() - r.TextStart());
      // A later member of a list shows what joined it.
      size_t before = r.TextStart();
      while (before > 0 && p[before - 1] == ' ') --before;
      std::string form = Form(words);
      if (before > 0 && (p[before - 1] == ';' || p[before - 1] == ',')) form = std::string(1, p[before - 1]) + " " + form;
      auto& entry = forms[form];
      if (entry.first++ == 0) entry.second = std::string(words);
      for (size_t i = r.TextStart(); i < r.TextEnd(); ++i) covered[i] = true;
    }
    for (size_t i = 0; i < p.size(); ++i) {
      if (covered[i] || (i > 0 && std::isalnum(static_cast<unsigned char>(p[i - 1])))) continue;
      const std::string word = MissedBefore(p, i);
      if (word.empty()) continue;
      auto& entry = missed[word];
      if (entry.first++ == 0) entry.second = p.substr(i, std::min<size_t>(24, p.size() - i));
    }
  }
  std::fprintf(stderr, "Matthew Henry's Concise Commentary: %zu paragraphs, %zu bytes of text, %zu ranges read\n",
               Paragraphs().size(), TextBytes(), found);
  PrintTop("the forms its references are read in:", forms, 20);
  PrintTop("words before a chapter:verse the recogniser passed over:", missed, 20);
}

void BM_ScanCommentary(benchmark::State& state) {
  if (Paragraphs().empty()) {
    state.SkipWithError("no Matthew Henry's Concise Commentary (KLMW_REFLIB)");
    return;
  }
  size_t found = 0;
  for (auto _ : state) {
    textpane::CReferenceReader reader(Scanning());
    std::vector<textpane::Range> ranges;
    for (const std::string& p : Paragraphs()) reader.FindReferences(p, ranges);
    found = ranges.size();
    benchmark::DoNotOptimize(ranges.data());
  }
  const double mb = static_cast<double>(TextBytes()) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes()));
  state.counters["refs_per_MB"] = static_cast<double>(found) / mb;
  state.SetLabel("mhcc, " + std::to_string(found) + " ranges");
}
BENCHMARK(BM_ScanCommentary)->Unit(benchmark::kMillisecond);

const char* const kTyped[] = {"Gen 1:1-3; 2:4, 6", "jn 3 16", "1 cor 13", "Ps 23", "rom 8.28-9.3 (niv)", "gn"};

// A reader made for each call, as for each reference a user types.
void BM_TypedReference(benchmark::State& state) {
  const char* text = kTyped[state.range(0)];
  textpane::RefReadOptions options = Scanning();
  options.period = options.loneBook = options.blankSeparator = true;
  size_t read = 0;
  for (auto _ : state) {
    textpane::CReferenceReader reader(options);
    std::vector<textpane::Range> ranges;
    size_t error = 0;
    benchmark::DoNotOptimize(reader.ReadReferences(text, ranges, error));
    read = ranges.size();
  }
  state.SetLabel(std::string(text) + " -> " + std::to_string(read));
}
BENCHMARK(BM_TypedReference)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Paragraphs().empty()) ReportForms();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
