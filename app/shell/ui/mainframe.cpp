#include "app/shell/ui/mainframe.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <algorithm>

#include "app/books/windowsync.h"
#include "app/shell/manual.h"
#include "app/shell/settings.h"
#include "app/shell/ui/bibview.h"
#include "app/shell/ui/bibleviewsdialog.h"
#include "app/shell/ui/bibtreeview.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/displayoptions.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/helpwindow.h"
#include "app/shell/ui/icons.h"
#include "app/shell/ui/matchcommands.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/notesview.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/searchcommands.h"
#include "app/shell/ui/searchsheet.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/treebar.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "textpane/ui/rtfview.h"

#ifndef KLMW_VERSION
#define KLMW_VERSION "0.1"
#endif

namespace klmw {

CMainFrame::CMainFrame(const std::string& settingsPath, CDisplayOptions& options, QWidget* parent)
    : QMainWindow(parent), m_settingsPath(settingsPath), m_options(options) {
  setObjectName(QStringLiteral("mainFrame"));
  setWindowTitle(QApplication::applicationDisplayName());
  m_mdi = new QMdiArea(this);
  m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_mdi->setActivationOrder(QMdiArea::StackingOrder);
  setCentralWidget(m_mdi);

  CreateMenus();
  CreateButtonBar();
  new CMatchCommands(*this);
  CreateStatusBar();

  m_treeBar = new CTreeBar(this);
  addDockWidget(Qt::LeftDockWidgetArea, m_treeBar);
  connect(m_treeBar, &CTreeBar::dimensionsRequested, this, &CMainFrame::ApplyTreeDimensions);
  if (QMenu* view = findChild<QMenu*>(QStringLiteral("menuView"))) {
    view->addSeparator();
    view->addAction(m_buttonBar->toggleViewAction());
    view->addAction(m_treeBar->toggleViewAction());
  }

  connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
  connect(this, &CMainFrame::refreshButtonBar, this, &CMainFrame::UpdateButtonBar);
  connect(this, &CMainFrame::closeAllChildrenRequested, this, &CMainFrame::CloseAllChildren);

  m_sync = ReadSyncOption(m_settingsPath) != 0 ? 1 : 0;
  SetSync(m_sync);
  SetBookshelf(0);
  SetBibleCode({});
  resize(600, 440);
}

CMainFrame::~CMainFrame() {
  // The children go after the frame's own parts: nobody may hear of their
  // activation any more, nor of the focus changes their going makes.
  m_mdi->disconnect();
  qDeleteAll(findChildren<CMatchCommands*>(Qt::FindDirectChildrenOnly));
  qDeleteAll(findChildren<CSearchCommands*>(Qt::FindDirectChildrenOnly));
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& label, bool enabled,
                                QKeySequence shortcut) {
  QAction* action = m_commands.value(id);
  if (!action) {
    action = new QAction(label, this);
    action->setObjectName(QStringLiteral("cmd%1").arg(id));
    action->setData(id);
    action->setEnabled(enabled);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    m_commands.insert(id, action);
  }
  if (menu) menu->addAction(action);
  return action;
}

void CMainFrame::CreateMenus() {
  QMenuBar* bar = menuBar();

  QMenu* file = bar->addMenu(tr("&File"));
  file->setObjectName(QStringLiteral("menuFile"));
  connect(AddCommand(file, ID_WINDOW_NEW, tr("&New Window"), true, QKeySequence::New),
          &QAction::triggered, this, &CMainFrame::newWindowRequested);
  connect(AddCommand(file, ID_FIND_BOOKS, tr("&Find Books on Disk..."), true), &QAction::triggered, this,
          &CMainFrame::findBooksRequested);
  file->addSeparator();
  // Printing, like copying, goes to the active window's rich-text view.
  const struct {
    int id;
    const char* label;
    QKeySequence shortcut;
    void (textpane::CRtfView::*command)();
  } printing[] = {
      {ID_FILE_PRINT, "&Print...", QKeySequence::Print, &textpane::CRtfView::OnFilePrint},
      {ID_FILE_PRINT_PREVIEW, "Print Pre&view", {}, &textpane::CRtfView::OnFilePrintPreview},
      {ID_FILE_PRINT_SETUP, "P&rint Setup...", {}, &textpane::CRtfView::OnFilePageSetup},
      {ID_FILE_PAGE_SETUP, "Pa&ge Setup...", {}, &textpane::CRtfView::OnFilePageSetup},
  };
  for (const auto& p : printing) {
    auto command = p.command;
    connect(AddCommand(file, p.id, tr(p.label), false, p.shortcut), &QAction::triggered, this,
            [this, command] { OnViewCommand(command); });
  }
  connect(AddCommand(file, ID_PRINT_VERSES_SHOWN, tr("Print &verses shown in currently active window"), true),
          &QAction::triggered, this, &CMainFrame::OnPrintVersesShown);
  file->addSeparator();
  connect(AddCommand(file, ID_FILE_CLOSE, tr("&Close Window"), true, QKeySequence::Close),
          &QAction::triggered, this, [this] { m_mdi->closeActiveSubWindow(); });
  // Some desktops define no Quit key; Ctrl+Q is the common one.
  QKeySequence quit(QKeySequence::Quit);
  if (quit.isEmpty()) quit = QKeySequence(Qt::CTRL | Qt::Key_Q);
  connect(AddCommand(file, ID_APP_EXIT, tr("E&xit"), true, quit), &QAction::triggered, this, &QWidget::close);

  QMenu* edit = bar->addMenu(tr("&Edit"));
  edit->setObjectName(QStringLiteral("menuEdit"));
  // The shortcut is the view's own Ctrl+C, taken here while the command is on.
  connect(AddCommand(edit, ID_EDIT_COPY, tr("&Copy"), false, QKeySequence::Copy), &QAction::triggered, this,
          [this] { OnViewCommand(&textpane::CRtfView::OnEditCopy); });
  connect(AddCommand(edit, ID_COPY_RANGE, tr("Copy &Range of Verses..."), true), &QAction::triggered, this,
          &CMainFrame::OnCopyRange);
  edit->addSeparator();
  AddCommand(edit, ID_EDIT_FIND, tr("&Search..."), false, QKeySequence::Find);
  AddCommand(edit, ID_CANCEL_SEARCH, tr("Cancel Search"), false, QKeySequence::Cancel);
  edit->addSeparator();
  AddCommand(edit, ID_COMBINE_OR, tr("Combine with &OR"));
  AddCommand(edit, ID_COMBINE_AND, tr("Combine with &AND"));
  AddCommand(edit, ID_COMBINE_XOR, tr("Combine with &XOR"));
  edit->addSeparator();
  connect(AddCommand(edit, ID_CHANGE_FONT, tr("Change the font..."), true), &QAction::triggered, this,
          &CMainFrame::OnChangeFont);
  connect(AddCommand(edit, ID_CHANGE_COLOR, tr("C&olour..."), true), &QAction::triggered, this,
          &CMainFrame::colourRequested);

  QMenu* view = bar->addMenu(tr("&View"));
  view->setObjectName(QStringLiteral("menuView"));
  QAction* sync = AddCommand(view, ID_SYNCHRONIZE, tr("S&ynchronize Bibles"), true);
  sync->setCheckable(true);
  connect(sync, &QAction::triggered, this, &CMainFrame::OnToggleSync);
  connect(AddCommand(view, ID_BIBLE_VIEWS, tr("&Bible Views..."), true), &QAction::triggered, this,
          &CMainFrame::OnBibleViews);
  connect(AddCommand(view, ID_NOTES_PANE, tr("&Notes Pane"), true, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)),
          &QAction::triggered, this, &CMainFrame::notesPaneRequested);
  QAction* currentBook = AddCommand(view, ID_SHOW_CURRENT_BOOK, tr("Show just current book"));
  currentBook->setCheckable(true);
  connect(currentBook, &QAction::triggered, this, &CMainFrame::OnToggleShowCurrentBook);
  connect(AddCommand(view, ID_SCROLL_OPTION, tr("Scrolling by verse"), true), &QAction::triggered,
          this, &CMainFrame::OnToggleScroll);
  QMenu* pageDown = view->addMenu(tr("&Page Down"));
  pageDown->setObjectName(QStringLiteral("menuPageDown"));
  auto* modes = new QActionGroup(this);
  const struct {
    int id, mode;
    const char* label;
  } pageModes[] = {{ID_PAGE_DOWN_MODE0, 0, "Page by &Screen"},
                   {ID_PAGE_DOWN_GROUP, 1, "Page by &Group of Verses"},
                   {ID_PAGE_DOWN_CHAPTER, 3, "Page by &Chapter"},
                   {ID_PAGE_DOWN_BOOK, 4, "Page by &Book"}};
  for (const auto& m : pageModes) {
    QAction* a = AddCommand(pageDown, m.id, tr(m.label), false);
    a->setCheckable(true);
    modes->addAction(a);
    int mode = m.mode;
    connect(a, &QAction::triggered, this, [this, mode] { OnSetPageDownMode(mode); });
  }
  QMenu* topics = view->addMenu(tr("&Topic Colours"));
  topics->setObjectName(QStringLiteral("menuTopics"));
  for (int k = 0; k < 12; ++k) {
    connect(AddCommand(topics, ID_TOPIC_COLOR_FIRST + k, QString::fromUtf8(SearchColourName(k))), &QAction::triggered,
            this, [this, k] { emit topicColourRequested(k + 1); });
  }
  connect(AddCommand(view, ID_COLOUR_LEGEND, tr("Colour &Legend..."), true), &QAction::triggered, this,
          &CMainFrame::legendRequested);

