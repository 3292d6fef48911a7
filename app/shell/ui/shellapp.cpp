#include "app/shell/ui/shellapp.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <numeric>

#include "app/books/booknavigation.h"
#include "app/shell/commandline.h"
#include "app/shell/settings.h"
#include "app/shell/ui/bibdoc.h"
#include "app/shell/ui/bibtreeview.h"
#include "app/shell/ui/bibview.h"
#include "app/shell/ui/bookview.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/legenddialog.h"
#include "app/shell/ui/linkhost.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/notesview.h"
#include "app/shell/ui/pictureview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/plainview.h"
#include "app/shell/ui/scandialog.h"
#include "app/shell/ui/searchcommands.h"
#include "app/shell/ui/studyaidcommands.h"
#include "app/shell/ui/solttreeview.h"
#include "app/shell/ui/splash.h"
#include "app/shell/ui/treebar.h"
#include "app/shell/ui/versedialogs.h"
#include "biblefile/booknames.h"
#include "notesstore/notesfile.h"
#include "platform/file.h"
#include "platform/home.h"
#include "platform/lettercase.h"
#include "platform/messages.h"

#ifndef KLMW_VERSION
#define KLMW_VERSION "0.1"
#endif

namespace klmw {

namespace {

// Saved child windows further right or down than this come back at the
// area's edge.
constexpr int kMaxChildOffset = 4000;

// How long the deferred start-up stages wait for the first paint.
constexpr int kFirstPaintWaitMs = 300;

// Bookcase's news waits while the start-up or another restore is under way
// (a message box of theirs runs the event loop).
constexpr int kBookcaseRetryMs = 200;

// The least width a window gets when a first start lays the default windows
// side by side.
constexpr int kMinTiledWidth = 240;

// Verses shown after the position line by the stand-in Bible view.
constexpr int kVersesShown = 8;

// Show states of a saved window record.
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kShowMinNoActive = 7;
constexpr int kShowMinimize = 6;

QRect EntryRect(const CWhereEntry& e) {
  return QRect(QPoint(e.left, e.top), QSize(e.right - e.left, e.bottom - e.top));
}

CWhereEntry RectEntry(const QRect& r) {
  CWhereEntry e;
  e.left = r.left();
  e.top = r.top();
  e.right = r.left() + r.width();
  e.bottom = r.top() + r.height();
  return e;
}

// A saved rectangle made usable: damaged records (negative or huge sizes,
// places far away) must not hide a window. Within bounds when given (the
// screen for the main frame); children may lie partly outside the MDI area,
// which scrolls to them.
QRect SaneRect(QRect r, const QSize& fallback, const QRect& bounds) {
  // A record whose size is damaged has its place in doubt too.
  if (r.width() < 100 || r.height() < 60 || r.width() > 20000 || r.height() > 20000) r = QRect(QPoint(0, 0), fallback);
  if (!bounds.isEmpty()) {
    r.setWidth(std::min(r.width(), bounds.width()));
    r.setHeight(std::min(r.height(), bounds.height()));
    if (r.left() < bounds.left() || r.left() > bounds.right() - 40) r.moveLeft(bounds.left());
    if (r.top() < bounds.top() || r.top() > bounds.bottom() - 40) r.moveTop(bounds.top());
  } else {
    if (r.left() < 0 || r.left() > kMaxChildOffset) r.moveLeft(0);
    if (r.top() < 0 || r.top() > kMaxChildOffset) r.moveTop(0);
  }
  return r;
}

}  // namespace

struct CShellApp::CExitRelay {
  std::mutex mutex;
  CShellApp* app = nullptr;
};

CShellApp::CShellApp(const std::string& settingsPath, QObject* parent)
    // The path is always given: the core's own fall-back for "" does not
    // reach the settings file.
    : QObject(parent), m_core(settingsPath.empty() ? klmw::GetSettingsPath() : settingsPath) {
  // A Bible's text path is its folder + "/" + code + "/": less the last
  // character it names no file, but the definition beside it says the
  // Bible is still there.
  m_core.GetWhere().SetPathTest([](const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec) || std::filesystem::exists(path + ".ixb", ec);
  });
  m_autosave.setSingleShot(true);
  m_autosave.setInterval(1000);
  connect(&m_autosave, &QTimer::timeout, this, [this] {
    if (m_closing || !MaySave() || !m_frame) return;
    ++m_autosaves;
    SaveWorkspace(m_core.GetCurrentBookshelf());
  });
  // Bookcase's end is seen on a thread of its own; the news is queued to
  // this object, and dropped once it is gone.
  m_exitRelay = std::make_shared<CExitRelay>();
  m_exitRelay->app = this;
  m_core.GetRegistry().SetBookcaseExitHook([relay = m_exitRelay] {
    std::lock_guard<std::mutex> lock(relay->mutex);
    if (CShellApp* app = relay->app)
      QMetaObject::invokeMethod(app, [app] { app->OnBookcaseExited(); }, Qt::QueuedConnection);
  });
}

CShellApp::~CShellApp() {
  {
    std::lock_guard<std::mutex> lock(m_exitRelay->mutex);
    m_exitRelay->app = nullptr;
  }
  // The frames close their documents through the templates: frames first.
  m_frame.reset();
}

