#include "textpane/ui/popup.h"

#include <QApplication>

#include "textpane/ui/rtfview.h"

namespace textpane {

CPopup::CPopup(std::unique_ptr<CRtfDoc> doc, CRtfView* view, QWidget* mainWindow)
    // No parent: a window disabled with its parent would take the popup
    // down with it.
    : QMainWindow(nullptr),
      m_doc(doc ? std::move(doc) : std::make_unique<CRtfDoc>()),
      m_view(view ? view : new CRtfView),
      m_mainWindow(mainWindow ? mainWindow->window() : QApplication::activeWindow()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setCentralWidget(m_view);
  m_view->SetDocument(m_doc.get());
  resize(480, 360);
}

CPopup::~CPopup() {
  ReleaseMainWindow();
  // The view goes before its document.
  delete takeCentralWidget();
}

void CPopup::SetDocument(std::unique_ptr<CRtfDoc> doc) {
  if (!doc) return;
  m_doc->RemoveView(m_view);
  m_doc = std::move(doc);
  m_view->SetDocument(m_doc.get());
}

void CPopup::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (m_holding || !m_mainWindow || m_mainWindow == this) return;
  m_mainWindow->setEnabled(false);
  setEnabled(true);
  m_holding = true;
}

void CPopup::ReleaseMainWindow() {
  if (!m_holding) return;
  m_holding = false;
  if (m_mainWindow) m_mainWindow->setEnabled(true);
}

}  // namespace textpane
