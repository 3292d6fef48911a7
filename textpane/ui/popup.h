// A window of its own for a document: a frame holding a CRtfView. While it
// is open the application's main window takes no input, so the popup is
// modal to it without blocking the event loop; closing it (which deletes
// it) gives the main window back.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "textpane/model/rtfdoc.h"

namespace textpane {

class CRtfView;

class CPopup : public QMainWindow {
  Q_OBJECT

 public:
  // The popup owns its document (a CRtfDoc when none is given) and shows it
  // in `view` (a plain CRtfView when none is given). mainWindow is the window
  // to hold still; without one the application's active window is taken.
  explicit CPopup(std::unique_ptr<CRtfDoc> doc = nullptr, CRtfView* view = nullptr, QWidget* mainWindow = nullptr);
  ~CPopup() override;

  // A document of the caller's class, replacing the current one.
  template <class Doc>
  Doc& CreateDocument() {
    auto doc = std::make_unique<Doc>();
    Doc& made = *doc;
    SetDocument(std::move(doc));
    return made;
  }
  void SetDocument(std::unique_ptr<CRtfDoc> doc);

  CRtfDoc& GetDocument() const { return *m_doc; }
  CRtfView& GetView() const { return *m_view; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void ReleaseMainWindow();

  std::unique_ptr<CRtfDoc> m_doc;
  CRtfView* m_view;
  QPointer<QWidget> m_mainWindow;
  bool m_holding = false;
};

}  // namespace textpane