CUiDocTemplate* CShellApp::GetTemplate(int index) const {
  return index >= 0 && index < kTemplateCount ? m_templates[static_cast<size_t>(index)].get() : nullptr;
}

const CBibleModule* CShellApp::BibleOf(const CPlaceDocument& doc) const {
  CStudyAppCore& core = const_cast<CStudyAppCore&>(m_core);
  const cSOLTBook* book = core.GetRegistry().GetBook(doc.GetBookIndex());
  return book ? core.GetBibleModules().Find(book->GetBookName()) : nullptr;
}

const cSOLTBook* CShellApp::BookOf(const CPlaceDocument& doc) const {
  const CDataSetRegistry& registry = const_cast<CStudyAppCore&>(m_core).GetRegistry();
  if (!registry.IsLoaded()) return nullptr;
  const cSOLTBook* book = registry.GetBook(doc.GetBookIndex());
  return book && !BibleOf(doc) ? book : nullptr;
}

std::string CShellApp::DescribePosition(const CPlaceDocument& doc) const {
  CStudyAppCore& core = const_cast<CStudyAppCore&>(m_core);
  if (core.GetRegistry().GetBookCount() == 0) {
    return "No book is registered.\nRegister your books with Bookcase, then open them from the tree bar.";
  }
  const CBibleModule* bible = BibleOf(doc);
  if (!bible) return "Section " + std::to_string(doc.GetSectionKey());
  int book = 0, chapter = 0, verse = 0;
  if (!bible->IndexToPlace(doc.GetSectionKey(), book, chapter, verse)) {
    return "Verse " + std::to_string(doc.GetSectionKey() + 1) + " is not in this Bible";
  }
  std::string out = bible->GetBookLabel(book + 1) + " " + std::to_string(chapter + 1) + ":" +
                    std::to_string(verse + 1) + "\n";
  platform::File file;
  if (!bible->OpenText(file)) return out;
  for (int i = 0; i < kVersesShown; ++i) {
    int index = doc.GetSectionKey() + i;
    int b = 0, c = 0, v = 0;
    std::string text;
    if (!bible->IndexToPlace(index, b, c, v) || !bible->GetVerseText(file, index + 1, text)) break;
    out += std::to_string(c + 1) + ":" + std::to_string(v + 1) + " " + text + "\n";
  }
  return out;
}

void CShellApp::CreateTemplates() {
  CStudyAppCore* core = &m_core;
  // Every window opens a registry book by the name "Book# %d %d"; an empty
  // name gives an empty document.
  auto opener = [core](platform::CDocument& doc, const std::string& name) {
    int book = 0, key = 0;
    if (!ParseBookDocumentName(name, book, key)) return false;
    auto& place = static_cast<CPlaceDocument&>(doc);
    // A book index beyond the list shows book 0.
    const cSOLTBook* entry = core->GetRegistry().GetBook(book);
    if (!entry) {
      book = 0;
      entry = core->GetRegistry().GetBook(0);
    }
    place.SetTitle(entry ? entry->GetBookName() : std::string("(no book)"));
    place.SetPosition(book, key, 0, " ", 4);
    return true;
  };
  auto factory = [] { return std::make_unique<CBibDoc>(); };
  // Books show their section, Bibles their verses; with no book at all the
  // window says how to register some.
  ViewFactory plain = [this](platform::CDocument& doc, QWidget* parent) {
    auto& place = static_cast<CPlaceDocument&>(doc);
    if (BookOf(place)) {
      auto* v = new CBookView([this](const CPlaceDocument& d) { return BookOf(d); }, parent);
      v->SetLinkHost(MakeBookLinkHost(*this));
      return CMadeView{v, v};
    }
    if (BibleOf(place)) {
      CBibleViewHost host;
      host.bibleOf = [this](const CPlaceDocument& d) { return BibleOf(d); };
      host.options = &m_options;
      host.command = [this](int id) { return m_frame ? m_frame->GetCommand(id) : nullptr; };
      host.paintOf = [this](const CBibleModule& bible) { return PaintOf(bible); };
      host.footnote = [this](const CBibleModule& bible, int verse, size_t which) -> std::string {
        CStudyAidCommands* aids = m_frame ? m_frame->findChild<CStudyAidCommands*>() : nullptr;
        if (!aids) return {};
        const std::vector<const CFootnote*> notes = aids->Footnotes(bible.GetCode()).AllOf(verse + 1);
        return which < notes.size() ? notes[which]->text : std::string();
      };
      auto* v = new CBibView([this](const CPlaceDocument& d) { return BookOf(d); }, std::move(host), parent);
      v->SetLinkHost(MakeBookLinkHost(*this));
      return CMadeView{v, v};
    }
    auto* v = new CPlainView([this](const CPlaceDocument& d) { return DescribePosition(d); }, parent);
    return CMadeView{v, v};
  };
  ViewFactory tree = [this](platform::CDocument& doc, QWidget* parent) {
    if (BookOf(static_cast<CPlaceDocument&>(doc))) {
      auto* v = new CSoltTreeView([this](const CPlaceDocument& d) { return BookOf(d); }, parent);
      return CMadeView{v, v};
    }
    auto* v = new CBibTreeView([this](const CPlaceDocument& d) { return BibleOf(d); },
                               [this](const CPlaceDocument& d) { return BookOf(d); }, parent);
    return CMadeView{v, v};
  };
  using Kind = CUiDocTemplate::FrameKind;
  const struct {
    const char* name;
    Kind kind;
    bool withTree;
  } kinds[kTemplateCount] = {
      {"Book", Kind::Splitter, true},       {"Book Tree", Kind::Splitter, false},
      {"Bible", Kind::Splitter, true},      {"Bible Tree", Kind::Splitter, false},
      {"Notes", Kind::Splitter, false},     {"Picture", Kind::Plain, false},
      {"Reference", Kind::Splitter, false},
  };
  for (int i = 0; i < kTemplateCount; ++i) {
    // The picture window opens a picture file by its path.
    const bool picture = i == kTemplatePicture;
    auto core = std::make_unique<platform::CDocTemplate>(
        kinds[i].name, factory, picture ? platform::CDocTemplate::Opener(OpenPictureDocument) : opener);
    m_templates[static_cast<size_t>(i)] = std::make_unique<CUiDocTemplate>(
        i, std::move(core), kinds[i].kind, picture ? ViewFactory(MakePictureView) : plain,
        kinds[i].withTree ? tree : ViewFactory{});
  }
}

