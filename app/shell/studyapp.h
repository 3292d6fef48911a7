// The application's state and start-up steps without a toolkit: the settings
// path, the workspace record, the data-set registry with its Bible modules,
// the book scanner, the current bookshelf and Bible code. The Qt
// application object owns one and plugs its windows in through WindowHooks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/shell/bookscanner.h"
#include "app/shell/registry.h"
#include "app/shell/workspace.h"

namespace klmw {

// " %s is no longer active or is no longer available on your system\n"
std::string FormatBookNoLongerAvailable(const std::string& bookName);

// A rectangle on the screen: left, top, right, bottom (right and bottom
// one past the last pixel).
struct CScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const CScreenRect&) const = default;
};

// The share of the screen's free area, each way, that the main frame takes
// on a first start.
inline constexpr int kFirstStartScreenPercent = 90;

// Where the main frame opens when the settings hold no rectangle for it (a
// first start): kFirstStartScreenPercent of the free area each way, centred
// in it, and not below the default record's 600 x 440 unless the area is
// smaller. An empty area gives the default record's rectangle.
CScreenRect FirstStartFrameRect(const CScreenRect& available);

// A window the restored workspace opens: entry `entry` of the workspace
// record, opened through the Bible window template with `documentName`
// ("Book# %d %d", the resolved book index and the saved section key).
struct CWindowToOpen {
  int entry = 0;
  int bookIndex = 0;
  std::string documentName;
};

// The toolkit side of a workspace restore, save and bookshelf switch.
struct CWindowHooks {
  // Closes every MDI child (the frame's private message 0x40B).
  std::function<void()> closeAllWindows;
  // Opens one window and gives it the saved position, rectangle and show
  // state of `entry` (the restore's stages 5 and 7 for that window).
  std::function<void(const CWindowToOpen& window, const CWhereEntry& entry)> openWindow;
  // After every window is open: move the main frame to entry 0's rectangle,
  // size the tree bar (when treeWidth > 0), activate the last window.
  std::function<void(const CWhereEntry& mainFrame, int treeWidth, int treeHeight)> finishRestore;
  // The open MDI children from the active one onward, picture windows left
  // out: rectangle, tree width, book index, section key, first position
  // value, page-down mode, search string (names and paths are filled from
  // the registry). A child without a splitter pane gives a default entry.
  std::function<std::vector<CWhereEntry>()> captureWindows;
  // The main frame's rectangle (left, top, right, bottom in the entry).
  std::function<CWhereEntry()> captureMainFrame;
};

class CStudyAppCore {
 public:
  // settingsPath "" means GetSettingsPath().
  explicit CStudyAppCore(std::string settingsPath = {});

  const std::string& GetSettingsPath() const { return m_settingsPath; }
  CWhere& GetWhere() { return m_where; }
  const CWhere& GetWhere() const { return m_where; }
  CDataSetRegistry& GetRegistry() { return m_registry; }
  const CDataSetRegistry& GetRegistry() const { return m_registry; }
  CBookScanner& GetScanner() { return m_scanner; }
  CBibleModuleList& GetBibleModules() { return m_registry.GetBibleModules(); }

  int GetCurrentBookshelf() const { return m_bookshelf; }
  void SetCurrentBookshelf(int n) { m_bookshelf = n < 0 ? 0 : n; }
  const std::string& GetCurrentBibleCode() const { return m_bibleCode; }
  void SetCurrentBibleCode(const std::string& code) { m_bibleCode = code.substr(0, 4); }

  // Start-up after the main window is shown: reads [BookShelf] Value, loads
  // the "words like SOLT" list and the registry. Returns LoadRegistry's
  // answer (1: no data set registered).
  int Startup();

  // Restore, stages 1-5 without windows: reads BookShelf<n>, resolves each
  // window's book (the saved index first, then by name; a name of more than
  // one character that matches nothing shows the "no longer active" message
  // and takes book 0), takes a 2-4 character book name as the current Bible
  // code. Tree dimensions come back through treeWidth/treeHeight (0 when
  // the key is absent).
  std::vector<CWindowToOpen> PrepareRestore(int bookshelf, int& treeWidth, int& treeHeight);
  // PrepareRestore, then the hooks open every window and finish.
  void RestoreWorkspace(int bookshelf, const CWindowHooks& hooks);
  // True once a restore has finished, false again while one runs. Until
  // then the windows are not the user's workspace (none opened yet, or only
  // some of them), and saving them would write over the saved one.
  bool IsWorkspaceRestored() const { return m_workspaceRestored; }

  // Builds the record from the main frame and the children (entry 0 the
  // frame with zeros and blanks; names and text paths from the registry;
  // children shifted to the origin) and writes BookShelf<n>. At most
  // CWhere::kMaxWindows entries are kept, the frame's included.
  bool SaveWorkspace(int bookshelf, const CWhereEntry& mainFrame, std::vector<CWhereEntry> children);
  // The same from the open windows; writes nothing and returns false while
  // IsWorkspaceRestored() is false.
  bool SaveWorkspace(int bookshelf, const CWindowHooks& hooks);

  // Saves the current bookshelf, closes the windows, re-reads the data
  // sets, makes n current (and writes it to [BookShelf] Value so the next
  // start opens it) and restores it.
  void SwitchBookshelf(int bookshelf, const CWindowHooks& hooks);

  // Writes the registry from the scanner's tree (CBookScanner::WriteRegistry)
  // with the workspace saved and the windows closed before, and the current
  // bookshelf restored after the reload. Returns the book sections written.
  int WriteScannedRegistry(const CWindowHooks& hooks);

  // Re-reads the registry after the data sets changed and puts the current
  // bookshelf's windows back (save, close, reload, restore).
  void ReloadDataSets(const CWindowHooks& hooks);

 private:
  std::string m_settingsPath;
  CWhere m_where;
  CBookScanner m_scanner;
  CDataSetRegistry m_registry;
  int m_bookshelf = 0;
  std::string m_bibleCode;
  bool m_workspaceRestored = false;
};

}  // namespace klmw
