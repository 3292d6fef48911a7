// The reference box answering: a maximised KJS window (1920 x 1080), a
// reference typed and Enter pressed, and the clock stops when the window
// stands at the first range with every verse marked and is painted again.
// The reading alone is refs_bench's; this is what the user waits for.
//
// KLMW_SAMPLE names the sample library (the KJS Bible).
#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell/ui/childframe.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "bench/ui/benchapp.h"
#include "textpane/ui/rtfview.h"

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  const char* sample = std::getenv("KLMW_SAMPLE");
  if (!sample) {
    std::fprintf(stderr, "referencebox_bench: set KLMW_SAMPLE to the sample library\n");
    return 1;
  }
  bench::CBenchApp bench;
  if (!bench.Start({{"KJS", std::string(sample) + "/KJS"}})) return 1;
  klmw::CShellApp& app = bench.App();
  klmw::CChildFrame* kjs = app.OpenBook(0, 0);
  if (!kjs) return 1;
  kjs->showMaximized();
  QApplication::processEvents();
  auto* doc = dynamic_cast<klmw::CPlaceDocument*>(kjs->GetDocument());
  QLineEdit* box = app.GetMainFrame()->GetReferenceBox();
  if (!doc || !box) return 1;
  const char* typed[] = {"Gen 1:1-3; 2:4, 6", "jn 3 16", "1 cor 13", "Ps 23", "Rom 8:28-39", "Jude 5", "Ps 119"};
  std::printf("the reference box, to the painted KJS window at 1920 x 1080 (median of 25)\n");
  for (const char* text : typed) {
    std::vector<double> ms;
    for (int i = 0; i < 25; ++i) {
      doc->SetSectionKey(20000);  // from elsewhere each time
      for (textpane::CRtfView* v : kjs->findChildren<textpane::CRtfView*>()) v->viewport()->repaint();
      const auto start = Clock::now();
      box->setText(QString::fromLatin1(text));
      emit box->returnPressed();
      for (textpane::CRtfView* v : kjs->findChildren<textpane::CRtfView*>()) v->viewport()->repaint();
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-20s median %6.2f ms, worst %6.2f ms, %zu marked stretches\n", text, ms[ms.size() / 2], ms.back(),
                doc->GetMarkedVerses().size());
  }
  for (const auto& m : bench.Messages().m_shown) std::printf("  (message: %s)\n", m.text.c_str());
  return 0;
}