bool CShellApp::InitInstance(const CStartOptions& options) {
  m_startOptions = options;
  // There is no OLE to start on this platform, and no recent-file list is
  // kept (no file type opens from it).
  CreateTemplates();
  m_frame = std::make_unique<CMainFrame>(m_core.GetSettingsPath(), m_options);
  if (options.splash) CSplashWnd::ShowSplashScreen(QStringLiteral(KLMW_VERSION));
  CMainFrame* frame = m_frame.get();
  frame->SetSavingTest([this] { return MaySave(); });
  // Until the registry is read every window counts as a Bible.
  frame->SetBibleTest([this](const CPlaceDocument& doc) {
    return !m_core.GetRegistry().IsLoaded() || m_core.GetRegistry().GetBookCount() == 0 || BibleOf(doc);
  });
  frame->SetDocumentSources([this](const CPlaceDocument& doc) { return BibleOf(doc); },
                            [this](const CPlaceDocument& doc) { return BookOf(doc); });
  new CSearchCommands(*frame, {[this](const CPlaceDocument& doc) { return BibleOf(doc); },
                               [this](const CPlaceDocument& doc) { return BookOf(doc); },
                               [this](const CBibleModule& bible) { return PaintOf(bible); },
                               m_core.GetSettingsPath(), platform::GetProgramDir()});
  {
    // The user's lists and notes live beside the settings file.
    std::string userDir = std::filesystem::path(m_core.GetSettingsPath()).parent_path().string();
    new CStudyAidCommands(*this, userDir.empty() ? std::string() : userDir + "/");
  }
  connect(frame, &CMainFrame::newWindowRequested, this, &CShellApp::OnNewWindow);
  connect(frame, &CMainFrame::closing, this, &CShellApp::OnFrameClosing);
  connect(frame, &CMainFrame::findBooksRequested, this, &CShellApp::FindBooks);
  connect(frame, &CMainFrame::workspaceChanged, this, &CShellApp::ScheduleAutosave);
  connect(frame, &CMainFrame::bookStepRequested, this, &CShellApp::OnBookStep);
  connect(frame, &CMainFrame::gotoVerseRequested, this, &CShellApp::OnGotoVerse);
  connect(frame, &CMainFrame::topicColourRequested, this, &CShellApp::OnTopicColour);
  connect(frame, &CMainFrame::colourRequested, this, &CShellApp::OnPaintColour);
  connect(frame, &CMainFrame::legendRequested, this, &CShellApp::OnLegend);
  connect(frame, &CMainFrame::notesPaneRequested, this, [this] { ToggleNotesPane(); });
  connect(frame, &CMainFrame::referenceRequested, this,
          [this](const QString& text) { GoToTypedReference(ToLatin1252(text)); });
  connect(frame, &CMainFrame::rebuildTree, this, [this] { m_frame->GetTreeBar()->Rebuild(m_core.GetRegistry()); });
  connect(frame->GetTreeBar(), &CTreeBar::openBook, this, [this](int book, int key) { OpenBook(book, key); });
  connect(frame->GetMdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (auto* f = qobject_cast<CChildFrame*>(w)) {
      auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument());
      const cSOLTBook* book = doc ? m_core.GetRegistry().GetBook(doc->GetBookIndex()) : nullptr;
      if (book && m_core.GetBibleModules().Find(book->GetBookName())) {
        m_core.SetCurrentBibleCode(book->GetBookName());
        m_frame->SetBibleCode(m_core.GetCurrentBibleCode());
      }
    }
  });

  // The window shows (and paints) before the slow stages.
  frame->show();
  if (options.synchronous) {
    FinishStartup();
  } else {
    // The rest waits for the frame's first paint, so the user sees the
    // window at once; the fall-back timer covers a platform that paints
    // nothing until later (a minimised start).
    frame->installEventFilter(this);
    QTimer::singleShot(kFirstPaintWaitMs, this, &CShellApp::FinishStartup);
  }
  return true;
}

