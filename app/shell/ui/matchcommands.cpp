#include "app/shell/ui/matchcommands.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "app/shell/ui/bibview.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "textpane/ui/findbar.h"
#include "textpane/ui/rtfview.h"

namespace klmw {

CMatchCommands::CMatchCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame) {
  QStyle* s = frame.style();
  m_next = new QAction(s->standardIcon(QStyle::SP_ArrowDown), tr("Ne&xt Match"), this);
  m_previous = new QAction(s->standardIcon(QStyle::SP_ArrowUp), tr("Pre&vious Match"), this);
  const struct {
    QAction* action;
    int id;
    bool next;
  } commands[] = {{m_next, ID_NEXT_MATCH, true}, {m_previous, ID_PREVIOUS_MATCH, false}};
  auto* go = frame.menuBar()->findChild<QMenu*>(QStringLiteral("menuGo"));
  QToolBar* bar = frame.GetButtonBar();
  if (go) go->addSeparator();
  if (bar) bar->addSeparator();
  for (const auto& c : commands) {
    c.action->setObjectName(QStringLiteral("cmd%1").arg(c.id));
    c.action->setData(c.id);
    c.action->setEnabled(false);
    const bool next = c.next;
    connect(c.action, &QAction::triggered, this, [this, next] { Step(next); });
    if (go) go->addAction(c.action);
    if (bar) bar->addAction(c.action);
  }
  connect(frame.GetMdiArea(), &QMdiArea::subWindowActivated, this, &CMatchCommands::Update);
  connect(qApp, &QApplication::focusChanged, this, &CMatchCommands::Update);
}

int CMatchCommands::LevelOf(textpane::CRtfView& view) {
  const textpane::CFindBar* bar = view.GetFindBar();
  const int marked = bar ? bar->MarkedLevel() : -1;
  return marked >= 0 ? marked : view.TopLevel();
}

void CMatchCommands::Update() {
  textpane::CRtfView* view = m_frame.GetActiveRtfView();
  if (view != m_view) {
    disconnect(m_moved);
    m_view = view;
    if (view) m_moved = connect(view, &textpane::CRtfView::searchMatchesMoved, this, &CMatchCommands::Update);
  }
  // A Bible window steps among the verses of the references gone to.
  if (CPlaceDocument* doc = MarkedBible(view)) {
    m_next->setEnabled(doc->NextMarkedVerse(doc->GetSectionKey()) >= 0);
    m_previous->setEnabled(doc->PreviousMarkedVerse(doc->GetSectionKey()) >= 0);
    return;
  }
  const int level = view ? LevelOf(*view) : -1;
  m_next->setEnabled(view && level >= 0 && view->IsNextSearchMatch(level));
  m_previous->setEnabled(view && level >= 0 && view->IsPreviousSearchMatch(level));
}

CPlaceDocument* CMatchCommands::MarkedBible(textpane::CRtfView* view) {
  auto* bible = qobject_cast<CBibView*>(view);
  return bible && bible->ShowsBible() ? dynamic_cast<CPlaceDocument*>(bible->GetDocument()) : nullptr;
}

void CMatchCommands::Step(bool next) {
  if (!m_view) return;
  if (CPlaceDocument* doc = MarkedBible(m_view)) {
    const int top = doc->GetSectionKey();
    const int to = next ? doc->NextMarkedVerse(top) : doc->PreviousMarkedVerse(top);
    if (to >= 0) doc->SetSectionKey(to);
    Update();
    return;
  }
  const int level = LevelOf(*m_view);
  if (level < 0) return;
  if (next) {
    m_view->NextSearchMatch(level);
  } else {
    m_view->PreviousSearchMatch(level);
  }
  Update();
}

}  // namespace klmw
