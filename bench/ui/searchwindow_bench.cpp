// Search in the program, as a user meets it: from the search started over a
// window to its Hits window on screen, listed and painted (the run on the
// worker thread, the labels, the window, the first screen of verse texts
// with the words picked out, and the searched window drawn again with its
// marks). KJS word and colour queries (goal 10 ms) and Nave's Topical Bible
// (goal 20 ms).
//
// KLMW_SAMPLE names the sample library (KJS), KLMW_REFLIB the reference
// library (naves), KLMW_COLOURS the folder holding COLORNDX.KJS (optional:
// without it the colour queries find nothing and are left out).
#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/shell/ui/childframe.h"
#include "bench/ui/benchapp.h"
#include "app/shell/ui/hitswindow.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/searchcommands.h"
#include "app/shell/ui/shellapp.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "textpane/ui/rtfview.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Query {
  const char* text;
  int mode;
  std::vector<int> colours;
  bool wordsOfGod;
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  const char* sample = std::getenv("KLMW_SAMPLE");
  const char* reflib = std::getenv("KLMW_REFLIB");
  const char* colours = std::getenv("KLMW_COLOURS");
  if (!sample || !reflib) {
    std::fprintf(stderr, "searchwindow_bench: set KLMW_SAMPLE and KLMW_REFLIB (and KLMW_COLOURS)\n");
    return 1;
  }
  const bool haveColours = colours && QFileInfo::exists(QString::fromUtf8(colours) + "/COLORNDX.KJS");
  if (haveColours) platform::SetProgramDir(colours);
  bench::CBenchApp bench;
  if (!bench.Start({{"KJS", std::string(sample) + "/KJS", 1, 1},
                    {"Nave's Topical Bible", std::string(reflib) + "/naves", 2, 1}}))
    return 1;
  klmw::CShellApp& app = bench.App();
  klmw::CMainFrame& frame = bench.Frame();
  auto* commands = frame.findChild<klmw::CSearchCommands*>();
  klmw::CChildFrame* kjs = app.OpenBook(0, 0);
  klmw::CChildFrame* naves = app.OpenBook(1, 0);
  if (!commands || !kjs || !naves) return 1;
  frame.TileVertical();
  QApplication::processEvents();

  const std::vector<Query> bible = {{"love", klmw::kSearchAnd, {}, false},
                                    {"love", klmw::kSearchAnd, {2}, false},
                                    {"faith hope", klmw::kSearchAnd, {}, false},
                                    {"faith hope charity", klmw::kSearchOr, {}, false},
                                    {"\"in the beginning\"", klmw::kSearchAnd, {}, false},
                                    {"", klmw::kSearchAnd, {0, 1, 2, 3}, false},
                                    {"verily", klmw::kSearchAnd, {}, true},
                                    {"the", klmw::kSearchAnd, {}, false},
                                    {"and the", klmw::kSearchOr, {}, false}};
  const std::vector<Query> book = {{"faith", klmw::kSearchAnd, {}, false},
                                   {"god", klmw::kSearchAnd, {}, false},
                                   {"faith hope", klmw::kSearchAnd, {}, false},
                                   {"love mercy", klmw::kSearchOr, {}, false}};
  std::printf("search to the painted Hits list, then the searched window painted with its marks, 1920 x 1080,\n"
              "median and worst of 15 (first run apart)%s\n",
              haveColours ? "" : "; no colour index: colour queries left out");
  double worst = 0;
  std::string worstQuery;
  auto run = [&](klmw::CChildFrame* window, const Query& q, double goal, const char* where) {
    if ((!q.colours.empty() || q.wordsOfGod) && !haveColours) return;
    // KLMW_ONLY=text runs only the queries of that text (for profiling).
    if (const char* only = std::getenv("KLMW_ONLY"); only && std::string(only) != q.text) return;
    klmw::SearchRequest request = klmw::SearchRequest::FromText(q.text, q.mode);
    request.colors = q.colours;
    request.wordsOfGod = q.wordsOfGod;
    std::vector<double> listed, all;
    size_t hits = 0;
    for (int i = 0, n = std::getenv("KLMW_ONLY") ? 200 : 16; i < n; ++i) {
      bool finished = false;
      const QMetaObject::Connection c =
          QObject::connect(commands, &klmw::CSearchCommands::searchFinished, [&finished] { finished = true; });
      const auto start = Clock::now();
      commands->StartSearch(window, request);
      while (!finished) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      QObject::disconnect(c);
      klmw::CHitsWindow* w = commands->HitsWindowOf(window);
      if (w) {
        w->repaint();
        w->GetList()->viewport()->repaint();
        hits = w->GetHitCount();
      }
      const double list = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      for (textpane::CRtfView* view : window->findChildren<textpane::CRtfView*>()) view->viewport()->repaint();
      const double both = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      if (i > 0) {
        listed.push_back(list);
        all.push_back(both);
      }
      if (w) w->close();
      QApplication::processEvents();
    }
    std::sort(listed.begin(), listed.end());
    std::sort(all.begin(), all.end());
    std::string label = std::string(where) + " \"" + q.text + "\"" + (q.mode == klmw::kSearchOr ? " OR" : "");
    for (int c : q.colours) label += " +" + std::to_string(c);
    if (q.wordsOfGod) label += " +WoG";
    const double median = listed[listed.size() / 2];
    std::printf("  %-34s %6zu hits: list median %6.2f ms, worst %6.2f (goal %g ms)%s; with the window's marks %6.2f\n",
                label.c_str(), hits, median, listed.back(), goal, median > goal ? "  OVER" : "", all[all.size() / 2]);
    if (median > worst) {
      worst = median;
      worstQuery = label;
    }
  };
  for (const Query& q : bible) run(kjs, q, 10, "KJS");
  for (const Query& q : book) run(naves, q, 20, "Nave's");
  std::printf("  slowest query (median): %s, %.2f ms\n", worstQuery.c_str(), worst);
  for (const auto& m : bench.Messages().m_shown) std::printf("  (message: %s)\n", m.text.c_str());
  return 0;
}