bool CShellApp::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_frame.get() && event->type() == QEvent::Paint && !m_started) {
    m_frame->removeEventFilter(this);
    emit firstPaint();
    QTimer::singleShot(0, this, &CShellApp::FinishStartup);
  }
  return QObject::eventFilter(watched, event);
}

void CShellApp::FinishStartup() {
  // Closed before the deferred stages ran: nothing more to do.
  if (!m_frame || m_started || m_closing) return;
  m_started = true;
  m_frame->removeEventFilter(this);
  // The bookshelf, the words like SOLT, the registry.
  m_core.Startup();
  // A message about a missing book lets the user close the program.
  if (m_closing) return;
  m_frame->SetBookshelf(m_core.GetCurrentBookshelf());
  // The workspace of the current bookshelf.
  RestoreWorkspace(m_core.GetCurrentBookshelf());
  if (m_closing) return;
  emit m_frame->rebuildTree();
  // The documents named on the command line open over the workspace.
  for (const std::string& name : m_startOptions.documents) OpenDocument(name);
  // The book list opened empty: tell the user and start bookcase. The
  // watch starts first, so bookcase's end cannot come before it.
  if (m_startOptions.offerBookcase && m_core.GetRegistry().GetBookCount() == 0) {
    WatchForBookcase();
    if (m_core.GetRegistry().OfferBookcaseWhenEmpty() > 0) {
      StopWatchingForBookcase();
      emit m_frame->rebuildTree();
    }
  }
  // Last, the button bar is brought up to date.
  emit m_frame->refreshButtonBar();
  m_ready = true;
  emit ready();
}

CWindowHooks CShellApp::MakeHooks() {
  CWindowHooks hooks;
  hooks.closeAllWindows = [this] { emit m_frame->closeAllChildrenRequested(); };
  hooks.openWindow = [this](const CWindowToOpen& w, const CWhereEntry& e) {
    const bool rectSaved = m_core.GetWhere().WasRectSaved(w.entry);
    CChildFrame* frame =
        m_templates[kTemplateBibleText]->OpenDocumentFile(m_frame->GetMdiArea(), w.documentName, false);
    if (!frame) return;
    if (auto* doc = dynamic_cast<CPlaceDocument*>(frame->GetDocument())) {
      doc->SetPosition(e.bookIndex, e.sectionKey, e.firstPosition, e.searchString, e.pageDownMode);
    }
    frame->setGeometry(SaneRect(EntryRect(e), QSize(500, 330), QRect()));
    frame->SetTreeWidth(std::max(0, e.treeWidth));
    frame->setProperty("klmwShowState", e.showState);
    frame->setProperty("klmwRectSaved", rectSaved);
    m_restored.push_back(frame);
  };
  hooks.finishRestore = [this](const CWhereEntry& main, int treeWidth, int treeHeight) {
    QRect screen;
    if (QScreen* s = m_frame->screen()) screen = s->availableGeometry();
    // Without a rectangle of the user's, a first start takes most of the
    // screen (the default record's 600 x 440 is lost on today's screens);
    // a later bookshelf without one leaves the frame where it is.
    const bool rectSaved = m_core.GetWhere().WasRectSaved(0);
    if (rectSaved) {
      m_frame->setGeometry(SaneRect(EntryRect(main), QSize(600, 440), screen));
    } else if (!m_framePlaced) {
      const CScreenRect r = FirstStartFrameRect(
          {screen.left(), screen.top(), screen.left() + screen.width(), screen.top() + screen.height()});
      m_frame->setGeometry(QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top)));
    }
    m_framePlaced = true;
    // Without a saved size the bar takes a fifth of the frame.
    if (treeWidth > 0) {
      m_frame->GetTreeBar()->SetDimensions(treeWidth, treeHeight);
    } else {
      m_frame->GetTreeBar()->SetDimensions(std::max(CTreeBar::kMinWidth, m_frame->width() / 5), m_frame->height());
    }
    // From the last window back to the first, so the first (saved as the
    // active one) ends on top and active.
    for (auto it = m_restored.rbegin(); it != m_restored.rend(); ++it) {
      CChildFrame* f = *it;
      switch (f->property("klmwShowState").toInt()) {
        case kShowMinimized:
        case kShowMinimize:
        case kShowMinNoActive: f->showMinimized(); break;
        case kShowMaximized: f->showMaximized(); break;
        default: f->showNormal(); break;
      }
      WatchFrame(f);
    }
    // Windows that kept no rectangle in a frame that kept none share the
    // area rather than sit in its corner at the default record's size.
    const bool allDefault = std::none_of(m_restored.begin(), m_restored.end(),
                                         [](CChildFrame* f) { return f->property("klmwRectSaved").toBool(); });
    if (!rectSaved && allDefault && !m_restored.empty()) {
      // The tree bar's new width first, so the area has its final size.
      if (QLayout* layout = m_frame->layout()) layout->activate();
      // Side by side while each keeps a width to read in; more windows
      // than that stay at the default size.
      const int width = m_frame->GetMdiArea()->viewport()->width();
      if (width / static_cast<int>(m_restored.size()) >= kMinTiledWidth) m_frame->TileVertical();
    }
    if (!m_restored.empty()) m_frame->GetMdiArea()->setActiveSubWindow(m_restored.front());
    m_restored.clear();
  };
  hooks.captureMainFrame = [this] {
    const bool normal = !m_frame->isMaximized() && !m_frame->isMinimized() && !m_frame->isFullScreen();
    return RectEntry(normal || !m_frame->normalGeometry().isValid() ? m_frame->geometry() : m_frame->normalGeometry());
  };
  hooks.captureWindows = [this] {
    std::vector<CWhereEntry> entries;
    for (CChildFrame* f : m_frame->GetChildFrames()) {
      if (f->GetTemplate().GetIndex() == kTemplatePicture || !f->GetSplitter()) continue;
      CWhereEntry e = RectEntry(f->GetNormalGeometry());
      e.treeWidth = std::max(0, f->GetTreeWidth());
      if (auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument())) {
        e.bookIndex = doc->GetBookIndex();
        e.sectionKey = doc->GetSectionKey();
        e.firstPosition = doc->GetFirstPosition();
        e.pageDownMode = doc->GetPageDownMode();
        e.searchString = doc->GetSearchString();
      }
      entries.push_back(e);
    }
    return entries;
  };
  return hooks;
}

