#include "app/shell/ui/doctemplate.h"

#include <QMdiArea>
#include <QSplitter>

#include "app/shell/ui/childframe.h"

namespace klmw {

CUiDocTemplate::CUiDocTemplate(int index, std::unique_ptr<platform::CDocTemplate> core,
                               FrameKind kind, ViewFactory view, ViewFactory tree)
    : m_index(index), m_core(std::move(core)), m_kind(kind), m_view(std::move(view)),
      m_tree(std::move(tree)) {}

CChildFrame* CUiDocTemplate::OpenDocumentFile(QMdiArea* area, const std::string& name,
                                              bool visible) {
  platform::CDocument* doc = m_core->OpenDocumentFile(name);
  if (!doc) return nullptr;
  auto* frame = new CChildFrame(*this, *doc);
  QWidget* host = frame->GetSplitter() ? static_cast<QWidget*>(frame->GetSplitter()) : frame;
  CMadeView tree = m_kind == FrameKind::Splitter && m_tree ? m_tree(*doc, host) : CMadeView{};
  CMadeView view = m_view ? m_view(*doc, host) : CMadeView{};
  if (tree.view) doc->AddView(tree.view);
  if (view.view) doc->AddView(view.view);
  frame->SetPanes(tree.widget, view.widget);
  if (area) area->addSubWindow(frame);
  if (tree.view) tree.view->OnInitialUpdate();
  if (view.view) view.view->OnInitialUpdate();
  if (visible) frame->show();
  return frame;
}

}  // namespace klmw
