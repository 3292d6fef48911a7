// Synchronised windows: three Bible windows (KJS, RVR, WEB) and two book
// windows (Matthew Henry's commentary, the Treasury of David) open in the
// program's own main window with Sync on; the KJS window moves a verse, a
// chapter or to a verse far away, and the clock stops when every window has
// followed and been painted again (goal: 5 ms for all to follow).
//
// KLMW_SAMPLE names the sample library (the Bibles), KLMW_REFLIB the
// reference library.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/shell/ui/childframe.h"
#include "bench/ui/benchapp.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "platform/messages.h"
#include "textpane/ui/rtfview.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Every window's text painted now, not at the next turn of the event loop
// (the frames and trees, which did not change, are left alone).
void PaintAll(klmw::CMainFrame& frame) {
  for (klmw::CChildFrame* f : frame.GetChildFrames())
    for (textpane::CRtfView* view : f->findChildren<textpane::CRtfView*>()) view->viewport()->repaint();
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double v : ms) sum += v;
  std::printf("  %-22s %4zu moves: mean %6.2f ms, median %6.2f, worst %6.2f ms (goal 5 ms)%s\n", what, ms.size(),
              sum / static_cast<double>(ms.size()), ms[ms.size() / 2], ms.back(), ms[ms.size() / 2] > 5 ? "  OVER" : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  const char* sample = std::getenv("KLMW_SAMPLE");
  const char* reflib = std::getenv("KLMW_REFLIB");
  if (!sample || !reflib) {
    std::fprintf(stderr, "sync_bench: set KLMW_SAMPLE and KLMW_REFLIB to the two libraries\n");
    return 1;
  }
  // The reference books with the identity they were compiled with.
  bench::CBenchApp bench;
  if (!bench.Start({{"KJS", std::string(sample) + "/KJS", 1, 1},
                    {"RVR", std::string(sample) + "/RVR", 1, 2},
                    {"WEB", std::string(sample) + "/WEB", 1, 3},
                    {"Matthew Henry's Concise Commentary", std::string(reflib) + "/mhcc", 2, 2},
                    {"Treasury of David", std::string(reflib) + "/tdavid", 2, 5}}))
    return 1;
  klmw::CShellApp& app = bench.App();
  klmw::CMainFrame& frame = bench.Frame();
  std::vector<klmw::CChildFrame*> windows;
  for (int book = 0; book < 5; ++book) windows.push_back(app.OpenBook(book, book < 3 ? 23145 : 0));
  frame.TileVertical();
  frame.SetSync(1);
  QApplication::processEvents();
  auto* kjs = dynamic_cast<klmw::CPlaceDocument*>(windows[0]->GetDocument());
  if (!kjs) return 1;
  // Psalm 23 onwards in KJS numbering: verse 14,952 is Psalm 23:1.
  const int psalm23 = 14951;
  kjs->SetSectionKey(psalm23);
  QApplication::processEvents();
  PaintAll(frame);

  std::printf("five windows (KJS, RVR, WEB, Matthew Henry, Treasury of David) following KJS, 1920 x 1080\n");
  std::vector<double> verse, chapter, far, followOnly, paintOnly;
  int at = psalm23;
  for (int i = 0; i < 200; ++i) {
    const auto start = Clock::now();
    kjs->SetSectionKey(++at);
    followOnly.push_back(MsSince(start));
    const auto painted = Clock::now();
    PaintAll(frame);
    paintOnly.push_back(MsSince(painted));
    verse.push_back(MsSince(start));
  }
  for (int i = 0; i < 60; ++i) {
    at += 20;  // about a chapter of the Psalms
    const auto start = Clock::now();
    kjs->SetSectionKey(at);
    PaintAll(frame);
    chapter.push_back(MsSince(start));
  }
  for (int i = 0; i < 60; ++i) {
    at = static_cast<int>((static_cast<long>(i) * 7919 * 97) % 31000);
    const auto start = Clock::now();
    kjs->SetSectionKey(at);
    PaintAll(frame);
    far.push_back(MsSince(start));
  }
  Report("a verse on", verse);
  Report(" (following)", followOnly);
  Report(" (painting)", paintOnly);
  Report("about a chapter on", chapter);
  Report("anywhere in the Bible", far);
  for (const auto& m : bench.Messages().m_shown) std::printf("  (message: %s)\n", m.text.c_str());
  // Whether the book windows really followed.
  for (size_t w = 1; w < windows.size(); ++w) {
    auto* doc = dynamic_cast<klmw::CPlaceDocument*>(windows[w]->GetDocument());
    std::printf("  window %zu ends at key %d (%s)\n", w, doc ? doc->GetSectionKey() : -1,
                doc ? doc->GetTitle().c_str() : "");
  }
  return 0;
}