  QMenu* go = bar->addMenu(tr("&Go"));
  go->setObjectName(QStringLiteral("menuGo"));
  connect(AddCommand(go, ID_GOTO_VERSE, tr("&Goto Verse..."), true, QKeySequence(Qt::CTRL | Qt::Key_G)),
          &QAction::triggered, this, &CMainFrame::gotoVerseRequested);
  connect(AddCommand(go, ID_BACK, tr("&Back"), false, QKeySequence::Back), &QAction::triggered, this,
          [this] { OnHistoryStep(true); });
  connect(AddCommand(go, ID_FORWARD, tr("&Forward"), false, QKeySequence::Forward), &QAction::triggered, this,
          [this] { OnHistoryStep(false); });
  const struct {
    int id;
    const char* label;
    QKeySequence shortcut;
  } steps[] = {
      {ID_NEXT_SECTION, "&Next Section", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
      {ID_PREVIOUS_SECTION, "&Previous Section", QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
      {ID_NEXT_BOOK, "Next Boo&k", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown)},
      {ID_PREVIOUS_BOOK, "Previous B&ook", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp)},
  };
  for (const auto& step : steps) {
    const int id = step.id;
    connect(AddCommand(go, id, tr(step.label), false, step.shortcut), &QAction::triggered, this,
            [this, id] { emit bookStepRequested(id); });
  }
  // Ctrl+L goes to the reference box, as it goes to the address in a browser.
  connect(AddCommand(go, ID_GOTO_REFERENCE, tr("Go to &Reference"), true, QKeySequence(Qt::CTRL | Qt::Key_L)),
          &QAction::triggered, this, [this] {
            if (!m_buttonBar->isVisible()) m_buttonBar->show();  // the box lives on it
            m_referenceBox->setFocus(Qt::ShortcutFocusReason);
            m_referenceBox->selectAll();
          });
  QAction* glossary =
      AddCommand(go, ID_TREE_GLOSSARY, tr("G&lossary"), false, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
  glossary->setCheckable(true);
  connect(glossary, &QAction::triggered, this, &CMainFrame::OnToggleGlossary);
  go->addSeparator();
  QMenu* marks = go->addMenu(tr("Book&marks"));
  AddCommand(marks, ID_BOOKMARK_ADD, tr("&Bookmark this verse"), false, QKeySequence(Qt::CTRL | Qt::Key_D));
  AddCommand(marks, ID_BOOKMARK_LIST, tr("&Goto Bookmark..."));
  AddCommand(marks, ID_BOOKMARK_DELETE, tr("&Delete Bookmark..."));
  QMenu* tagged = go->addMenu(tr("&Tagged Verses"));
  AddCommand(tagged, ID_TAGGED_TAG, tr("&Tag This Verse for Print"));
  AddCommand(tagged, ID_TAGGED_LIST, tr("&Delete a Tagged Verse..."));
  AddCommand(tagged, ID_TAGGED_CLEAR, tr("&Print Tagged Verses..."));
  go->addSeparator();
  AddCommand(go, ID_FOOTNOTES_BUTTON, tr("Show &Footnotes..."));
  AddCommand(go, ID_SCENES_BUTTON, tr("&Scenes"));
  AddCommand(go, ID_MAPS_BUTTON, tr("M&aps"));
  AddCommand(go, ID_FOOTNOTES, tr("Display &Maps Menu..."));

  m_windowMenu = bar->addMenu(tr("&Window"));
  m_windowMenu->setObjectName(QStringLiteral("menuWindow"));
  connect(AddCommand(m_windowMenu, ID_WINDOW_TILE_HORZ, tr("Tile &Horizontal"), true),
          &QAction::triggered, this, &CMainFrame::TileHorizontal);
  connect(AddCommand(m_windowMenu, ID_WINDOW_TILE_VERT, tr("Tile &Vertical"), true),
          &QAction::triggered, this, &CMainFrame::TileVertical);
  connect(AddCommand(m_windowMenu, ID_WINDOW_CASCADE, tr("&Cascade"), true), &QAction::triggered,
          this, &CMainFrame::Cascade);
  connect(AddCommand(m_windowMenu, ID_WINDOW_ARRANGE, tr("&Arrange Icons"), true),
          &QAction::triggered, this, &CMainFrame::ArrangeIcons);
  connect(AddCommand(m_windowMenu, ID_WINDOW_CLOSE_ALL, tr("Close &All"), true), &QAction::triggered,
          this, &CMainFrame::CloseAllChildren);
  m_windowMenu->addSeparator();
  connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowMenu);