void CShellApp::RestoreWorkspace(int bookshelf) {
  m_restoring = true;
  m_restored.clear();
  m_core.RestoreWorkspace(bookshelf, MakeHooks());
  m_frame->SetBibleCode(m_core.GetCurrentBibleCode());
  m_restoring = false;
}

bool CShellApp::SaveWorkspace(int bookshelf) {
  if (!MaySave() || !m_frame) return false;
  m_autosave.stop();
  return m_core.SaveWorkspace(bookshelf, MakeHooks());
}

void CShellApp::SwitchBookshelf(int bookshelf) {
  m_restoring = true;
  m_core.SwitchBookshelf(bookshelf, MakeHooks());
  m_restoring = false;
  m_frame->SetBookshelf(m_core.GetCurrentBookshelf());
  m_frame->SetBibleCode(m_core.GetCurrentBibleCode());
  emit m_frame->rebuildTree();
  emit m_frame->refreshButtonBar();
}

void CShellApp::ScheduleAutosave() {
  if (!m_ready || m_restoring || m_closing || m_savingDisabled) return;
  if (!m_autosave.isActive()) m_autosave.start();
}

// Bookcase runs by itself and writes the settings file as the user works;
// the books it registered show without a restart once it is done: when it
// ends, or when the backup it keeps while its dialog is open goes away (OK
// or Cancel). The program's own writes to the file (the autosave) do not
// count. The file is replaced by a rename, so its folder is watched.
void CShellApp::WatchForBookcase() {
  if (m_bookcaseWatch) return;
  m_bookcaseWatch = std::make_unique<CBookcaseWatch>(m_core.GetSettingsPath());
  m_bookcaseWatch->Start();
  m_folderWatch = new QFileSystemWatcher(this);
  QString folder = QString::fromStdString(m_core.GetSettingsPath()).section(QLatin1Char('/'), 0, -2);
  if (folder.isEmpty()) folder = QStringLiteral("/");
  m_folderWatch->addPath(folder);
  connect(m_folderWatch, &QFileSystemWatcher::directoryChanged, this, &CShellApp::OnSettingsFolderChanged);
}

void CShellApp::StopWatchingForBookcase() {
  m_bookcaseWatch.reset();
  if (m_folderWatch) {
    // Possibly from inside its own signal.
    m_folderWatch->disconnect(this);
    m_folderWatch->deleteLater();
    m_folderWatch = nullptr;
  }
}

void CShellApp::OnSettingsFolderChanged() {
  OnBookcaseSign(&CShellApp::OnSettingsFolderChanged, &CBookcaseWatch::OnFolderChanged);
}

void CShellApp::OnBookcaseExited() { OnBookcaseSign(&CShellApp::OnBookcaseExited, &CBookcaseWatch::OnBookcaseExited); }

// Either sign of bookcase waits for start-up or a restore to be over first.
void CShellApp::OnBookcaseSign(void (CShellApp::*again)(), bool (CBookcaseWatch::*sign)()) {
  if (!m_bookcaseWatch || m_closing) return;
  if (!m_ready || m_restoring) {
    QTimer::singleShot(kBookcaseRetryMs, this, again);
    return;
  }
  if (((*m_bookcaseWatch).*sign)()) ReloadFromBookcase();
}

void CShellApp::ReloadFromBookcase() {
  m_restoring = true;
  m_core.ReloadDataSets(MakeHooks());
  m_restoring = false;
  if (m_bookcaseWatch) m_bookcaseWatch->RegistryRead();
  // Books that are there end the wait; registered books that are missing
  // leave it on, for the user's next go with bookcase.
  if (m_core.GetRegistry().GetBookCount() > 0) StopWatchingForBookcase();
  m_frame->SetBibleCode(m_core.GetCurrentBibleCode());
  emit m_frame->rebuildTree();
  emit m_frame->refreshButtonBar();
  emit dataSetsReloaded();
}

