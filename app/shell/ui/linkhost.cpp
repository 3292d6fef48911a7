#include "app/shell/ui/linkhost.h"

#include <QMdiArea>
#include <algorithm>

#include "app/shell/registry.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/pictureview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "platform/messages.h"

namespace klmw {

namespace {

// Verse links are written against this Bible's numbering.
constexpr const char* kLinkBible = "KJS";

}  // namespace

CBookLinkHost MakeBookLinkHost(CShellApp& app) {
  CBookLinkHost host;
  host.bible = [&app]() -> const CBibleModule* { return app.Core().GetBibleModules().Find(kLinkBible); };
  host.showVerse = [&app](int verse, int count) {
    const int kjs = app.Core().GetRegistry().FindBook(kLinkBible);
    if (kjs < 0) {
      platform::MessageBox("Verse links open in the KJS Bible, which is not registered.");
      return;
    }
    // The first KJS window goes there; without one a new one opens.
    CChildFrame* window = nullptr;
    for (CChildFrame* f : app.GetMainFrame()->GetChildFrames()) {
      auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument());
      if (doc && f->GetTemplate().GetIndex() != kTemplatePicture && doc->GetBookIndex() == kjs) {
        window = f;
        break;
      }
    }
    if (!window && !(window = app.OpenBook(kjs, verse))) return;
    auto* doc = dynamic_cast<CPlaceDocument*>(window->GetDocument());
    doc->SetMarkedVerses({{verse, verse + std::max(count, 1) - 1}});
    doc->SetSectionKey(verse);
    doc->UpdateAllViews(nullptr, CPlaceDocument::kHintReload);
    if (window->isMinimized()) window->showNormal();
    app.GetMainFrame()->GetMdiArea()->setActiveSubWindow(window);
  };
  host.showRanges = [&app](const std::vector<textpane::Range>& ranges) { app.ShowRanges(ranges); };
  host.showPicture = [&app](const std::string& path, const std::string& caption) {
    CMainFrame* frame = app.GetMainFrame();
    CChildFrame* f = app.GetTemplate(kTemplatePicture)
                         ->OpenDocumentFile(frame->GetMdiArea(), FormatPictureDocumentName(path, caption), false);
    if (!f) return;
    // Large enough to read a map: most of the area, the picture's shape kept.
    const QSize area = frame->GetMdiArea()->viewport()->size();
    QSize size(500, 400);
    if (auto* view = f->findChild<CPictureView*>(); view && !view->PictureSize().isEmpty())
      size = view->PictureSize().scaled(area * 9 / 10, Qt::KeepAspectRatio).boundedTo(view->PictureSize() + QSize(40, 60));
    f->resize(size.expandedTo(QSize(320, 240)));
    f->move(0, 0);
    f->show();
    frame->GetMdiArea()->setActiveSubWindow(f);
  };
  host.startProcess = [](const std::vector<std::string>& argv) { return StartDetachedProcess(argv); };
  return host;
}

}  // namespace klmw
