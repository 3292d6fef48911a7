// The open files of one book, shared by every cSOLTBook with the same text
// path (compared exactly, case included) and kept in a process-wide list.
// A set lives while any of its files is open for any book.
#pragma once

#include <string>

#include "soltread.h"
#include "soltread/booktext.h"
#include "soltread/concordindex.h"
#include "soltread/sectionsindex.h"
#include "soltread/syncindex.h"
#include "soltread/versesindex.h"
#include "soltread/viewableindex.h"

class cBookFileSet {
 public:
  static constexpr int kFileCount = 9;

  cBookFileSet() = default;
  cBookFileSet(const cBookFileSet&) = delete;
  cBookFileSet& operator=(const cBookFileSet&) = delete;

  static cBookFileSet* Find(const std::string& textPath);
  static void Register(cBookFileSet* set);
  static void Unregister(cBookFileSet* set);
  static int GetLiveCount();

  // Opens the flagged files in flag order for `book`; on any failure the
  // files opened by this call are closed again and the error is returned.
  int OpenFiles(unsigned long flags, cSOLTBook& book);
  void CloseFiles(unsigned long flags);
  bool HasReferences() const;

  cFileBase* GetFile(unsigned long flag);
  cBookText& GetBookText() { return m_bookDat; }
  cViewableIndex& GetViewable() { return m_viewable; }
  cSectionsIndex& GetSections() { return m_sections; }
  cConcordIndex& GetConcord() { return m_concord; }
  cVersesIndex& GetVerses() { return m_verses; }
  cTextSyncIndex& GetWSync() { return m_wsync; }
  cVerseSyncIndex& GetVSync() { return m_vsync; }
  cTextSyncIndex& GetSSync() { return m_ssync; }
  cTextSyncIndex& GetDSync() { return m_dsync; }
  unsigned long GetHeaderAreaLength() const {
    return m_bookDat.HasHeaderArea() ? m_bookDat.GetHeaderArea().size() : 0;
  }

  const std::string& GetTextPath() const { return m_textPath; }
  const std::string& GetIDXPath() const { return m_idxPath; }

  static const char* GetFileName(int index);

 private:
  cFileBase* FileAt(int index);

  std::string m_textPath;
  std::string m_idxPath;
  cBookText m_bookDat;
  cViewableIndex m_viewable;
  cSectionsIndex m_sections;
  cConcordIndex m_concord;
  cVersesIndex m_verses;
  cTextSyncIndex m_wsync;
  cVerseSyncIndex m_vsync;
  cTextSyncIndex m_ssync;
  cTextSyncIndex m_dsync;
};
