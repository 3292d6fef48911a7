// The program's MDI frame: menu bar, button bar, status bar with four panes,
// the docked tree bar and the MDI area holding the Bible and book windows.
// The frame routes program-wide commands to the active window; what needs
// the application object (opening windows, saving the workspace) goes out
// as signals.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

class cSOLTBook;

namespace textpane {
class CRtfView;
}

namespace klmw {

class CBibTreeView;
class CBibleModule;
class CChildFrame;
class CHelpWindow;
class CPlaceDocument;
class CTreeBar;
struct CDisplayOptions;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  enum EStatusPane { kPaneMessage, kPaneBible, kPaneBookshelf, kPaneSync, kPaneCount };

  CMainFrame(const std::string& settingsPath, CDisplayOptions& options, QWidget* parent = nullptr);
  ~CMainFrame() override;

  QMdiArea* GetMdiArea() const { return m_mdi; }
  CTreeBar* GetTreeBar() const { return m_treeBar; }
  QToolBar* GetButtonBar() const { return m_buttonBar; }
  QAction* GetCommand(int id) const { return m_commands.value(id); }
  QLabel* GetStatusPane(int pane) const;

  // MDI children, the active one first and then down the stacking order.
  QList<CChildFrame*> GetChildFrames() const;
  CChildFrame* GetActiveChild() const;
  CPlaceDocument* GetActiveDocument() const;
  // The rich-text view the copy and print commands go to: the one with the
  // focus in the active child, else that child's text pane. Null when the
  // text pane is not a rich-text view (the Bible stand-in) or no child is open.
  textpane::CRtfView* GetActiveRtfView() const;

  int GetSync() const { return m_sync; }
  void SetSync(int sync);
  int GetBookshelf() const { return m_bookshelf; }
  void SetBookshelf(int bookshelf);
  const std::string& GetBibleCode() const { return m_bibleCode; }
  // At most 4 characters are kept.
  void SetBibleCode(const std::string& code);

  void TileHorizontal();
  void TileVertical();
  void Cascade();
  void ArrangeIcons();
  void CloseAllChildren();

  // Tells Bible documents from book documents (the commands that need a
  // Bible do nothing in a book window).
  void SetBibleTest(std::function<bool(const CPlaceDocument&)> test) { m_isBible = std::move(test); }
  bool IsBible(const CPlaceDocument& doc) const { return !m_isBible || m_isBible(doc); }

  // What a document shows, for window synchronisation: its Bible module (null
  // for a book) and its registered book (null for a Bible).
  void SetDocumentSources(std::function<const CBibleModule*(const CPlaceDocument&)> bibleOf,
                          std::function<const cSOLTBook*(const CPlaceDocument&)> bookOf) {
    m_bibleOf = std::move(bibleOf);
    m_bookOf = std::move(bookOf);
  }
  // Whether closing may write the sync switch and the tree bar's size (the
  // tree bar has its saved size only once the workspace is back). Without
  // a test it may.
  void SetSavingTest(std::function<bool()> test) { m_maySave = std::move(test); }

  // A window moved to another book or verse: with the sync switch on, the
  // other windows follow a Bible window (see app/books/windowsync.h).
  void OnChildPositionChanged(CChildFrame* source);

  // The reference box on the button bar.
  QLineEdit* GetReferenceBox() const { return m_referenceBox; }
  // The typed text was no reference: the problem shown under the box, with
  // the book names it may have meant offered to choose from (a choice
  // puts the name in place of `word` and goes).
  void ShowReferenceProblem(const QString& problem, const QString& word, const QStringList& suggestions);

  // Applies a tree bar size (width and height) to the dock.
  void ApplyTreeDimensions(int width, int height);

 signals:
  // Private message 0x410: the tree bar rebuilds its tree.
  void rebuildTree();
  // Private message 0x40B: every MDI child closes.
  void closeAllChildrenRequested();
  // Private message 0x413: the button bar is brought up to date.
  void refreshButtonBar();
  // Command 2020/450: a new Bible window on the current Bible.
  void newWindowRequested();
  // The user asked to look for books on disk.
  void findBooksRequested();
  // The frame is closing, after [Options] Sync was written: the workspace
  // is saved now, while the children still exist.
  void closing();
  // An MDI child opened, closed or moved to another book or verse.
  void workspaceChanged();
  // Next or previous section or book (the command id) in the active book
  // window.
  void bookStepRequested(int id);
  // Goto Verse (463, 32790, 32806): the dialog, then the reference window.
  void gotoVerseRequested();
  // Topic colours 1025-1036: the next verse of topic colour 1-12.
  void topicColourRequested(int topic);
  // Colour (1164): the colour dialog, then the selected verses painted.
  void colourRequested();
  // View > Colour Legend.
  void legendRequested();
  // View > Notes Pane: the active window's notes pane shown or hidden.
  void notesPaneRequested();
  // The reference box: the text typed into it, to be gone to.
  void referenceRequested(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QAction* AddCommand(QMenu* menu, int id, const QString& label, bool enabled = false,
                      QKeySequence shortcut = {});
  void CreateMenus();
  void CreateButtonBar();
  void CreateStatusBar();
  void OnToggleSync();
  void OnChangeFont();
  void OnBibleViews();
  // A page of the user's guide in the help window; a message naming the
  // path when the guide is not beside the program.
  void ShowManualPage(const char* page);
  void OnAbout();
  void OnSetPageDownMode(int mode);
  void OnToggleScroll();
  // Back or forward through the active book window's history.
  void OnHistoryStep(bool back);
  // Bible-only commands: the active Bible view carries them out; on a book
  // the user is told they work on Bible text only.
  void OnCopyRange();
  void OnPrintVersesShown();
  // Book windows: the glossary (on) or the sections (off).
  void OnToggleGlossary(bool on);
  void OnSubWindowActivated(QMdiSubWindow* window);
  void UpdateButtonBar();
  void UpdateViewCommands();
  void OnViewCommand(void (textpane::CRtfView::*command)());
  void UpdateWindowMenu();
  void FollowActiveBible();
  void FollowBible(CChildFrame* source);
  // The active window's Bible tree while it shows a Bible, else null.
  CBibTreeView* GetActiveBibleTree() const;
  void OnToggleShowCurrentBook();
  void Tile(bool horizontal);

  std::string m_settingsPath;
  CDisplayOptions& m_options;
  QMdiArea* m_mdi;
  CTreeBar* m_treeBar = nullptr;
  QToolBar* m_buttonBar = nullptr;
  QLineEdit* m_referenceBox = nullptr;
  QMenu* m_windowMenu = nullptr;
  CHelpWindow* m_help = nullptr;
  QList<QAction*> m_windowListActions;
  QLabel* m_panes[kPaneCount] = {};
  QMap<int, QAction*> m_commands;
  int m_sync = 0;
  int m_bookshelf = 0;
  std::string m_bibleCode;
  bool m_closed = false;
  bool m_following = false;
  std::function<bool(const CPlaceDocument&)> m_isBible;
  std::function<const CBibleModule*(const CPlaceDocument&)> m_bibleOf;
  std::function<const cSOLTBook*(const CPlaceDocument&)> m_bookOf;
  std::function<bool()> m_maySave;
};

}  // namespace klmw
