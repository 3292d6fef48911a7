#include "app/shell/ui/childframe.h"

#include <QEvent>
#include <QSplitter>
#include <algorithm>

#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"

namespace klmw {

CChildFrame::CChildFrame(CUiDocTemplate& tmpl, platform::CDocument& doc, QWidget* parent)
    : QMdiSubWindow(parent), m_template(tmpl), m_document(&doc) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(FromLatin1252(doc.GetTitle()));
  if (tmpl.GetFrameKind() == CUiDocTemplate::FrameKind::Splitter) {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(true);
    m_splitter->installEventFilter(this);
    setWidget(m_splitter);
  }
  doc.AddView(&m_watcher);
}

CChildFrame::~CChildFrame() {
  // The document goes first; the views, still alive as child widgets, are
  // let go by it and need not outlive it.
  platform::CDocument* doc = m_document;
  m_document = nullptr;
  if (doc) {
    doc->RemoveView(&m_watcher);
    m_template.Core().CloseDocument(doc);
  }
}

void CChildFrame::SetPanes(QWidget* tree, QWidget* view) {
  if (m_splitter) {
    if (tree) m_splitter->addWidget(tree);
    if (view) m_splitter->addWidget(view);
    m_splitter->setStretchFactor(m_splitter->count() - 1, 1);
    if (m_pendingTreeWidth >= 0) SetTreeWidth(m_pendingTreeWidth);
  } else if (view) {
    setWidget(view);
  }
}

int CChildFrame::GetTreeWidth() const {
  if (!m_splitter || m_splitter->count() < 2) return -1;
  // A splitter not laid out yet reports what it was asked for.
  if (m_pendingTreeWidth >= 0) return m_pendingTreeWidth;
  return m_splitter->sizes().value(0);
}

void CChildFrame::SetTreeWidth(int width) {
  m_pendingTreeWidth = std::max(width, 0);
  ApplyTreeWidth();
}

// The width is given before the window has its size; a splitter laid out
// later would share its width out in proportion and the tree pane would
// come back narrower each session. So it is applied once the splitter is
// visible and wider than the tree.
void CChildFrame::ApplyTreeWidth() {
  if (!m_splitter || m_splitter->count() < 2 || m_pendingTreeWidth < 0) return;
  const int total = m_splitter->width() - m_splitter->handleWidth();
  if (!m_splitter->isVisible() || total <= m_pendingTreeWidth) return;
  m_splitter->setSizes({m_pendingTreeWidth, total - m_pendingTreeWidth});
  m_pendingTreeWidth = -1;
}

QRect CChildFrame::GetNormalGeometry() const {
  if (!isMinimized() && !isMaximized()) return geometry();
  return m_normalGeometry.isValid() ? m_normalGeometry : geometry();
}

void CChildFrame::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  if (!isMinimized() && !isMaximized()) m_normalGeometry = geometry();
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  if (!isMinimized() && !isMaximized()) m_normalGeometry = geometry();
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_splitter && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) ApplyTreeWidth();
  return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::Watcher::OnUpdate(platform::CView*, long hint, void*) {
  if (hint == CPlaceDocument::kHintPosition || hint == CPlaceDocument::kHintFollow || hint == 0) {
    if (m_frame.m_document) m_frame.setWindowTitle(FromLatin1252(m_frame.m_document->GetTitle()));
    emit m_frame.positionChanged();
  }
}

}  // namespace klmw