  QMenu* help = bar->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("menuHelp"));
  // The user's guide stands in for the maker's pages on the web.
  const struct {
    int id;
    const char* label;
    QKeySequence shortcut;
    const char* page;
  } helpPages[] = {
      {ID_HELP_INDEX, "&Help", QKeySequence::HelpContents, kManualContentsPage},
      {ID_HELP_ONLINE, "&Up to the minute help off our home page", {}, kManualContentsPage},
      {ID_HELP_HOME_PAGE, "klmw on the &Internet", {}, kManualAboutPage},
  };
  for (const auto& h : helpPages) {
    const char* page = h.page;
    connect(AddCommand(help, h.id, tr(h.label), true, h.shortcut), &QAction::triggered, this,
            [this, page] { ShowManualPage(page); });
  }
  help->addSeparator();
  connect(AddCommand(help, ID_APP_ABOUT, tr("&About klmw..."), true), &QAction::triggered, this,
          &CMainFrame::OnAbout);
}

void CMainFrame::CreateButtonBar() {
  m_buttonBar = addToolBar(tr("Button Bar"));
  m_buttonBar->setObjectName(QStringLiteral("buttonBar"));
  m_buttonBar->setIconSize(QSize(20, 20));
  QStyle* s = style();
  struct Button {
    int id;
    const char* tip;
    QIcon icon;
    int sameAs;  // the menu command it does, or 0
  };
  const Button buttons[] = {
      {ID_NEW_BIBLE_WINDOW, "Open a New Bible Window", s->standardIcon(QStyle::SP_FileIcon), ID_WINDOW_NEW},
      {ID_COPY_BUTTON, "Copy", s->standardIcon(QStyle::SP_DialogSaveButton), ID_EDIT_COPY},
      {ID_SYNC_BUTTON, "Sync Windows", MakeSyncIcon(false), ID_SYNCHRONIZE},
      {ID_TILE_HORZ_BUTTON, "Tile Horizontal", s->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton), ID_WINDOW_TILE_HORZ},
      {ID_TILE_VERT_BUTTON, "Tile Vertical", s->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton), ID_WINDOW_TILE_VERT},
      {ID_SEARCH_BUTTON, "Search", s->standardIcon(QStyle::SP_FileDialogContentsView), ID_EDIT_FIND},
      {ID_BACK, "Back", s->standardIcon(QStyle::SP_ArrowBack), 0},
      {ID_FORWARD, "Forward", s->standardIcon(QStyle::SP_ArrowRight), 0},
      {ID_GOTO_BUTTON, "Goto Verse", s->standardIcon(QStyle::SP_ArrowForward), ID_GOTO_VERSE},
      {ID_BOOKMARK_BUTTON, "Bookmark this verse", s->standardIcon(QStyle::SP_DirHomeIcon), ID_BOOKMARK_ADD},
      {ID_TAGGED_BUTTON, "Tag This Verse for Print", s->standardIcon(QStyle::SP_DialogApplyButton), ID_TAGGED_TAG},
      {ID_FOOTNOTES_BUTTON, "Show Footnotes", s->standardIcon(QStyle::SP_FileDialogDetailedView), 0},
      {ID_SCENES_BUTTON, "Scenes", s->standardIcon(QStyle::SP_DesktopIcon), 0},
      {ID_MAPS_BUTTON, "Maps", s->standardIcon(QStyle::SP_DriveNetIcon), 0},
  };
  for (const Button& b : buttons) {
    if (b.id == ID_TILE_HORZ_BUTTON || b.id == ID_BACK) m_buttonBar->addSeparator();
    QAction* a = m_commands.value(b.id);
    if (!a) {
      a = new QAction(tr(b.tip), this);
      a->setObjectName(QStringLiteral("cmd%1").arg(b.id));
      a->setData(b.id);
      m_commands.insert(b.id, a);
      if (QAction* menu = b.sameAs ? m_commands.value(b.sameAs) : nullptr) {
        a->setEnabled(menu->isEnabled());
        connect(a, &QAction::triggered, menu, &QAction::trigger);
        connect(menu, &QAction::enabledChanged, a, &QAction::setEnabled);
      } else {
        a->setEnabled(false);
      }
    }
    a->setToolTip(tr(b.tip));
    a->setIcon(b.icon);
    m_buttonBar->addAction(a);
  }
  QAction* syncButton = m_commands.value(ID_SYNC_BUTTON);
  syncButton->setCheckable(true);

  m_buttonBar->addSeparator();
  m_referenceBox = new QLineEdit(m_buttonBar);
  m_referenceBox->setObjectName(QStringLiteral("referenceBox"));
  m_referenceBox->setPlaceholderText(tr("Go to: Gen 1:1-3; 2:4"));
  m_referenceBox->setToolTip(tr("Type a reference (Gen 1:1-3; 2:4, 6 or jn 3 16) and press Enter (Ctrl+L)"));
  m_referenceBox->setClearButtonEnabled(true);
  m_referenceBox->setMinimumWidth(m_referenceBox->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 26);
  m_referenceBox->setMaximumWidth(m_referenceBox->minimumWidth() * 2);
  m_buttonBar->addWidget(m_referenceBox);
  // Escape hands the keys back to the window being read.
  auto* back = new QAction(m_referenceBox);
  back->setShortcut(QKeySequence(Qt::Key_Escape));
  back->setShortcutContext(Qt::WidgetShortcut);
  m_referenceBox->addAction(back);
  connect(back, &QAction::triggered, this, [this] {
    if (CChildFrame* child = GetActiveChild(); child && child->widget()) child->widget()->setFocus();
  });
  connect(m_referenceBox, &QLineEdit::returnPressed, this, [this] {
    const QString text = m_referenceBox->text().trimmed();
    if (!text.isEmpty()) emit referenceRequested(text);
  });
}

