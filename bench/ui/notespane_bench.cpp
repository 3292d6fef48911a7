// The notes pane following its window: a KJS window with the pane open
// moves a verse on, and the clock stops when the pane has saved nothing (no
// edit), loaded the next verse's note (every tenth verse has one) and both
// panes are painted again (goal 5 ms). Then the same with an edited note
// saved on each move, into a notes file of 10,000 notes.
//
// KLMW_SAMPLE names the sample library (the KJS Bible).
#include <QApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/shell/ui/childframe.h"
#include "bench/ui/benchapp.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/notesview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "notesstore/compoundfile.h"
#include "notesstore/notesfile.h"
#include "platform/messages.h"
#include "textpane/ui/rtfview.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double> ms, double goal) {
  std::sort(ms.begin(), ms.end());
  std::printf("  %-34s median %6.2f ms, worst %6.2f ms (goal %g ms)%s\n", what, ms[ms.size() / 2], ms.back(), goal,
              ms[ms.size() / 2] > goal ? "  OVER" : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  const char* sample = std::getenv("KLMW_SAMPLE");
  if (!sample) {
    std::fprintf(stderr, "notespane_bench: set KLMW_SAMPLE to the sample library\n");
    return 1;
  }
  bench::CBenchApp bench;
  if (!bench.Start({{"KJS", std::string(sample) + "/KJS"}})) return 1;
  klmw::CShellApp& app = bench.App();
  // 10,000 notes of about 1 KB over the Bible, every third verse, written
  // before the program first opens the file.
  {
    const std::string note = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + std::string(1000, 'x') + "\\par}";
    std::map<std::string, std::map<std::string, std::string>> storages;
    for (int i = 0; i < 10000; ++i) storages[klmw::kBibleNotesStorage][std::to_string(i * 3)] = note;
    std::ofstream(bench.HomePath(QStringLiteral("KLMW.NOT")).toStdString(), std::ios::binary)
        << klmw::cfb::WriteCompoundFile(storages);
  }
  klmw::CNotesFile* store = app.Notes();
  if (!store) return 1;
  klmw::CChildFrame* kjs = app.OpenBook(0, 0);
  if (!kjs) return 1;
  kjs->showMaximized();
  QApplication::processEvents();
  auto* kjsDoc = dynamic_cast<klmw::CPlaceDocument*>(kjs->GetDocument());
  if (!kjsDoc) return 1;
  // The same moves without the pane, for comparison.
  std::vector<double> bare;
  for (int i = 0; i < 200; ++i) {
    const auto start = Clock::now();
    kjsDoc->SetSectionKey(500 + i);
    for (textpane::CRtfView* v : kjs->findChildren<textpane::CRtfView*>()) v->viewport()->repaint();
    bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  auto* pane = qobject_cast<klmw::CNotesView*>(app.ToggleNotesPane(kjs));
  auto* doc = dynamic_cast<klmw::CPlaceDocument*>(kjs->GetDocument());
  if (!pane || !doc) return 1;
  QApplication::processEvents();
  auto paint = [&] {
    for (textpane::CRtfView* v : kjs->findChildren<textpane::CRtfView*>()) v->viewport()->repaint();
    pane->viewport()->repaint();
  };
  std::vector<double> follow, edited;
  int at = 1000;
  for (int i = 0; i < 200; ++i) {
    const auto start = Clock::now();
    doc->SetSectionKey(++at);
    paint();
    follow.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  for (int i = 0; i < 40; ++i) {
    QTextCursor(pane->document()).insertText(QStringLiteral("a word more "));
    const auto start = Clock::now();
    doc->SetSectionKey(++at);
    paint();
    edited.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("notes pane beside a KJS window, 1920 x 1080, KLMW.NOT with %zu notes\n", store->List().size());
  Report("a verse on, no pane (for comparison)", bare, 5);
  Report("a verse on (nothing edited)", follow, 5);
  Report("a verse on, the edited note saved", edited, 100);
  for (const auto& m : bench.Messages().m_shown) std::printf("  (message: %s)\n", m.text.c_str());
  return 0;
}