void CShellApp::WatchFrame(CChildFrame* frame) {
  connect(frame, &CChildFrame::positionChanged, this, &CShellApp::ScheduleAutosave);
  connect(frame, &CChildFrame::positionChanged, this, [this, frame] {
    if (!m_restoring) m_frame->OnChildPositionChanged(frame);
  });
  connect(frame, &QObject::destroyed, this, &CShellApp::ScheduleAutosave);
}

CChildFrame* CShellApp::OpenBook(int bookIndex, int sectionKey) {
  CChildFrame* frame = m_templates[kTemplateBibleText]->OpenDocumentFile(
      m_frame->GetMdiArea(), FormatBookDocumentName(bookIndex, sectionKey), false);
  if (!frame) return nullptr;
  frame->resize(500, 330);
  frame->SetTreeWidth(100);
  PlaceNewWindow(frame);
  frame->show();
  m_frame->GetMdiArea()->setActiveSubWindow(frame);
  WatchFrame(frame);
  ScheduleAutosave();
  return frame;
}

int CShellApp::CurrentBibleIndex() {
  CDataSetRegistry& registry = m_core.GetRegistry();
  int bible = registry.FindBook(m_core.GetCurrentBibleCode());
  for (int i = 0; i < registry.GetBookCount() && bible < 0; ++i)
    if (m_core.GetBibleModules().Find(registry.GetBook(i)->GetBookName())) bible = i;
  return bible;
}

void CShellApp::OnNewWindow() {
  // A new window on the current Bible, at the active window's verse when
  // that window shows the same Bible.
  const int book = std::max(CurrentBibleIndex(), 0);
  int key = 0;
  if (CPlaceDocument* doc = m_frame->GetActiveDocument(); doc && doc->GetBookIndex() == book) {
    key = doc->GetSectionKey();
  }
  OpenBook(book, key);
}

// A new window goes where the area shows it whole, each a step below and
// right of the last, starting again at the top left when the steps run out.
void CShellApp::PlaceNewWindow(CChildFrame* frame) {
  const QSize area = m_frame->GetMdiArea()->viewport()->size();
  const QSize size(std::min(frame->width(), std::max(1, area.width())), std::min(frame->height(), std::max(1, area.height())));
  frame->resize(size);
  constexpr int kStep = 24;
  const int room = std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / kStep + 1);
  const int n = m_placed++ % room;
  frame->move(n * kStep, n * kStep);
}

CPaint* CShellApp::PaintOf(const CBibleModule& bible) {
  const std::string code = platform::Upper(bible.GetCode());
  auto it = m_paints.find(code);
  if (it == m_paints.end()) {
    if (!m_paintRun) m_paintRun = std::make_unique<CPaintRun>(m_core.GetSettingsPath());
    auto paint = std::make_unique<CPaint>(*m_paintRun, platform::GetProgramDir());
    paint->ChooseBible(code);
    it = m_paints.emplace(code, std::move(paint)).first;
  }
  return it->second.get();
}

namespace {

// The Bible view of the active window, when it shows a Bible.
CBibView* ActiveBibleView(CMainFrame& frame) {
  auto* view = dynamic_cast<CBibView*>(frame.GetActiveRtfView());
  return view && view->ShowsBible() ? view : nullptr;
}

}  // namespace

void CShellApp::OnTopicColour(int topic) {
  CBibView* view = ActiveBibleView(*m_frame);
  auto* doc = view ? dynamic_cast<CPlaceDocument*>(view->GetDocument()) : nullptr;
  if (!view || !doc) {
    platform::MessageBox("This function works only on Bible Text");
    return;
  }
  CPaint* paint = view->GetPaint();
  if (!paint || !paint->HasColorData()) {
    platform::MessageBox("This Bible has no colour data.");
    return;
  }
  const int next = paint->NextVerseWithColor(topic, doc->GetSectionKey());
  if (next < 0) {
    const std::vector<std::string>& names = paint->GetColorNames();
    const std::string name = topic >= 1 && static_cast<size_t>(topic) <= names.size() ? names[static_cast<size_t>(topic - 1)]
                                                                                      : std::to_string(topic);
    platform::MessageBox("No verse after this one has the colour " + name + ".");
    return;
  }
  // The window goes there and the windows that follow it with it.
  doc->SetSectionKey(next);
}

void CShellApp::OnPaintColour() {
  CBibView* view = ActiveBibleView(*m_frame);
  if (!view) {
    platform::MessageBox("This function works only on Bible Text");
    return;
  }
  CPaint* paint = view->GetPaint();
  const CVerseSelection selection = view->BibleCore().GetSelection();
  if (!paint || selection.IsEmpty()) {
    platform::MessageBox("Select the verses to paint first.");
    return;
  }
  const QColor chosen = QColorDialog::getColor(Qt::yellow, m_frame.get(), tr("Colour"));
  if (!chosen.isValid()) return;
  const ColorRef colour = textpane::MakeRGB(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
                                            static_cast<unsigned>(chosen.blue()));
  if (paint->PaintVerses(selection.firstVerse, selection.lastVerse, colour) < 0) return;
  // Every window on that Bible shows the paint.
  for (CChildFrame* f : m_frame->GetChildFrames())
    for (CBibView* v : f->findChildren<CBibView*>())
      if (v->GetPaint() == paint) v->ColoursChanged();
}

