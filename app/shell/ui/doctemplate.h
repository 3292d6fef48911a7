// The Qt side of a document template: the core template makes and opens the
// document by name, and this one makes the frame and the views that show it.
// Each template has a view factory, so a real view replaces the stand-in by
// one SetViewFactory call.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/docview.h"

class QMdiArea;

namespace klmw {

class CChildFrame;

// A view widget and the document/view face of the same object.
struct CMadeView {
  QWidget* widget = nullptr;
  platform::CView* view = nullptr;
};
using ViewFactory = std::function<CMadeView(platform::CDocument& doc, QWidget* parent)>;

class CUiDocTemplate {
 public:
  // Splitter frames hold a tree pane (column 0) beside the view; plain frames
  // hold the view alone (the picture window).
  enum class FrameKind { Splitter, Plain };

  CUiDocTemplate(int index, std::unique_ptr<platform::CDocTemplate> core, FrameKind kind,
                 ViewFactory view, ViewFactory tree = {});

  int GetIndex() const { return m_index; }
  FrameKind GetFrameKind() const { return m_kind; }
  platform::CDocTemplate& Core() { return *m_core; }
  void SetViewFactory(ViewFactory view) { m_view = std::move(view); }
  void SetTreeFactory(ViewFactory tree) { m_tree = std::move(tree); }

  // Opens the named document in a new MDI child of area; null (and nothing
  // left behind) when the document cannot be opened.
  CChildFrame* OpenDocumentFile(QMdiArea* area, const std::string& name, bool visible = true);

 private:
  int m_index;
  std::unique_ptr<platform::CDocTemplate> m_core;
  FrameKind m_kind;
  ViewFactory m_view;
  ViewFactory m_tree;
};

}  // namespace klmw