void CMainFrame::ShowReferenceProblem(const QString& problem, const QString& word, const QStringList& suggestions) {
  statusBar()->showMessage(problem, 8000);
  const QPoint below = m_referenceBox->mapToGlobal(QPoint(0, m_referenceBox->height()));
  if (suggestions.isEmpty()) {
    QToolTip::showText(below, problem, m_referenceBox);
    return;
  }
  // The names offered in a menu under the box; the one chosen takes the
  // misspelt word's place and is gone to.
  auto* menu = new QMenu(m_referenceBox);
  menu->setObjectName(QStringLiteral("referenceSuggestions"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* title = menu->addAction(problem + tr(" Did you mean:"));
  title->setEnabled(false);
  for (const QString& name : suggestions) {
    connect(menu->addAction(name), &QAction::triggered, this, [this, word, name] {
      QString text = m_referenceBox->text();
      const int at = text.indexOf(word);
      if (at >= 0) text.replace(at, word.size(), name);
      m_referenceBox->setText(text);
      emit referenceRequested(text.trimmed());
    });
  }
  menu->popup(below);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  m_panes[kPaneMessage] = new QLabel(tr("Ready"), this);
  bar->addWidget(m_panes[kPaneMessage], 1);
  for (int i = kPaneBible; i < kPaneCount; ++i) {
    m_panes[i] = new QLabel(this);
    m_panes[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_panes[i]->setMinimumWidth(60);
    m_panes[i]->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_panes[i]);
  }
  // Command descriptions go to the message pane, which Qt hides while a
  // temporary message shows; put it back when the message ends.
  connect(bar, &QStatusBar::messageChanged, this, [this](const QString& text) {
    m_panes[kPaneMessage]->setVisible(text.isEmpty());
  });
}

QLabel* CMainFrame::GetStatusPane(int pane) const {
  return pane >= 0 && pane < kPaneCount ? m_panes[pane] : nullptr;
}

QList<CChildFrame*> CMainFrame::GetChildFrames() const {
  QList<CChildFrame*> frames;
  const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::StackingOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (auto* f = qobject_cast<CChildFrame*>(*it)) frames.append(f);
  }
  return frames;
}

CChildFrame* CMainFrame::GetActiveChild() const {
  if (auto* f = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow())) return f;
  // Without focus (a test, a window behind others) the top child counts.
  QList<CChildFrame*> frames = GetChildFrames();
  return frames.isEmpty() ? nullptr : frames.first();
}