void CShellApp::OnLegend() {
  // The active Bible's colours, else those of any Bible opened, else the
  // palette the program starts from.
  CPaint* paint = nullptr;
  if (CBibView* view = ActiveBibleView(*m_frame)) paint = view->GetPaint();
  for (auto it = m_paints.begin(); !paint && it != m_paints.end(); ++it) paint = it->second.get();
  std::vector<textpane::RGB> colours;
  std::vector<std::string> names;
  if (paint && paint->GetColorTable().size() > 6) {
    const std::vector<ColorRef>& table = paint->GetColorTable();
    for (size_t k = 6; k < table.size() && colours.size() < 12; ++k) colours.push_back(table[k]);
    names = paint->GetColorNames();
  } else {
    const CColorPalette palette = DefaultPalette();
    colours.assign(palette.colors.begin(), palette.colors.end());
    names = palette.names;
  }
  CLegendDialog dialog(colours, names, m_frame.get());
  dialog.exec();
}

void CShellApp::OnGotoVerse() {
  CGotoVerseDialog dialog(m_frame.get());
  // The dialog opens at the active Bible window's verse.
  if (CPlaceDocument* doc = m_frame->GetActiveDocument()) {
    int b = 0, c = 0, v = 0;
    if (const CBibleModule* bible = BibleOf(*doc); bible && bible->IndexToPlace(doc->GetSectionKey(), b, c, v))
      dialog.SetPlace(FromLatin1252(GetEnglishBookName(b + 1)), c + 1, v + 1);
  }
  while (dialog.exec() == QDialog::Accepted) {
    if (GotoVerse(dialog.GetBookToken(), dialog.GetChapter(), dialog.GetVerse())) return;
  }
}

bool CShellApp::GotoVerse(const std::string& bookToken, int chapter, int verse) {
  const int book = FindBookByToken(bookToken);
  if (book == 0) {
    platform::MessageBox("There is no book of the Bible called \"" + bookToken + "\".");
    return false;
  }
  const CBibleModule* kjs = m_core.GetBibleModules().Find("KJS");
  if (!kjs) kjs = m_core.GetBibleModules().Find(m_core.GetCurrentBibleCode());
  if (!kjs) {
    platform::MessageBox("No Bible is installed.");
    return false;
  }
  const int index = kjs->PlaceToIndex(book - 1, chapter - 1, verse - 1);
  if (index < 0) {
    platform::MessageBox(std::string(GetEnglishBookName(book)) + " " + std::to_string(chapter) + ":" +
                         std::to_string(verse) + " is not in the Bible.");
    return false;
  }
  return ShowInReferenceWindow(index) != nullptr;
}

CChildFrame* CShellApp::ShowInReferenceWindow(int verse) {
  const int bible = CurrentBibleIndex();
  if (bible < 0) return nullptr;
  for (CChildFrame* f : m_frame->GetChildFrames()) {
    auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument());
    if (!doc || f->GetTemplate().GetIndex() != kTemplateReference) continue;
    doc->SetPosition(bible, verse, 0, doc->GetSearchString(), doc->GetPageDownMode());
    if (f->isMinimized()) f->showNormal();
    m_frame->GetMdiArea()->setActiveSubWindow(f);
    return f;
  }
  CChildFrame* frame = m_templates[kTemplateReference]->OpenDocumentFile(
      m_frame->GetMdiArea(), FormatBookDocumentName(bible, verse), false);
  if (!frame) return nullptr;
  frame->resize(500, 330);
  PlaceNewWindow(frame);
  frame->show();
  m_frame->GetMdiArea()->setActiveSubWindow(frame);
  WatchFrame(frame);
  ScheduleAutosave();
  return frame;
}

void CShellApp::OnBookStep(int id) {
  CPlaceDocument* doc = m_frame->GetActiveDocument();
  const cSOLTBook* registered = doc ? BookOf(*doc) : nullptr;
  if (!registered) return;
  int book = doc->GetBookIndex();
  int key = doc->GetSectionKey();
  if (id == ID_NEXT_SECTION || id == ID_PREVIOUS_SECTION) {
    cSOLTBook reader(*registered);
    if (!StepSection(reader, key, id == ID_NEXT_SECTION ? 1 : -1, key)) return;
    if (reader.IsOpen(SOLT_ALL_FILES)) reader.Close(SOLT_ALL_FILES);
  } else if (id == ID_NEXT_BOOK || id == ID_PREVIOUS_BOOK) {
    // Bibles open in Bible windows; a book window steps over them.
    book = StepBook(book, id == ID_NEXT_BOOK ? 1 : -1, m_core.GetRegistry().GetBookCount(), [this](int i) {
      const cSOLTBook* b = m_core.GetRegistry().GetBook(i);
      return b && !m_core.GetBibleModules().Find(b->GetBookName());
    });
    if (book != doc->GetBookIndex()) key = 0;
  } else {
    return;
  }
  doc->GoToSection(book, key);
}

