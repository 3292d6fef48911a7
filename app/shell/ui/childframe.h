// An MDI child window: a splitter with the tree pane in column 0 and the
// document's view beside it (or the view alone in a plain frame). The frame
// closes its document when it goes.
#pragma once

#include <QMdiSubWindow>
#include <QRect>
#include <memory>

#include "platform/docview.h"

class QSplitter;

namespace klmw {

class CUiDocTemplate;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  CChildFrame(CUiDocTemplate& tmpl, platform::CDocument& doc, QWidget* parent = nullptr);
  ~CChildFrame() override;

  CUiDocTemplate& GetTemplate() const { return m_template; }
  platform::CDocument* GetDocument() const { return m_document; }
  // The splitter, or null in a plain frame.
  QSplitter* GetSplitter() const { return m_splitter; }
  // Width of splitter column 0; -1 without a splitter.
  int GetTreeWidth() const;
  void SetTreeWidth(int width);

  // The place and size of the window when it is neither minimised nor
  // maximised: what the workspace saves.
  QRect GetNormalGeometry() const;

  // Called by the template once the panes are in place.
  void SetPanes(QWidget* tree, QWidget* view);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 signals:
  // The document announced a new position (another book or verse).
  void positionChanged();

 private:
  // Watches the document's update hints for the frame.
  void ApplyTreeWidth();

  class Watcher : public platform::CView {
   public:
    explicit Watcher(CChildFrame& frame) : m_frame(frame) {}
    void OnUpdate(platform::CView* sender, long hint, void* object) override;

   private:
    CChildFrame& m_frame;
  };

  CUiDocTemplate& m_template;
  platform::CDocument* m_document;
  QSplitter* m_splitter = nullptr;
  Watcher m_watcher{*this};
  int m_pendingTreeWidth = -1;
  QRect m_normalGeometry;
};

}  // namespace klmw