CPlaceDocument* CMainFrame::GetActiveDocument() const {
  CChildFrame* f = GetActiveChild();
  return f ? dynamic_cast<CPlaceDocument*>(f->GetDocument()) : nullptr;
}

textpane::CRtfView* CMainFrame::GetActiveRtfView() const {
  CChildFrame* child = GetActiveChild();
  if (!child) return nullptr;
  QWidget* focus = QApplication::focusWidget();
  for (QWidget* w = focus; w && child->isAncestorOf(w); w = w->parentWidget()) {
    if (auto* view = qobject_cast<textpane::CRtfView*>(w)) return view;
  }
  // The text pane: after the tree pane, before a notes pane.
  QSplitter* splitter = child->GetSplitter();
  if (!splitter) return qobject_cast<textpane::CRtfView*>(child->widget());
  for (int i = splitter->count() - 1; i >= 0; --i)
    if (auto* view = qobject_cast<textpane::CRtfView*>(splitter->widget(i))) return view;
  return nullptr;
}

void CMainFrame::OnViewCommand(void (textpane::CRtfView::*command)()) {
  if (textpane::CRtfView* view = GetActiveRtfView()) (view->*command)();
}

void CMainFrame::SetSync(int sync) {
  m_sync = sync ? 1 : 0;
  for (int id : {ID_SYNCHRONIZE, ID_SYNC_BUTTON}) {
    if (QAction* a = m_commands.value(id)) {
      QSignalBlocker block(a);
      a->setChecked(m_sync == 1);
    }
  }
  if (QAction* b = m_commands.value(ID_SYNC_BUTTON)) b->setIcon(MakeSyncIcon(m_sync == 1));
  if (m_panes[kPaneSync]) m_panes[kPaneSync]->setText(m_sync ? tr("SYNC") : QString());
}