void CShellApp::FindBooks() {
  QString root = QFileDialog::getExistingDirectory(m_frame.get(), tr("Look for Books in"), QDir::homePath());
  if (root.isEmpty()) return;
  CScanDialog dialog(m_core.GetScanner(), m_core.GetRegistry(), m_frame.get());
  dialog.Scan(root);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.ApplyChecks();
  RegisterScannedBooks();
}

int CShellApp::RegisterScannedBooks() {
  m_autosave.stop();
  m_restoring = true;
  int written = m_core.WriteScannedRegistry(MakeHooks());
  m_restoring = false;
  // The program wrote this registry itself: bookcase has not changed it.
  if (m_bookcaseWatch) {
    m_bookcaseWatch->RegistryRead();
    if (m_core.GetRegistry().GetBookCount() > 0) StopWatchingForBookcase();
  }
  m_frame->SetBibleCode(m_core.GetCurrentBibleCode());
  emit m_frame->rebuildTree();
  emit m_frame->refreshButtonBar();
  return written;
}

void CShellApp::OnFrameClosing() {
  m_autosave.stop();
  SaveWorkspace(m_core.GetCurrentBookshelf());
  m_closing = true;
}

void CShellApp::Quit() {
  if (m_frame && m_frame->isVisible()) {
    m_frame->close();
  } else {
    QApplication::quit();
  }
}

CChildFrame* CShellApp::OpenDocument(const std::string& name) {
  const CDocumentRequest request = ClassifyDocument(name);
  switch (request.kind) {
    case CDocumentRequest::EKind::Book:
      return OpenBook(request.bookIndex, request.sectionKey);
    case CDocumentRequest::EKind::Picture: {
      CChildFrame* f = m_templates[kTemplatePicture]->OpenDocumentFile(
          m_frame->GetMdiArea(), FormatPictureDocumentName(request.path, {}), false);
      if (!f) break;
      f->resize(500, 400);
      f->show();
      m_frame->GetMdiArea()->setActiveSubWindow(f);
      return f;
    }
    case CDocumentRequest::EKind::Missing:
    case CDocumentRequest::EKind::NotShown:
      break;
  }
  std::string message = DescribeUnopenedDocument(request);
  if (message.empty()) message = "The picture \"" + request.path + "\" could not be opened.";
  platform::MessageBox(message);
  return nullptr;
}

CNotesFile* CShellApp::Notes() {
  if (!m_notesTried) {
    m_notesTried = true;
    const std::string dir = std::filesystem::path(m_core.GetSettingsPath()).parent_path().string();
    auto notes = std::make_unique<CNotesFile>();
    std::string error;
    if (notes->Open((dir.empty() ? std::string() : dir + "/") + "KLMW.NOT", error)) {
      if (!notes->DamagedCopy().empty())
        platform::MessageBox("The notes file could not be read (" + error + "). It was kept as " +
                             notes->DamagedCopy() + " and a new one started.");
      m_notes = std::move(notes);
    } else {
      platform::MessageBox("The notes file cannot be used: " + error);
    }
  }
  return m_notes.get();
}

QWidget* CShellApp::ToggleNotesPane(CChildFrame* frame) {
  if (!frame) frame = m_frame->GetActiveChild();
  auto* doc = frame ? dynamic_cast<CPlaceDocument*>(frame->GetDocument()) : nullptr;
  QSplitter* splitter = frame ? frame->GetSplitter() : nullptr;
  if (!doc || !splitter || (!BibleOf(*doc) && !BookOf(*doc))) return nullptr;
  if (auto* pane = splitter->findChild<CNotesView*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (pane->isVisible()) {
      pane->SaveNote();
      pane->hide();
      return nullptr;
    }
    pane->show();
    pane->setFocus(Qt::OtherFocusReason);
    return pane;
  }
  CNotesHost host;
  host.store = [this] { return Notes(); };
  host.storageOf = [this](const CPlaceDocument& d) -> std::string {
    if (BibleOf(d)) return kBibleNotesStorage;
    if (const cSOLTBook* book = BookOf(d))
      return BookNotesStorage(std::atoi(book->GetBookID().c_str()), std::atoi(book->GetPublisherID().c_str()));
    return {};
  };
  auto* pane = new CNotesView(std::move(host), splitter);
  splitter->addWidget(pane);
  // The text keeps most of the width.
  QList<int> sizes = splitter->sizes();
  const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
  if (sizes.size() >= 2 && total > 0) {
    sizes.back() = total / 3;
    sizes[sizes.size() - 2] = std::max(0, sizes[sizes.size() - 2] - total / 3);
    splitter->setSizes(sizes);
  }
  doc->AddView(pane);
  pane->OnInitialUpdate();
  pane->show();
  pane->setFocus(Qt::OtherFocusReason);
  return pane;
}

}  // namespace klmw
