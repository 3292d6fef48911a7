// The Qt application object: owns the logic (CStudyAppCore), the seven
// document templates and the main frame; runs the start-up stages and puts
// the workspace's windows back. Heavy work (the registry with its presence
// tests and Bible modules, the workspace) runs after the first paint.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/bibles/paint.h"
#include "app/shell/bookcasewatch.h"
#include "app/shell/studyapp.h"
#include "app/shell/ui/displayoptions.h"

namespace textpane {
class Range;
}

namespace klmw {

class CChildFrame;
class CMainFrame;
class CNotesFile;
class CPlaceDocument;
class CUiDocTemplate;

enum ETemplate {
  kTemplateBookText = 0,
  kTemplateBookTree = 1,
  kTemplateBibleText = 2,
  kTemplateBibleTree = 3,
  kTemplateNotes = 4,
  kTemplatePicture = 5,
  kTemplateReference = 6,
  kTemplateCount = 7,
};

struct CStartOptions {
  bool splash = true;
  // When no book is registered: tell the user and start bookcase.
  bool offerBookcase = true;
  // Run the deferred stages at once instead of after the first paint.
  bool synchronous = false;
  // Opened once the workspace is back, in this order (see OpenDocument).
  std::vector<std::string> documents;
};

class CShellApp : public QObject {
  Q_OBJECT
 public:
  // settingsPath "" is the settings file beside the program.
  explicit CShellApp(const std::string& settingsPath = {}, QObject* parent = nullptr);
  ~CShellApp() override;

  CStudyAppCore& Core() { return m_core; }
  CMainFrame* GetMainFrame() const { return m_frame.get(); }
  CUiDocTemplate* GetTemplate(int index) const;
  CDisplayOptions& GetOptions() { return m_options; }
  bool IsReady() const { return m_ready; }

  // The start-up stages; false when start-up fails.
  bool InitInstance(const CStartOptions& options = {});

  // Opens a Bible or book window through template [2].
  CChildFrame* OpenBook(int bookIndex, int sectionKey);
  // Shows verse index `verse` of the current Bible in the reference window,
  // opening one when none is open. Returns the window.
  CChildFrame* ShowInReferenceWindow(int verse);
  // The colour data of a Bible, chosen for it on first use (null when the
  // program cannot make one).
  CPaint* PaintOf(const CBibleModule& bible);
  // Goto Verse: a book name (or its start), chapter and verse from 1, read
  // with the KJS Bible's numbering. False (the user told why) when the
  // place does not exist.
  bool GotoVerse(const std::string& bookToken, int chapter, int verse);
  // Opens a document named on the command line: "Book# <index> <key>" as
  // OpenBook does, a picture file in the picture window. Anything else is
  // named in a message and null returned.
  CChildFrame* OpenDocument(const std::string& name);
  // The session or a terminal asked the program to end: the main frame
  // closes the ordinary way (saving what there is to save), or the program
  // quits when there is no frame to close.
  void Quit();
  void RestoreWorkspace(int bookshelf);
  bool SaveWorkspace(int bookshelf);
  void SwitchBookshelf(int bookshelf);
  // Asks for a folder, scans it for books and, when the user agrees,
  // writes the registry of what was found.
  void FindBooks();
  // Writes the registry from the scanner's tree: the workspace is saved and
  // the windows closed before, the registry read and the windows restored
  // after. Returns the number of book sections written.
  int RegisterScannedBooks();
  // Saves the current bookshelf at most once a second.
  void ScheduleAutosave();
  // Stops saving: the program ends without writing the settings file.
  void DisableSaving() { m_savingDisabled = true; }
  // Whether the settings file may be written now: not before the workspace
  // is back (it would be written over with the windows of a half-done
  // start) nor after DisableSaving.
  bool MaySave() const { return !m_savingDisabled && m_core.IsWorkspaceRestored(); }
  // Whether the program waits for bookcase to finish (no book was there).
  bool IsWatchingForBookcase() const { return m_bookcaseWatch != nullptr; }
  int GetAutosaveCount() const { return m_autosaves; }

