// A Bible window's work, as the Bible view does it, painted into a 1920 ×
// 1080 image on the offscreen raster with the screen's fonts:
//
//   open    a new window (its own document, verse text file and view) at a
//           verse, to the painted verses; verses spread over the whole Bible
//   verse   one verse down: the window laid out again from the new top
//           verse and painted
//   page    one page down (by lines) likewise
//
// The goals: open 20 ms, a verse 2 ms, a page 4 ms. KLMW_BIBLE names the
// Bible definition (the sample library's KJS.ixb).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/bibles/bibleviewcore.h"
#include "app/shell/ui/bibdoc.h"
#include "biblefile/biblemodule.h"
#include "textpane/layout/colors.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtsurface.h"
#include "textpane/view/rtfviewcore.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1920, kHeight = 1080;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int32_t Units() {
  return textpane::CRtfViewCore::UnitsPerPixel(
      100, static_cast<int>(std::lround(textpane::QtFontSystem::Screen().PixelsPerInch())));
}

struct Window {
  klmw::CBibDoc doc;
  klmw::CBibleViewCore core;
  QImage image{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

  explicit Window(const klmw::CBibleModule& bible)
      : core(textpane::FontCache::ForScaling(textpane::QtFontSystem::Screen(), 100), Units()) {
    doc.BindBible(&bible);
    core.SetBible(&bible, &doc.GetVerses(), bible.GetCode());
    core.SetSize(kWidth * Units(), kHeight * Units());
  }
  klmw::CBibleColours colours = klmw::CBibleColours::ForPage(0xFFFFFF, 0);
  void Paint() {
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::white);
    textpane::QtSurface surface(painter, Units());
    core.Draw(surface, colours);
  }
};

struct Stats {
  std::vector<double> ms;
  void Add(double v) { ms.push_back(v); }
  void Print(const char* what, double goal) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    std::printf("  %-6s %5zu runs: mean %6.3f ms, median %6.3f, 99th %6.3f, worst %6.3f ms (goal %.0f ms)%s\n", what,
                ms.size(), sum / static_cast<double>(ms.size()), ms[ms.size() / 2], p99, ms.back(), goal,
                p99 > goal ? "  OVER" : "");
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const char* path = std::getenv("KLMW_BIBLE");
  klmw::CBibleModule bible;
  if (!path || !bible.Load(path)) {
    std::fprintf(stderr, "bibleview_bench: set KLMW_BIBLE to a Bible definition (.ixb)\n");
    return 1;
  }
  const int last = bible.GetVerseCount() - 1;
  // Fonts are made once for the screen, as the program's first window makes them.
  { Window warmup(bible); warmup.core.SetTop(0); warmup.Paint(); }

  std::printf("a Bible window of %d x %d, %s, %d verses\n", kWidth, kHeight, bible.GetCode().c_str(), last + 1);
  Stats open, verse, page, layoutOnly, paintOnly;
  for (int i = 0; i <= 400; ++i) {
    const int at = static_cast<int>(static_cast<long>(last) * i / 400);
    const auto start = Clock::now();
    Window w(bible);
    w.doc.GetVerses().Load(at);
    w.core.SetTop(at);
    w.Paint();
    open.Add(MsSince(start));
  }
  Window w(bible);
  for (int i = 0; i < 2000; ++i) {
    if (i % 200 == 0) w.core.SetTop(static_cast<int>(static_cast<long>(last) * i / 2000));
    const auto start = Clock::now();
    w.core.LineDown();
    w.doc.GetVerses().Load(w.core.GetTopVerse());
    w.core.Verses();
    layoutOnly.Add(MsSince(start));
    const auto painted = Clock::now();
    w.Paint();
    paintOnly.Add(MsSince(painted));
    verse.Add(MsSince(start));
  }
  for (int i = 0; i < 1000; ++i) {
    if (i % 100 == 0) w.core.SetTop(static_cast<int>(static_cast<long>(last) * i / 1000));
    const auto start = Clock::now();
    w.core.PageDown(klmw::kPageByGroup, true);
    w.doc.GetVerses().Load(w.core.GetTopVerse());
    w.Paint();
    page.Add(MsSince(start));
  }
  // The same windows drawn with every verse in six colour segments, two of
  // them underlined, against one uncoloured segment.
  Stats plainDraw, colouredDraw;
  Window c(bible);
  for (int k = 1; k <= 12; ++k) c.colours.table.push_back(textpane::MakeRGB(255 - 10 * k, 240, 200 + 4 * k));
  auto sixSegments = [](klmw::CVerse& v) {
    v.segments.clear();
    const int32_t n = static_cast<int32_t>(v.text.size());
    for (int32_t i = 0; i < 6; ++i)
      v.segments.push_back({n * i / 6, static_cast<uint8_t>(6 + i), static_cast<uint8_t>(i % 3 == 1 ? 3 : 2)});
  };
  for (int i = 0; i < 300; ++i) {
    const int at = static_cast<int>(static_cast<long>(last) * i / 300);
    c.core.SetDecorator({});
    c.core.SetTop(at);
    c.core.Verses();
    auto start = Clock::now();
    c.Paint();
    plainDraw.Add(MsSince(start));
    c.core.SetDecorator(sixSegments);
    c.core.Verses();
    start = Clock::now();
    c.Paint();
    colouredDraw.Add(MsSince(start));
  }
  open.Print("open", 20);
  verse.Print("verse", 2);
  layoutOnly.Print(" (layout)", 2);
  paintOnly.Print(" (paint)", 2);
  page.Print("page", 4);
  double plain = 0, coloured = 0;
  for (double v : plainDraw.ms) plain += v;
  for (double v : colouredDraw.ms) coloured += v;
  std::printf("  colour: a window of verses in six segments draws in %.3f ms against %.3f ms uncoloured: %.2fx (goal 1.5x)%s\n",
              coloured / 300, plain / 300, coloured / plain, coloured / plain > 1.5 ? "  OVER" : "");
  return 0;
}
