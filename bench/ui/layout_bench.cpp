// Layout and drawing of real book text with the screen's fonts, against Qt's
// own QTextDocument laying out the same visible text as plain text.
//
// The texts are the largest area of Nave's Topical Bible (at most about
// 400 KB of RTF since the compiler bounds areas; 900 KB before) and the whole
// of the Treasury of David (its areas in one document: about 17 MB of RTF,
// 12 MB visible), from the reference library that scripts/bench
// builds; KLMW_REFLIB names its folder. Figures are bytes of visible text a
// second; the layout width is 1,000 pixels.
#include <benchmark/benchmark.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextDocument>
#include <QAbstractTextDocumentLayout>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/ui/bookdir.h"
#include "include/soltread.h"
#include "platform/coding.h"
#include "platform/cp1252.h"
#include "textpane.h"
#include "textpane/layout/layout.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtsurface.h"

namespace {

constexpr int kWidthPixels = 1000;

struct Text {
  std::string name;
  std::string rtf;
  std::unique_ptr<textpane::CRtfDoc> doc;
  QString plain;
  size_t visible = 0;
};

// A book's largest area (header included), or with `whole` every area after
// one header: the book's whole text as one document.
std::string BookText(const std::string& dir, bool whole) {
  cSOLTBook book;
  if (!benchbooks::RegisteredBook(dir, book) || book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX) != SOLT_OK) return {};
  auto area = [&book](int k) {
    std::string text(book.GetViewableAreaSize(k), '\0');
    if (!text.empty()) book.GetViewableArea(k, text.data());
    return text;
  };
  if (whole) {
    const size_t header = book.GetHeaderAreaLength();
    std::string out;
    for (int k = 0; k < book.GetAreaCount(); ++k) {
      const std::string text = area(k);
      out += k == 0 || text.size() < header ? text : text.substr(header);
    }
    return out;
  }
  int best = 0;
  for (int k = 1; k < book.GetAreaCount(); ++k) {
    if (book.GetViewableAreaSize(k) > book.GetViewableAreaSize(best)) best = k;
  }
  return area(best);
}

Text& Load(int which) {
  static Text texts[2];
  Text& t = texts[which];
  if (t.doc) return t;
  const char* lib = std::getenv("KLMW_REFLIB");
  const std::string root = lib ? lib : "build-bench/reference-library";
  t.name = which == 0 ? "naves" : "tdavid";
  t.rtf = which == 0 ? BookText(root + "/naves/", false) : BookText(root + "/tdavid/", true);
  t.doc = std::make_unique<textpane::CRtfDoc>();
  t.doc->SetText(t.rtf.data(), t.rtf.size(), textpane::FORMAT_RTF);
  const std::string visible = t.doc->GetText(textpane::FORMAT_TEXT);
  t.visible = visible.size();
  const std::u16string u = platform::Cp1252ToUtf16(visible);
  t.plain = QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
  std::fprintf(stderr, "%s: %zu bytes of RTF, %zu of visible text\n", t.name.c_str(), t.rtf.size(), t.visible);
  return t;
}

int32_t LayoutWidth(int pixels) {
  return static_cast<int32_t>(pixels * textpane::QtFontSystem::Screen().UnitsPerPixel(100));
}

// Laying out the whole text; with the second argument 1 the window is made
// narrower and wider again, pass after pass (a relayout after a width change).
void BM_Layout(benchmark::State& state) {
  Text& t = Load(static_cast<int>(state.range(0)));
  if (t.visible == 0) {
    state.SkipWithError("no reference library (KLMW_REFLIB)");
    return;
  }
  const bool resize = state.range(1) != 0;
  auto fonts = textpane::FontCache::ForScaling(textpane::QtFontSystem::Screen(), 100);
  textpane::DocumentLayout layout;
  // The fonts are made once per scaling; a window's first layout pays for them.
  layout.Layout(*t.doc, fonts, LayoutWidth(kWidthPixels));
  int pass = 0;
  for (auto _ : state) {
    layout.Layout(*t.doc, fonts, LayoutWidth(resize && ++pass % 2 ? kWidthPixels - 100 : kWidthPixels));
    benchmark::DoNotOptimize(layout.Height());
  }
  state.SetLabel(t.name + (resize ? " after a width change" : ""));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.visible));
  state.counters["memory_per_visible_byte"] = static_cast<double>(layout.MemoryUsed()) / static_cast<double>(t.visible);
}
BENCHMARK(BM_Layout)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond);

// Qt's rich-text document laying out the visible text alone, without any
// formatting; the text is set before the clock starts.
void BM_QTextDocument(benchmark::State& state) {
  Text& t = Load(static_cast<int>(state.range(0)));
  if (t.visible == 0) {
    state.SkipWithError("no reference library (KLMW_REFLIB)");
    return;
  }
  int pass = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Times New Roman"), 12));
    doc.setPlainText(t.plain);
    state.ResumeTiming();
    doc.setTextWidth(++pass % 2 ? kWidthPixels - 100 : kWidthPixels);
    benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
  }
  state.SetLabel(t.name);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.visible));
}
BENCHMARK(BM_QTextDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.1);

// A full repaint of a 1920 × 1080 view in the middle of the text, on the
// offscreen raster.
void BM_Repaint(benchmark::State& state) {
  Text& t = Load(static_cast<int>(state.range(0)));
  if (t.visible == 0) {
    state.SkipWithError("no reference library (KLMW_REFLIB)");
    return;
  }
  const double units = textpane::QtFontSystem::Screen().UnitsPerPixel(100);
  textpane::DocumentLayout layout;
  layout.Layout(*t.doc, textpane::FontCache::ForScaling(textpane::QtFontSystem::Screen(), 100), LayoutWidth(1920));
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  const textpane::LRect clip{0, 0, LayoutWidth(1920), LayoutWidth(1080)};
  const int64_t top = layout.Height() / 2;
  for (auto _ : state) {
    QPainter painter(&image);
    textpane::QtSurface surface(painter, units);
    surface.FillRect(clip, textpane::Colors::ScreenColors().GetColor(textpane::kRoleBackground));
    layout.Draw(surface, textpane::Colors::ScreenColors(), textpane::DrawArea{top, 0, clip});
  }
  state.SetLabel(t.name);
}
BENCHMARK(BM_Repaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