void CMainFrame::SetBookshelf(int bookshelf) {
  m_bookshelf = bookshelf;
  if (m_panes[kPaneBookshelf]) m_panes[kPaneBookshelf]->setText(tr("Shelf %1").arg(bookshelf));
}

void CMainFrame::SetBibleCode(const std::string& code) {
  m_bibleCode = code.substr(0, 4);
  if (m_panes[kPaneBible]) m_panes[kPaneBible]->setText(FromLatin1252(m_bibleCode));
}

void CMainFrame::OnToggleSync() {
  SetSync(m_sync ? 0 : 1);
  if (m_sync) FollowActiveBible();
}

void CMainFrame::FollowActiveBible() { FollowBible(GetActiveChild()); }

// The frame describes its windows and carries out what the walk decides.
// Moving a window tells the frame again; the guard ends following there, and
// a window already at the verse does not move, so nothing goes round twice.
void CMainFrame::FollowBible(CChildFrame* source) {
  auto* doc = source ? dynamic_cast<CPlaceDocument*>(source->GetDocument()) : nullptr;
  if (!doc || m_following) return;
  const QList<CChildFrame*> frames = GetChildFrames();
  std::vector<CSyncWindow> windows;
  std::vector<CPlaceDocument*> docs;
  std::vector<const cSOLTBook*> books;
  for (CChildFrame* f : frames) {
    CSyncWindow w;
    w.source = f == source;
    auto* other = dynamic_cast<CPlaceDocument*>(f->GetDocument());
    const cSOLTBook* book = other && m_bookOf ? m_bookOf(*other) : nullptr;
    if (f->GetTemplate().GetIndex() == kTemplatePicture) {
      // The picture window is the map window.
      w.kind = EWindowKind::Map;
    } else if (other && IsBible(*other)) {
      w.kind = EWindowKind::Bible;
    } else if (book) {
      w.kind = EWindowKind::Book;
      w.syncType = book->GetSyncType();
    }
    windows.push_back(w);
    docs.push_back(other);
    books.push_back(book);
  }
  const int verse = doc->GetSectionKey();
  SyncKeyLookup keyOf;
  if (const CBibleModule* bible = m_bibleOf ? m_bibleOf(*doc) : nullptr) {
    keyOf = [&books, bible, verse](size_t i) {
      cSOLTBook reader(*books[i]);
      return FindVerseSyncKey(reader, *bible, verse);
    };
  }
  const std::vector<CSyncMove> moves = PlanWindowSync(m_sync != 0, windows, verse, keyOf);
  m_following = true;
  for (const CSyncMove& move : moves) {
    CPlaceDocument* other = docs[move.window];
    if (move.action == CSyncMove::kSetVerse) {
      other->SetSectionKey(move.value);
    } else {
      int key = move.value;
      other->UpdateAllViews(nullptr, CPlaceDocument::kHintGoToKey, &key);
    }
  }
  m_following = false;
}

void CMainFrame::OnChildPositionChanged(CChildFrame* source) {
  if (m_sync) FollowBible(source);
  // A book window's history grew or shrank.
  UpdateButtonBar();
}

CBibTreeView* CMainFrame::GetActiveBibleTree() const {
  CChildFrame* child = GetActiveChild();
  QSplitter* splitter = child ? child->GetSplitter() : nullptr;
  auto* tree = splitter && splitter->count() > 1 ? qobject_cast<CBibTreeView*>(splitter->widget(0)) : nullptr;
  return tree && tree->ShowsBible() ? tree : nullptr;
}

void CMainFrame::OnToggleShowCurrentBook() {
  if (CBibTreeView* tree = GetActiveBibleTree()) tree->SetShowCurrentBook(!tree->GetShowCurrentBook());
  UpdateButtonBar();
}

void CMainFrame::OnHistoryStep(bool back) {
  CPlaceDocument* doc = GetActiveDocument();
  if (!doc || IsBible(*doc)) return;
  if (back) {
    doc->GoBack();
  } else {
    doc->GoForward();
  }
  UpdateButtonBar();
}

void CMainFrame::OnCopyRange() {
  auto* view = dynamic_cast<CBibView*>(GetActiveRtfView());
  if (!view || !view->ShowsBible()) {
    platform::MessageBox("This function works only on Bible Text");
    return;
  }
  view->OnCopyRange();
}

void CMainFrame::OnPrintVersesShown() {
  auto* view = dynamic_cast<CBibView*>(GetActiveRtfView());
  if (!view || !view->ShowsBible()) {
    platform::MessageBox("This function works only on Bible Text");
    return;
  }
  view->PrintVersesShown();
}

