#include "app/shell/studyapp.h"

#include <algorithm>

#include "app/shell/settings.h"
#include "platform/messages.h"

namespace klmw {

std::string FormatBookNoLongerAvailable(const std::string& bookName) {
  return " " + bookName + " is no longer active or is no longer available on your system\n";
}

CScreenRect FirstStartFrameRect(const CScreenRect& available) {
  CWhereEntry fallback;
  ParseWindowRecord(kDefaultMainWindowRecord, fallback);
  const long long width = static_cast<long long>(available.right) - available.left;
  const long long height = static_cast<long long>(available.bottom) - available.top;
  if (width <= 0 || height <= 0) return {fallback.left, fallback.top, fallback.right, fallback.bottom};
  auto share = [](long long size, int least) {
    return std::min<long long>(size, std::max<long long>(size * kFirstStartScreenPercent / 100, least));
  };
  const long long w = share(width, fallback.right - fallback.left);
  const long long h = share(height, fallback.bottom - fallback.top);
  const int left = static_cast<int>(available.left + (width - w) / 2);
  const int top = static_cast<int>(available.top + (height - h) / 2);
  return {left, top, static_cast<int>(left + w), static_cast<int>(top + h)};
}

CStudyAppCore::CStudyAppCore(std::string settingsPath)
    : m_settingsPath(settingsPath.empty() ? klmw::GetSettingsPath() : std::move(settingsPath)),
      m_scanner(std::string()),
      m_registry(m_settingsPath) {}

int CStudyAppCore::Startup() {
  m_bookshelf = ReadCurrentBookshelf(m_settingsPath);
  m_where.LoadWordsLikeSolt(m_settingsPath);
  return m_registry.LoadRegistry();
}

std::vector<CWindowToOpen> CStudyAppCore::PrepareRestore(int bookshelf, int& treeWidth, int& treeHeight) {
  m_where.Restore(m_settingsPath, bookshelf);
  treeWidth = treeHeight = 0;
  if (!ReadTreeDimensions(m_settingsPath, treeWidth, treeHeight)) treeWidth = treeHeight = 0;

  std::vector<CWindowToOpen> windows;
  std::vector<CWhereEntry>& entries = m_where.GetEntries();
  for (size_t i = 1; i < entries.size(); ++i) {
    CWhereEntry& e = entries[i];
    int index = m_registry.FindBook(e.bookName, e.bookIndex);
    if (index < 0) {
      if (e.bookName.size() > 1) platform::MessageBox(FormatBookNoLongerAvailable(e.bookName));
      index = 0;
    }
    if (e.bookName.size() >= 2 && e.bookName.size() <= 4) SetCurrentBibleCode(e.bookName);
    // The window is positioned on the book it was found as; an index beyond
    // the list (an empty registry) becomes 0 as the document expects.
    e.bookIndex = index < m_registry.GetBookCount() ? index : 0;
    windows.push_back({static_cast<int>(i), index, FormatBookDocumentName(index, e.sectionKey)});
  }
  return windows;
}

void CStudyAppCore::RestoreWorkspace(int bookshelf, const CWindowHooks& hooks) {
  // A message shown on the way (a book no longer there) runs the event
  // loop, and the program may be closed from there: half a workspace must
  // not be saved.
  m_workspaceRestored = false;
  int treeWidth = 0, treeHeight = 0;
  std::vector<CWindowToOpen> windows = PrepareRestore(bookshelf, treeWidth, treeHeight);
  const std::vector<CWhereEntry>& entries = m_where.GetEntries();
  if (hooks.openWindow)
    for (const CWindowToOpen& w : windows) hooks.openWindow(w, entries[static_cast<size_t>(w.entry)]);
  if (hooks.finishRestore) hooks.finishRestore(entries.front(), treeWidth, treeHeight);
  m_workspaceRestored = true;
}

bool CStudyAppCore::SaveWorkspace(int bookshelf, const CWhereEntry& mainFrame, std::vector<CWhereEntry> children) {
  std::vector<CWhereEntry>& entries = m_where.GetEntries();
  entries.clear();
  CWhereEntry frame;
  frame.left = mainFrame.left;
  frame.top = mainFrame.top;
  frame.right = mainFrame.right;
  frame.bottom = mainFrame.bottom;
  entries.push_back(frame);
  for (CWhereEntry& child : children) {
    child.showState = 0;
    if (const cSOLTBook* book = m_registry.GetBook(child.bookIndex)) {
      child.bookName = book->GetBookName();
      child.textPath = book->GetTextPath();
    }
    if (child.bookName.empty()) child.bookName = " ";
    if (child.textPath.empty()) child.textPath = " ";
    if (child.searchString.empty()) child.searchString = " ";
    entries.push_back(std::move(child));
  }
  if (static_cast<int>(entries.size()) > CWhere::kMaxWindows) entries.resize(CWhere::kMaxWindows);
  m_where.ShiftChildrenToOrigin();
  return m_where.Save(m_settingsPath, bookshelf);
}

bool CStudyAppCore::SaveWorkspace(int bookshelf, const CWindowHooks& hooks) {
  if (!m_workspaceRestored) return false;
  CWhereEntry frame = hooks.captureMainFrame ? hooks.captureMainFrame() : CWhereEntry{};
  std::vector<CWhereEntry> children;
  if (hooks.captureWindows) children = hooks.captureWindows();
  return SaveWorkspace(bookshelf, frame, std::move(children));
}

void CStudyAppCore::SwitchBookshelf(int bookshelf, const CWindowHooks& hooks) {
  SaveWorkspace(m_bookshelf, hooks);
  if (hooks.closeAllWindows) hooks.closeAllWindows();
  m_registry.LoadRegistry();
  SetCurrentBookshelf(bookshelf);
  WriteCurrentBookshelf(m_settingsPath, m_bookshelf);
  RestoreWorkspace(m_bookshelf, hooks);
}

int CStudyAppCore::WriteScannedRegistry(const CWindowHooks& hooks) {
  CBookScanner::Hooks around;
  around.beforeWrite = [&] {
    SaveWorkspace(m_bookshelf, hooks);
    if (hooks.closeAllWindows) hooks.closeAllWindows();
  };
  around.afterReload = [&] { RestoreWorkspace(m_bookshelf, hooks); };
  return m_scanner.WriteRegistry(m_registry, around);
}

void CStudyAppCore::ReloadDataSets(const CWindowHooks& hooks) { SwitchBookshelf(m_bookshelf, hooks); }

}  // namespace klmw
