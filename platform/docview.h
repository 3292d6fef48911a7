// A small document/view core: documents own their data and know the views
// that show it; views are told of changes through update hints; templates
// make documents of one kind and open them by name. The Qt side supplies the
// widgets behind the views and the frames that hold them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"

namespace platform {

class CDocument;

// A file being loaded into or stored from a document.
class CArchive {
 public:
  enum Mode { load, store };
  CArchive(File& file, Mode mode) : m_file(file), m_mode(mode) {}

  bool IsLoading() const { return m_mode == load; }
  bool IsStoring() const { return m_mode == store; }
  // Reads up to count bytes; fewer only at the end of the file.
  unsigned Read(void* buffer, unsigned count) { return m_file.Read(buffer, count); }
  void Write(const void* buffer, unsigned count) { m_file.Write(buffer, count); }
  File& GetFile() { return m_file; }

 private:
  File& m_file;
  Mode m_mode;
};

class CView {
 public:
  virtual ~CView();
  CDocument* GetDocument() const { return m_document; }

  // Hint 0 with no object means "everything changed".
  virtual void OnUpdate(CView* sender, long hint, void* object) = 0;
  virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

 private:
  friend class CDocument;
  CDocument* m_document = nullptr;
};

class CDocument {
 public:
  CDocument() = default;
  virtual ~CDocument();
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  // Views are not owned: whoever made a view removes it (or destroys it,
  // which removes it) before the document goes.
  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::vector<CView*>& Views() const { return m_views; }
  void UpdateAllViews(CView* sender, long hint = 0, void* object = nullptr);

  const std::string& GetTitle() const { return m_title; }
  virtual void SetTitle(const std::string& title) { m_title = title; }
  const std::string& GetPathName() const { return m_path; }
  void SetPathName(const std::string& path) { m_path = path; }
  bool IsModified() const { return m_modified; }
  void SetModifiedFlag(bool modified = true) { m_modified = modified; }

  // Empties the document's data; called before loading and on close.
  virtual void DeleteContents() {}
  virtual void Serialize(CArchive&) {}

  virtual bool OnNewDocument();
  // Loads the document from a file through Serialize. A file that cannot be
  // opened or read reports through Messages and leaves the document empty.
  virtual bool OnOpenDocument(const std::string& path);
  // Stores through Serialize into a temporary file beside the target and
  // renames it over the target, so a failed save never harms the old file.
  virtual bool OnSaveDocument(const std::string& path);
  virtual void OnCloseDocument();

 private:
  std::vector<CView*> m_views;
  std::string m_title;
  std::string m_path;
  bool m_modified = false;
};

// Makes documents of one kind. A name given to OpenDocumentFile is handed to
// the document's OnOpenDocument unless the template was given an opener of
// its own (books open by a name that is not a path, for instance).
class CDocTemplate {
 public:
  using Factory = std::function<std::unique_ptr<CDocument>()>;
  using Opener = std::function<bool(CDocument&, const std::string& name)>;

  CDocTemplate(std::string name, Factory factory, Opener opener = {})
      : m_name(std::move(name)), m_factory(std::move(factory)), m_opener(std::move(opener)) {}

  const std::string& GetName() const { return m_name; }

  // Empty name: a new, empty document. Returns null when opening failed.
  // The template keeps the document until CloseDocument.
  CDocument* OpenDocumentFile(const std::string& name);
  void CloseDocument(CDocument* document);
  const std::vector<std::unique_ptr<CDocument>>& Documents() const { return m_documents; }

 private:
  std::string m_name;
  Factory m_factory;
  Opener m_opener;
  std::vector<std::unique_ptr<CDocument>> m_documents;
};

// Shows the busy cursor while it lives. The GUI installs the handler; with
// none installed (tests, the command line) it does nothing.
class BusyCursor {
 public:
  using Handler = std::function<void(bool busy)>;
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  static void SetHandler(Handler handler);
};

}  // namespace platform