void CMainFrame::OnToggleGlossary(bool on) {
  CPlaceDocument* doc = GetActiveDocument();
  if (!doc || IsBible(*doc)) return;
  doc->SetTreeMode(on ? 1 : 0);
  UpdateButtonBar();
}

void CMainFrame::OnBibleViews() {
  CBibleViewsDialog dialog(this);
  bool wasSuppressed = m_options.m_suppressFootnotes;
  dialog.SetSuppressFootnotes(wasSuppressed);
  if (dialog.exec() != QDialog::Accepted) return;
  m_options.m_suppressFootnotes = dialog.GetSuppressFootnotes();
  // Every window is laid out again when suppression was on before, and the
  // active document is told in any case.
  if (wasSuppressed) {
    for (CChildFrame* f : GetChildFrames()) {
      if (f->GetDocument()) f->GetDocument()->UpdateAllViews(nullptr);
    }
  } else if (CChildFrame* f = GetActiveChild(); f && f->GetDocument()) {
    f->GetDocument()->UpdateAllViews(nullptr);
  }
}

void CMainFrame::OnChangeFont() {
  CChildFrame* child = GetActiveChild();
  CPlaceDocument* doc = GetActiveDocument();
  if (!child || !doc) return;
  // A note is the user's own text: its pane takes a font in any window.
  auto* notes = qobject_cast<CNotesView*>(QApplication::focusWidget());
  if (notes && child->isAncestorOf(notes)) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, notes->font(), this, tr("Change the font"));
    if (ok) notes->setFont(font);
    return;
  }
  if (!IsBible(*doc)) {
    platform::MessageBox("You cannot change Font's in a SOLT Book...Sorry");
    return;
  }
  // The pane that has the focus takes the font; without one, the text pane.
  QWidget* pane = nullptr;
  if (QSplitter* splitter = child->GetSplitter()) {
    for (int i = 0; i < splitter->count() && !pane; ++i) {
      QWidget* w = splitter->widget(i);
      if (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget())) pane = w;
    }
    // The text pane: the last one that is not a notes pane.
    for (int i = splitter->count() - 1; i >= 0 && !pane; --i)
      if (!qobject_cast<CNotesView*>(splitter->widget(i))) pane = splitter->widget(i);
  } else {
    pane = child->widget();
  }
  if (!pane) return;
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, pane->font(), this, tr("Change the font"));
  if (ok) pane->setFont(font);
}

void CMainFrame::OnToggleScroll() {
  m_options.m_scrollByVerse = !m_options.m_scrollByVerse;
  // The item offers the other way of scrolling.
  m_commands.value(ID_SCROLL_OPTION)->setText(m_options.m_scrollByVerse ? tr("Scrolling by line")
                                                                        : tr("Scrolling by verse"));
}

void CMainFrame::OnSetPageDownMode(int mode) {
  if (CPlaceDocument* doc = GetActiveDocument(); doc && IsBible(*doc)) doc->SetPageDownMode(mode);
  UpdateButtonBar();
}

void CMainFrame::ShowManualPage(const char* page) {
  const QString path = QString::fromStdString(ManualPagePath(platform::GetExecutableDir(), page));
  if (!QFileInfo::exists(path)) {
    QMessageBox::information(this, windowTitle(), QString::fromStdString(DescribeMissingManual(path.toStdString())));
    return;
  }
  // The guide's folder, as the window's Contents button goes back to it.
  const QFileInfo file(path);
  const QDir folder = file.canonicalPath();
  if (!m_help) m_help = new CHelpWindow(QUrl::fromLocalFile(folder.filePath(QString::fromLatin1(kManualContentsPage))), this);
  m_help->ShowPage(QUrl::fromLocalFile(file.canonicalFilePath()));
}

void CMainFrame::OnAbout() {
  QMessageBox::about(this, tr("About klmw"),
                     tr("<h3>klmw %1</h3><p>Bible study and reference books.</p>"
                        "<p>Built with Qt %2.</p>")
                         .arg(QStringLiteral(KLMW_VERSION), QString::fromLatin1(qVersion())));
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow*) { UpdateButtonBar(); }

// Copy and the printing commands are on while the active window shows rich
// text; copy is on even without a selection, when it empties the clipboard.
void CMainFrame::UpdateViewCommands() {
  const bool on = GetActiveRtfView() != nullptr;
  for (int id : {ID_EDIT_COPY, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, ID_FILE_PAGE_SETUP}) {
    m_commands.value(id)->setEnabled(on);
  }
}