  // The Bible a document shows, or null.
  const CBibleModule* BibleOf(const CPlaceDocument& doc) const;
  // The registered book a document shows when it is no Bible, or null.
  const cSOLTBook* BookOf(const CPlaceDocument& doc) const;
  // KLMW.NOT beside the settings file, opened on first use (a damaged file
  // is set aside and the user told where); null when it cannot be opened.
  CNotesFile* Notes();
  // Shows or hides the notes pane of a window (the active one when null);
  // returns the pane when it is shown.
  QWidget* ToggleNotesPane(CChildFrame* frame = nullptr);

  // Goes to references: the first range's start in the active Bible window
  // (or the Bible window used last while a book window is active; a new
  // window on the current Bible when none is open), every verse of every
  // range marked there. Null, the user told why, when that Bible has none.
  CChildFrame* ShowRanges(const std::vector<textpane::Range>& ranges);
  // The reference box: the text read as references and gone to, or the
  // problem shown under the box.
  void GoToTypedReference(const std::string& text);

  // The position of a document in words and the first verses from there.
  std::string DescribePosition(const CPlaceDocument& doc) const;

 signals:
  // The deferred stages are done: the workspace is restored.
  void ready();
  // The main frame painted for the first time.
  void firstPaint();
  // The registry was read again after bookcase changed the settings file.
  void dataSetsReloaded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The registry index of the current Bible, else of the first Bible
  // registered; -1 without any.
  int CurrentBibleIndex();
  // The Bible window references go to (see ShowRanges), or null.
  CChildFrame* ReferenceTargetWindow() const;
  void CreateTemplates();
  void FinishStartup();
  void OnNewWindow();
  void OnGotoVerse();
  void OnTopicColour(int topic);
  void OnPaintColour();
  void OnLegend();
  void PlaceNewWindow(CChildFrame* frame);
  // Next or previous section or book in the active book window.
  void OnBookStep(int id);
  void OnFrameClosing();
  void WatchFrame(CChildFrame* frame);
  void WatchForBookcase();
  void StopWatchingForBookcase();
  void OnSettingsFolderChanged();
  void OnBookcaseExited();
  void OnBookcaseSign(void (CShellApp::*again)(), bool (CBookcaseWatch::*sign)());
  // Reads the registry bookcase wrote and puts the windows back.
  void ReloadFromBookcase();
  CWindowHooks MakeHooks();

  CStudyAppCore m_core;
  CDisplayOptions m_options;
  int m_placed = 0;  // new windows placed so far
  // The colour data of the Bibles opened, by code, with what lasts a run.
  std::unique_ptr<CPaintRun> m_paintRun;
  std::map<std::string, std::unique_ptr<CPaint>> m_paints;
  // Before the frame: the notes panes save into it as they go.
  std::unique_ptr<CNotesFile> m_notes;
  bool m_notesTried = false;
  std::array<std::unique_ptr<CUiDocTemplate>, kTemplateCount> m_templates;
  std::unique_ptr<CMainFrame> m_frame;
  CStartOptions m_startOptions;
  std::vector<CChildFrame*> m_restored;
  QTimer m_autosave;
  std::unique_ptr<CBookcaseWatch> m_bookcaseWatch;
  QFileSystemWatcher* m_folderWatch = nullptr;
  // Hands bookcase's end from the thread that saw it to this object, for as
  // long as this object lives.
  struct CExitRelay;
  std::shared_ptr<CExitRelay> m_exitRelay;
  bool m_ready = false;
  bool m_started = false;
  bool m_restoring = false;
  bool m_closing = false;
  bool m_savingDisabled = false;
  // The main frame has been put where a restore said: a later restore of a
  // bookshelf that kept no rectangle for it leaves it there.
  bool m_framePlaced = false;
  int m_autosaves = 0;
};

}  // namespace klmw
