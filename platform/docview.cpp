#include "platform/docview.h"


#include <algorithm>
#include <cstdio>

#include "platform/messages.h"
#include "platform/safefile.h"

namespace platform {

CView::~CView() {
  if (m_document) m_document->RemoveView(this);
}

CDocument::~CDocument() {
  for (CView* v : m_views) v->m_document = nullptr;
}

void CDocument::AddView(CView* view) {
  if (!view || view->m_document == this) return;
  if (view->m_document) view->m_document->RemoveView(view);
  m_views.push_back(view);
  view->m_document = this;
}

void CDocument::RemoveView(CView* view) {
  auto it = std::find(m_views.begin(), m_views.end(), view);
  if (it == m_views.end()) return;
  m_views.erase(it);
  view->m_document = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, long hint, void* object) {
  // A view may drop itself from the document while it is updated, so walk a copy
  // and skip views that have left meanwhile.
  const std::vector<CView*> views = m_views;
  for (CView* v : views) {
    if (v == sender || v->m_document != this) continue;
    v->OnUpdate(sender, hint, object);
  }
}

bool CDocument::OnNewDocument() {
  DeleteContents();
  m_path.clear();
  m_modified = false;
  return true;
}

namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == path.npos ? path : path.substr(slash + 1);
}

void ReportFileError(const std::string& what, const std::string& path, const FileException& e) {
  MessageBox(what + " " + path + ".\n" + e.what());
}

}  // namespace

bool CDocument::OnOpenDocument(const std::string& path) {
  File file;
  FileException error;
  if (!file.Open(path, File::modeRead | File::shareDenyNone, &error)) {
    ReportFileError("Cannot open", path, error);
    return false;
  }
  DeleteContents();
  try {
    CArchive ar(file, CArchive::load);
    Serialize(ar);
  } catch (const FileException& e) {
    ReportFileError("Cannot read", path, e);
    DeleteContents();
    return false;
  }
  m_path = path;
  if (m_title.empty()) m_title = BaseName(path);
  m_modified = false;
  return true;
}

bool CDocument::OnSaveDocument(const std::string& path) {
  SafeFile safe;
  std::string reason;
  if (!safe.Open(path, reason)) {
    MessageBox("Cannot save " + path + ".\n" + reason);
    return false;
  }
  File file;
  FileException error;
  if (!file.Open(safe.TempPath(), File::modeCreate | File::modeWrite, &error)) {
    ReportFileError("Cannot save", path, error);
    return false;
  }
  try {
    CArchive ar(file, CArchive::store);
    Serialize(ar);
    file.Flush();
    file.Close();
  } catch (const FileException& e) {
    file.Close();
    ReportFileError("Cannot save", path, e);
    return false;
  }
  if (!safe.Commit(reason)) {
    MessageBox("Cannot save " + path + ".\n" + reason);
    return false;
  }
  m_path = path;
  m_modified = false;
  return true;
}

void CDocument::OnCloseDocument() {
  const std::vector<CView*> views = m_views;
  for (CView* v : views) RemoveView(v);
  DeleteContents();
}

CDocument* CDocTemplate::OpenDocumentFile(const std::string& name) {
  std::unique_ptr<CDocument> doc = m_factory();
  if (!doc) return nullptr;
  bool ok = name.empty()          ? doc->OnNewDocument()
            : m_opener            ? m_opener(*doc, name)
                                  : doc->OnOpenDocument(name);
  if (!ok) return nullptr;
  m_documents.push_back(std::move(doc));
  return m_documents.back().get();
}

void CDocTemplate::CloseDocument(CDocument* document) {
  auto it = std::find_if(m_documents.begin(), m_documents.end(),
                         [&](const auto& d) { return d.get() == document; });
  if (it == m_documents.end()) return;
  (*it)->OnCloseDocument();
  m_documents.erase(it);
}

namespace {
BusyCursor::Handler& BusyHandler() {
  static BusyCursor::Handler handler;
  return handler;
}
int g_busyDepth = 0;
}  // namespace

BusyCursor::BusyCursor() {
  if (g_busyDepth++ == 0 && BusyHandler()) BusyHandler()(true);
}

BusyCursor::~BusyCursor() {
  if (--g_busyDepth == 0 && BusyHandler()) BusyHandler()(false);
}

void BusyCursor::SetHandler(Handler handler) { BusyHandler() = std::move(handler); }

}  // namespace platform