void CMainFrame::UpdateButtonBar() {
  CPlaceDocument* doc = GetActiveDocument();
  CPlaceDocument* book = doc && !IsBible(*doc) ? doc : nullptr;
  m_commands.value(ID_BACK)->setEnabled(book && book->CanGoBack());
  m_commands.value(ID_FORWARD)->setEnabled(book && book->CanGoForward());
  for (int id : {ID_NEXT_SECTION, ID_PREVIOUS_SECTION, ID_NEXT_BOOK, ID_PREVIOUS_BOOK, ID_TREE_GLOSSARY}) {
    m_commands.value(id)->setEnabled(book != nullptr);
  }
  // The topic colours step through the active Bible window.
  for (int k = 0; k < 12; ++k) m_commands.value(ID_TOPIC_COLOR_FIRST + k)->setEnabled(doc && !book);
  m_commands.value(ID_TREE_GLOSSARY)->setChecked(book && book->GetTreeMode() == 1);
  if (doc && !IsBible(*doc)) doc = nullptr;
  const int modeIds[] = {ID_PAGE_DOWN_MODE0, ID_PAGE_DOWN_GROUP, ID_PAGE_DOWN_CHAPTER, ID_PAGE_DOWN_BOOK};
  const int modes[] = {0, 1, 3, 4};
  for (int i = 0; i < 4; ++i) {
    QAction* a = m_commands.value(modeIds[i]);
    a->setEnabled(doc != nullptr);
    a->setChecked(doc && doc->GetPageDownMode() == modes[i]);
  }
  CBibTreeView* tree = GetActiveBibleTree();
  QAction* currentBook = m_commands.value(ID_SHOW_CURRENT_BOOK);
  currentBook->setEnabled(tree != nullptr);
  currentBook->setChecked(tree && tree->GetShowCurrentBook());
  UpdateViewCommands();
  SetSync(m_sync);
}

void CMainFrame::UpdateWindowMenu() {
  for (QAction* a : m_windowListActions) {
    m_windowMenu->removeAction(a);
    a->deleteLater();
  }
  m_windowListActions.clear();
  const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* w = windows[i];
    QString label = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(w->windowTitle())
                          : QStringLiteral("%1 %2").arg(i + 1).arg(w->windowTitle());
    QAction* a = m_windowMenu->addAction(label);
    a->setCheckable(true);
    a->setChecked(w == m_mdi->activeSubWindow());
    connect(a, &QAction::triggered, this, [this, w] { m_mdi->setActiveSubWindow(w); });
    m_windowListActions.append(a);
  }
}

void CMainFrame::Tile(bool horizontal) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
    if (w->isVisible() && !w->isMinimized()) windows.append(w);
  }
  if (windows.isEmpty()) return;
  QRect area = m_mdi->viewport()->rect();
  // Icons keep the bottom row.
  for (QMdiSubWindow* w : m_mdi->subWindowList()) {
    if (w->isMinimized()) {
      area.setBottom(area.bottom() - w->height());
      break;
    }
  }
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* w = windows[i];
    if (w->isMaximized()) w->showNormal();
    QRect r;
    if (horizontal) {
      // One above the other, each the full width.
      int top = area.top() + area.height() * i / n;
      int bottom = area.top() + area.height() * (i + 1) / n;
      r = QRect(area.left(), top, area.width(), bottom - top);
    } else {
      int left = area.left() + area.width() * i / n;
      int right = area.left() + area.width() * (i + 1) / n;
      r = QRect(left, area.top(), right - left, area.height());
    }
    w->setGeometry(r);
  }
  emit workspaceChanged();
}

void CMainFrame::TileHorizontal() { Tile(true); }
void CMainFrame::TileVertical() { Tile(false); }

void CMainFrame::Cascade() {
  m_mdi->cascadeSubWindows();
  emit workspaceChanged();
}

void CMainFrame::ArrangeIcons() {
  const QRect area = m_mdi->viewport()->rect();
  int x = area.left();
  int y = area.bottom();
  for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized()) continue;
    QSize size = w->size();
    if (x > area.left() && x + size.width() > area.right()) {
      x = area.left();
      y -= size.height();
    }
    w->move(x, y - size.height() + 1);
    x += size.width();
  }
}

void CMainFrame::CloseAllChildren() {
  // Deleted at once, not later: a workspace restored next must not meet
  // the documents of the windows it replaces.
  for (QMdiSubWindow* w : m_mdi->subWindowList()) {
    if (w->close()) delete w;
  }
}

void CMainFrame::ApplyTreeDimensions(int width, int height) {
  resizeDocks({m_treeBar}, {width}, Qt::Horizontal);
  if (m_treeBar->isFloating()) m_treeBar->resize(width, height);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!m_closed) {
    m_closed = true;
    const bool save = !m_maySave || m_maySave();
    if (save) WriteSyncOption(m_settingsPath, m_sync);
    emit closing();
    if (save) m_treeBar->WriteDimensions(m_settingsPath);
  }
  event->accept();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  m_treeBar->raise();
}

}  // namespace klmw
