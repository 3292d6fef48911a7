// The main frame and the workspace it restores, on the offscreen platform.
// Every test runs in a fresh program directory with its own KLMW.INI; books
// are folders holding a book.dat, which is all the registry asks of them.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QFontDialog>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>

#include "app/shell/settings.h"
#include "app/shell/ui/bibleviewsdialog.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/pictureview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/quitsignals.h"
#include "app/shell/ui/scandialog.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/treebar.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "textpane/ui/rtfview.h"

using namespace klmw;

namespace {

QString StripMnemonic(QString text) {
  text.remove(QLatin1Char('&'));
  return text;
}

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void emptySettingsGiveTheTwoDefaultWindows();
  void numberWindowsOfOneReadsAsTwo();
  void vanishedWindowIsDroppedAndLaterOnesOpen_data();
  void vanishedWindowIsDroppedAndLaterOnesOpen();
  void damagedSettingsStillStart_data();
  void damagedSettingsStillStart();
  void workspaceRoundTrip();
  void quitSignalClosesAndSaves();
  void bookshelfSwitchRoundTrip();
  void menuHasTheLabelsOfTheTable();
  void treeDimensionsRoundTrip_data();
  void treeDimensionsRoundTrip();
  void syncButtonStates();
  void bibleViewsKeepsFootnoteSuppression();
  void fontChangeIsRefusedInABook();
  void fontChangeGoesToTheTextPane();
  void copyAndPrintGoToTheBookView();
  void showStatesComeBack_data();
  void showStatesComeBack();
  void closeAllMessageClosesEveryChild();
  void tilingFillsTheArea();
  void autosaveFollowsAMove();
  void noBooksOffersBookcase();
  void booksRegisteredByBookcaseShowWithoutARestart_data();
  void booksRegisteredByBookcaseShowWithoutARestart();
  void autosaveDoesNotReloadTheRegistry();
  void closingBeforeTheRestoreKeepsTheWorkspace_data();
  void closingBeforeTheRestoreKeepsTheWorkspace();
  void documentsNamedOnTheCommandLineOpen_data();
  void documentsNamedOnTheCommandLineOpen();
  void frameSizeOnAFirstStartAndAfter_data();
  void frameSizeOnAFirstStartAndAfter();
  void scanListsBooksAndRegistersTheCheckedOnes();
  void screenshotWritesAPng();

 private:
  std::string Settings() const { return m_settings.toStdString(); }
  void Write(const char* section, const char* key, const QString& value) {
    QVERIFY(platform::WritePrivateProfileString(section, key, value.toUtf8().constData(), Settings()));
  }
  QString Read(const char* section, const char* key) const {
    return QString::fromStdString(platform::GetPrivateProfileString(section, key, "", Settings()));
  }
  // A registered book: a folder with book.dat.
  QString AddBook(int m, const QString& name);
  void SetBookCount(int count);
  std::unique_ptr<CShellApp> Start(bool synchronous = true, std::vector<std::string> documents = {});
  QByteArray SettingsBytes() const {
    QFile f(m_settings);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QList<CChildFrame*> Children() const { return m_app->GetMainFrame()->GetChildFrames(); }
  static CPlaceDocument* Doc(CChildFrame* f) { return dynamic_cast<CPlaceDocument*>(f->GetDocument()); }

  std::unique_ptr<QTemporaryDir> m_dir;
  QString m_settings;
  std::unique_ptr<platform::RecordingMessages> m_messages;
  std::unique_ptr<platform::ScopedMessages> m_scoped;
  std::unique_ptr<CShellApp> m_app;
  int m_bookcaseStarts = 0;
  // Tells the program that the bookcase it started has ended.
  std::function<void()> m_bookcaseExit;
};

namespace {

// Messages that do something when one shows (the user closes the program
// while the box is up).
class ActingMessages : public platform::RecordingMessages {
 public:
  std::function<void()> m_onShow;
  int Show(const std::string& text, platform::MessageButtons buttons, const std::string& caption) override {
    if (m_onShow) m_onShow();
    return RecordingMessages::Show(text, buttons, caption);
  }
};

}  // namespace

void MainFrameTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  QVERIFY(m_dir->isValid());
  platform::SetProgramDir(m_dir->path().toStdString());
  m_settings = m_dir->filePath(QStringLiteral("KLMW.INI"));
  m_messages = std::make_unique<platform::RecordingMessages>();
  m_scoped = std::make_unique<platform::ScopedMessages>(m_messages.get());
  m_bookcaseStarts = 0;
  m_bookcaseExit = nullptr;
}

void MainFrameTest::cleanup() {
  m_app.reset();
  m_scoped.reset();
  m_messages.reset();
  m_dir.reset();
}

QString MainFrameTest::AddBook(int m, const QString& name) {
  QString path = m_dir->filePath(name);
  QDir().mkpath(path);
  QFile book(path + QStringLiteral("/book.dat"));
  book.open(QIODevice::WriteOnly);
  book.write("{Title " + name.toUtf8() + "}");
  book.close();
  QByteArray section = "BOOK_1_" + QByteArray::number(m);
  Write(section.constData(), "BOOKNAME", name);
  Write(section.constData(), "DEFPATH", path);
  return path + QLatin1Char('/');
}

void MainFrameTest::SetBookCount(int count) {
  Write("SOLTDATASETS", "DATASETCOUNT", QStringLiteral("1"));
  Write("DATASET_1", "BOOKCOUNT", QString::number(count));
}

std::unique_ptr<CShellApp> MainFrameTest::Start(bool synchronous, std::vector<std::string> documents) {
  auto app = std::make_unique<CShellApp>(Settings());
  app->Core().GetRegistry().SetProcessStarter(
      [this](const std::vector<std::string>&, const std::function<void()>& onExit) {
        ++m_bookcaseStarts;
        m_bookcaseExit = onExit;
        return true;
      });
  CStartOptions options;
  options.splash = false;
  options.synchronous = synchronous;
  options.documents = std::move(documents);
  if (!app->InitInstance(options)) return nullptr;
  return app;
}

void MainFrameTest::emptySettingsGiveTheTwoDefaultWindows() {
  m_app = Start();
  QVERIFY(m_app && m_app->IsReady());
  CMainFrame* frame = m_app->GetMainFrame();
  // The frame is placed for a first start (see frameSizeOnAFirstStartAndAfter).
  QVERIFY(frame->width() >= 600 && frame->height() >= 440);
  QCOMPARE(Children().size(), 1);
  CChildFrame* child = Children().first();
  QCOMPARE(child->GetTemplate().GetIndex(), int(kTemplateBibleText));
  QCOMPARE(child->GetTreeWidth(), 100);
  QCOMPARE(Doc(child)->GetPageDownMode(), 4);
  QCOMPARE(Doc(child)->GetSectionKey(), 0);
  QCOMPARE(m_app->GetMainFrame()->GetActiveChild(), child);
  // The empty list of words like SOLT is written back.
  QCOMPARE(Read("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT"), QStringLiteral("SOLT"));
}

void MainFrameTest::numberWindowsOfOneReadsAsTwo() {
  Write("BookShelf0", "NumberWindows", QStringLiteral("1"));
  Write("BookShelf0", "Window1", QStringLiteral("0, 77, 0, 90, 0, 3, 10, 20, 400, 300"));
  m_app = Start();
  QCOMPARE(Children().size(), 1);
  QCOMPARE(Doc(Children().first())->GetSectionKey(), 77);
  QCOMPARE(Doc(Children().first())->GetPageDownMode(), 3);
  QCOMPARE(Children().first()->GetTreeWidth(), 90);
}

void MainFrameTest::vanishedWindowIsDroppedAndLaterOnesOpen_data() {
  QTest::addColumn<QList<bool>>("present");
  QTest::addColumn<QList<int>>("keysOpened");
  QTest::newRow("first gone") << QList<bool>{false, true, true} << QList<int>{2, 3};
  QTest::newRow("middle gone") << QList<bool>{true, false, true} << QList<int>{1, 3};
  QTest::newRow("last gone") << QList<bool>{true, true, false} << QList<int>{1, 2};
  QTest::newRow("two gone") << QList<bool>{false, false, true} << QList<int>{3};
}

void MainFrameTest::vanishedWindowIsDroppedAndLaterOnesOpen() {
  QFETCH(QList<bool>, present);
  QFETCH(QList<int>, keysOpened);
  Write("BookShelf0", "NumberWindows", QString::number(present.size() + 1));
  for (int i = 1; i <= present.size(); ++i) {
    QString dir = m_dir->filePath(QStringLiteral("book%1").arg(i));
    if (present[i - 1]) QDir().mkpath(dir);
    QByteArray n = QByteArray::number(i);
    Write("BookShelf0", "TextPath" + n, dir + QLatin1Char('/'));
    // The section key tells the windows apart.
    Write("BookShelf0", "Window" + n, QStringLiteral("0, %1, 0, 100, 0, 4, 0, 0, 300, 200").arg(i));
  }
  m_app = Start();
  QList<int> opened;
  // The active child is the first saved one; the rest follow down the stack.
  for (CChildFrame* f : Children()) opened.append(Doc(f)->GetSectionKey());
  std::sort(opened.begin(), opened.end());
  QCOMPARE(opened, keysOpened);
  QCOMPARE(Doc(m_app->GetMainFrame()->GetActiveChild())->GetSectionKey(), keysOpened.first());
  // Dropping a window is silent (the one box says no book is registered).
  for (const auto& shown : m_messages->m_shown) QVERIFY(shown.text.rfind("Could not find", 0) == 0);
}

void MainFrameTest::damagedSettingsStillStart_data() {
  QTest::addColumn<QString>("numberWindows");
  QTest::addColumn<QString>("record");
  QTest::addColumn<int>("children");
  QTest::newRow("negative count") << "-5" << "" << 1;
  QTest::newRow("huge count") << "99999999" << "" << 63;
  QTest::newRow("garbage record") << "2" << "x,y,z" << 1;
  QTest::newRow("short record") << "2" << "0, 5" << 1;
  QTest::newRow("huge rectangle") << "2" << "0,0,0,100,0,4,-999999,-999999,999999,999999" << 1;
  QTest::newRow("inverted rectangle") << "2" << "0,0,0,100,0,4,500,400,10,10" << 1;
}

void MainFrameTest::damagedSettingsStillStart() {
  QFETCH(QString, numberWindows);
  QFETCH(QString, record);
  QFETCH(int, children);
  Write("BookShelf0", "NumberWindows", numberWindows);
  if (!record.isEmpty()) Write("BookShelf0", "Window1", record);
  Write("BookShelf0", "Window0", QStringLiteral("garbage"));
  m_app = Start();
  QVERIFY(m_app);
  QCOMPARE(Children().size(), children);
  const QRect area = m_app->GetMainFrame()->GetMdiArea()->viewport()->rect();
  for (CChildFrame* f : Children()) {
    // Every window can be seen and grabbed.
    QVERIFY(f->width() >= 100 && f->height() >= 60);
    QVERIFY(area.intersects(f->geometry()));
  }
  QVERIFY(m_app->GetMainFrame()->width() >= 100);
}

void MainFrameTest::workspaceRoundTrip() {
  SetBookCount(2);
  QString kjs = AddBook(1, QStringLiteral("KJS"));
  AddBook(2, QStringLiteral("Notes"));
  m_app = Start();
  QCOMPARE(m_app->Core().GetRegistry().GetBookCount(), 2);
  CChildFrame* second = m_app->OpenBook(1, 42);
  QVERIFY(second);
  Doc(second)->SetPageDownMode(1);
  second->SetTreeWidth(77);
  second->setGeometry(40, 30, 320, 220);
  QVERIFY(m_app->SaveWorkspace(0));
  QCOMPARE(Read("BookShelf0", "NumberWindows"), QStringLiteral("3"));
  // The active window is saved first.
  QCOMPARE(Read("BookShelf0", "BookName1"), QStringLiteral("Notes"));
  QCOMPARE(Read("BookShelf0", "BookName2"), QStringLiteral("KJS"));
  QCOMPARE(Read("BookShelf0", "TextPath2"), kjs);
  m_app.reset();

  m_app = Start();
  QCOMPARE(Children().size(), 2);
  CChildFrame* active = m_app->GetMainFrame()->GetActiveChild();
  QCOMPARE(Doc(active)->GetBookIndex(), 1);
  QCOMPARE(Doc(active)->GetSectionKey(), 42);
  QCOMPARE(Doc(active)->GetPageDownMode(), 1);
  QCOMPARE(active->GetTreeWidth(), 77);
  // Laid out, the pane has the width itself, so a later save keeps it.
  QTRY_COMPARE(active->GetSplitter()->sizes().value(0), 77);
  QCOMPARE(active->GetTreeWidth(), 77);
  QCOMPARE(QString::fromStdString(Doc(active)->GetTitle()), QStringLiteral("Notes"));
}

// SIGTERM from the session closes the main window the ordinary way, which
// saves the workspace.
void MainFrameTest::quitSignalClosesAndSaves() {
  SetBookCount(1);
  AddBook(1, QStringLiteral("KJS"));
  m_app = Start();
  m_app->GetMainFrame()->show();
  QVERIFY(m_app->OpenBook(0, 7));
  CQuitSignals quit;
  QVERIFY(quit.IsInstalled());
  QSignalSpy requested(&quit, &CQuitSignals::quitRequested);
  connect(&quit, &CQuitSignals::quitRequested, this, [this] { m_app->GetMainFrame()->close(); });
  QCOMPARE(Read("Options", "Sync"), QString());  // written only on close
  ::raise(SIGTERM);
  QTRY_COMPARE(requested.count(), 1);
  QCOMPARE(requested.at(0).at(0).toInt(), int{SIGTERM});
  QTRY_COMPARE(Read("Options", "Sync"), QStringLiteral("0"));
  QCOMPARE(Read("BookShelf0", "NumberWindows"), QStringLiteral("3"));
}

void MainFrameTest::bookshelfSwitchRoundTrip() {
  SetBookCount(2);
  AddBook(1, QStringLiteral("KJS"));
  AddBook(2, QStringLiteral("WEB"));
  m_app = Start();
  QCOMPARE(m_app->GetMainFrame()->GetBookshelf(), 0);
  m_app->OpenBook(1, 500);
  QCOMPARE(Children().size(), 2);

  m_app->SwitchBookshelf(1);
  QCOMPARE(m_app->GetMainFrame()->GetBookshelf(), 1);
  QCOMPARE(Read("BookShelf", "Value"), QStringLiteral("1"));
  // The new shelf is empty: the default window on book 0.
  QCOMPARE(Children().size(), 1);
  QCOMPARE(Doc(Children().first())->GetSectionKey(), 0);
  m_app->OpenBook(0, 7);
  m_app->OpenBook(0, 8);

  m_app->SwitchBookshelf(0);
  QCOMPARE(Children().size(), 2);
  CPlaceDocument* active = Doc(m_app->GetMainFrame()->GetActiveChild());
  QCOMPARE(active->GetBookIndex(), 1);
  QCOMPARE(active->GetSectionKey(), 500);
  QCOMPARE(m_app->GetMainFrame()->GetBibleCode(), std::string("KJS"));

  m_app->SwitchBookshelf(1);
  QCOMPARE(Children().size(), 3);
  QCOMPARE(Doc(m_app->GetMainFrame()->GetActiveChild())->GetSectionKey(), 8);
}

void MainFrameTest::menuHasTheLabelsOfTheTable() {
  m_app = Start();
  CMainFrame* frame = m_app->GetMainFrame();
  const struct {
    int id;
    const char* label;
    bool enabled;
  } table[] = {
      {ID_WINDOW_NEW, "New Window", true},
      {ID_FILE_CLOSE, "Close Window", true},
      {ID_APP_EXIT, "Exit", true},
      {ID_FILE_PRINT, "Print...", false},
      {ID_FILE_PRINT_PREVIEW, "Print Preview", false},
      {ID_FILE_PRINT_SETUP, "Print Setup...", false},
      {ID_FILE_PAGE_SETUP, "Page Setup...", false},
      {ID_EDIT_COPY, "Copy", false},
      {ID_COPY_RANGE, "Copy Range of Verses...", true},
      {ID_CHANGE_FONT, "Change the font...", true},
      {ID_SYNCHRONIZE, "Synchronize Bibles", true},
      {ID_WINDOW_TILE_HORZ, "Tile Horizontal", true},
      {ID_WINDOW_TILE_VERT, "Tile Vertical", true},
      {ID_WINDOW_CASCADE, "Cascade", true},
      {ID_WINDOW_ARRANGE, "Arrange Icons", true},
      {ID_WINDOW_CLOSE_ALL, "Close All", true},
      {ID_EDIT_FIND, "Search...", false},
      {ID_CANCEL_SEARCH, "Cancel Search", false},
      {ID_SHOW_CURRENT_BOOK, "Show just current book", false},
      {ID_SCROLL_OPTION, "Scrolling by verse", true},
      {ID_BIBLE_VIEWS, "Bible Views...", true},
      {ID_HELP_INDEX, "Help", true},
      {ID_HELP_ONLINE, "Up to the minute help off our home page", true},
      {ID_APP_ABOUT, "About klmw...", true},
      {ID_TOPIC_COLOR_FIRST, "God - Dios", true},
      {ID_TOPIC_COLOR_FIRST + 5, "Satan - Satan\u00e1s", true},
      {ID_TOPIC_COLOR_FIRST + 6, "Salvation - Salvaci\u00f3n", true},
      {ID_TOPIC_COLOR_LAST, "Prophecy - Profec\u00eda", true},
  };
  for (const auto& row : table) {
    QAction* a = frame->GetCommand(row.id);
    QVERIFY2(a, qPrintable(QStringLiteral("command %1").arg(row.id)));
    QCOMPARE(StripMnemonic(a->text()), QString::fromUtf8(row.label));
    QCOMPARE(a->isEnabled(), row.enabled);
  }
  // Every table command reachable from the menu bar is there once.
  QSet<int> inMenus;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu()) walk(a->menu());
      else if (a->data().isValid()) inMenus.insert(a->data().toInt());
    }
  };
  for (QAction* top : frame->menuBar()->actions()) walk(top->menu());
  for (int id = ID_TOPIC_COLOR_FIRST; id <= ID_TOPIC_COLOR_LAST; ++id) QVERIFY(inMenus.contains(id));
  for (int id : {ID_PAGE_DOWN_MODE0, ID_PAGE_DOWN_GROUP, ID_PAGE_DOWN_CHAPTER, ID_PAGE_DOWN_BOOK,
                 ID_COMBINE_OR, ID_COMBINE_AND, ID_COMBINE_XOR, ID_CHANGE_COLOR, ID_GOTO_VERSE, ID_BACK,
                 ID_HELP_HOME_PAGE, ID_FOOTNOTES}) {
    QVERIFY2(inMenus.contains(id), qPrintable(QString::number(id)));
  }
  // The two buttons the table names by their tooltips.
  QCOMPARE(frame->GetCommand(ID_NEW_BIBLE_WINDOW)->toolTip(), QStringLiteral("Open a New Bible Window"));
  QCOMPARE(frame->GetCommand(ID_SYNC_BUTTON)->toolTip(), QStringLiteral("Sync Windows"));
  // The page-down item of the active window's mode is checked.
  QVERIFY(frame->GetCommand(ID_PAGE_DOWN_BOOK)->isChecked());
  frame->GetCommand(ID_PAGE_DOWN_CHAPTER)->trigger();
  QCOMPARE(Doc(frame->GetActiveChild())->GetPageDownMode(), 3);
  // The scroll item offers the other way.
  frame->GetCommand(ID_SCROLL_OPTION)->trigger();
  QCOMPARE(StripMnemonic(frame->GetCommand(ID_SCROLL_OPTION)->text()), QStringLiteral("Scrolling by line"));
  QVERIFY(m_app->GetOptions().m_scrollByVerse);
  // Four status panes.
  for (int i = 0; i < CMainFrame::kPaneCount; ++i) QVERIFY(frame->GetStatusPane(i));
}

void MainFrameTest::treeDimensionsRoundTrip_data() {
  QTest::addColumn<QString>("stored");
  QTest::addColumn<int>("least");
  QTest::addColumn<int>("most");
  QTest::newRow("ordinary") << "250,300" << 250 << 250;
  // The bar's title keeps it a little wider than 30.
  QTest::newRow("too narrow") << "5,300" << CTreeBar::kMinWidth << 60;
  QTest::newRow("garbage") << "x,y" << CTreeBar::kMinWidth << 400;
}

void MainFrameTest::treeDimensionsRoundTrip() {
  QFETCH(QString, stored);
  QFETCH(int, least);
  QFETCH(int, most);
  Write("options", "tree_dimentions", stored);
  Write("BookShelf0", "Window0", QStringLiteral("0,0,0,0,0,0,0,0,800,600"));
  m_app = Start();
  QCoreApplication::processEvents();
  m_app->GetMainFrame()->close();
  int w = 0, h = 0;
  QVERIFY(ReadTreeDimensions(Settings(), w, h));
  QVERIFY2(w >= least && w <= most, qPrintable(QString::number(w)));
  QVERIFY(h > 0);
}

void MainFrameTest::syncButtonStates() {
  Write("Options", "Sync", QStringLiteral("1"));
  m_app = Start();
  CMainFrame* frame = m_app->GetMainFrame();
  QAction* button = frame->GetCommand(ID_SYNC_BUTTON);
  QAction* menu = frame->GetCommand(ID_SYNCHRONIZE);
  QCOMPARE(frame->GetSync(), 1);
  QVERIFY(button->isChecked() && menu->isChecked());
  const QImage on = button->icon().pixmap(24).toImage();
  QCOMPARE(frame->GetStatusPane(CMainFrame::kPaneSync)->text(), QStringLiteral("SYNC"));

  button->trigger();
  QCOMPARE(frame->GetSync(), 0);
  QVERIFY(!button->isChecked() && !menu->isChecked());
  QVERIFY(button->icon().pixmap(24).toImage() != on);

  // Turning it on makes the other windows follow the active one.
  CChildFrame* a = Children().first();
  CChildFrame* b = m_app->OpenBook(0, 900);
  QVERIFY(a != b);
  menu->trigger();
  QCOMPARE(frame->GetSync(), 1);
  QCOMPARE(Doc(a)->GetSectionKey(), 900);
  QCOMPARE(button->icon().pixmap(24).toImage(), on);
  // While it is on, a move in any window carries the others along.
  Doc(a)->SetSectionKey(31000);
  QCOMPARE(Doc(b)->GetSectionKey(), 31000);
  button->trigger();
  Doc(a)->SetSectionKey(5);
  QCOMPARE(Doc(b)->GetSectionKey(), 31000);
  button->trigger();

  button->trigger();
  frame->close();
  QCOMPARE(Read("Options", "Sync"), QStringLiteral("0"));
  // Closing saved the workspace with both windows.
  QCOMPARE(Read("BookShelf0", "NumberWindows"), QStringLiteral("3"));
}

void MainFrameTest::bibleViewsKeepsFootnoteSuppression() {
  m_app = Start();
  QAction* command = m_app->GetMainFrame()->GetCommand(ID_BIBLE_VIEWS);
  // Answers the modal dialog once it is up: sets the box, then OK or Cancel.
  auto answer = [](bool suppress, bool ok, bool* shownChecked) {
    QTimer::singleShot(0, [=] {
      auto* dialog = qobject_cast<CBibleViewsDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Bible Display Options"));
      *shownChecked = dialog->GetSuppressFootnotes();
      dialog->SetSuppressFootnotes(suppress);
      ok ? dialog->accept() : dialog->reject();
    });
  };
  bool shown = true;
  answer(true, true, &shown);
  command->trigger();
  QVERIFY(!shown);
  QVERIFY(m_app->GetOptions().m_suppressFootnotes);
  answer(false, false, &shown);
  command->trigger();
  QVERIFY(shown);
  QVERIFY(m_app->GetOptions().m_suppressFootnotes);
  answer(false, true, &shown);
  command->trigger();
  QVERIFY(!m_app->GetOptions().m_suppressFootnotes);
}

void MainFrameTest::fontChangeIsRefusedInABook() {
  SetBookCount(1);
  AddBook(1, QStringLiteral("Notes"));
  // A book that is not a Bible refuses, and keeps its font.
  m_app = Start();
  CMainFrame* frame = m_app->GetMainFrame();
  m_messages->m_shown.clear();
  QSplitter* splitter = Children().first()->GetSplitter();
  const QFont before = splitter->widget(1)->font();
  frame->GetCommand(ID_CHANGE_FONT)->trigger();
  QCOMPARE(m_messages->m_shown.size(), size_t(1));
  QCOMPARE(QString::fromStdString(m_messages->m_shown.front().text),
           QStringLiteral("You cannot change Font's in a SOLT Book...Sorry"));
  QCOMPARE(splitter->widget(1)->font(), before);
}

void MainFrameTest::fontChangeGoesToTheTextPane() {
  m_app = Start();
  QSplitter* splitter = Children().first()->GetSplitter();
  QFont chosen = splitter->widget(1)->font();
  chosen.setPointSize(chosen.pointSize() + 7);
  QTimer::singleShot(0, [chosen] {
    auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    dialog->setCurrentFont(chosen);
    dialog->accept();
  });
  m_app->GetMainFrame()->GetCommand(ID_CHANGE_FONT)->trigger();
  QCOMPARE(splitter->widget(1)->font().pointSize(), chosen.pointSize());
  QVERIFY(splitter->widget(0)->font().pointSize() != chosen.pointSize());
}

// Copy and the printing commands are on while a book window is active and
// reach its view; Ctrl+C in the view goes through the command once.
void MainFrameTest::copyAndPrintGoToTheBookView() {
  SetBookCount(1);
  AddBook(1, QStringLiteral("Notes"));
  m_app = Start();
  CMainFrame* frame = m_app->GetMainFrame();
  frame->show();
  frame->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(frame));
  const int commands[] = {ID_EDIT_COPY, ID_COPY_BUTTON, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP,
                          ID_FILE_PAGE_SETUP};
  textpane::CRtfView* view = frame->GetActiveRtfView();
  QVERIFY(view);
  for (int id : commands) QVERIFY2(frame->GetCommand(id)->isEnabled(), qPrintable(QString::number(id)));

  const std::string rtf = "{\\rtf1 First words\\par second}";
  Doc(Children().first())->SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  view->SelectAll();
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  QSignalSpy changed(clipboard, &QClipboard::dataChanged);
  view->setFocus();
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(changed.count(), 1);
  QCOMPARE(clipboard->text(), QStringLiteral("First words\n\nsecond"));
  frame->GetCommand(ID_COPY_BUTTON)->trigger();
  QCOMPARE(changed.count(), 2);
  QVERIFY(clipboard->mimeData()->hasFormat(QStringLiteral("text/rtf")));

  // With no window left, the commands are off.
  Children().first()->close();
  QTRY_VERIFY(Children().isEmpty());
  QVERIFY(!frame->GetActiveRtfView());
  for (int id : commands) QVERIFY(!frame->GetCommand(id)->isEnabled());
}

void MainFrameTest::showStatesComeBack_data() {
  QTest::addColumn<int>("state");
  QTest::addColumn<bool>("minimized");
  QTest::addColumn<bool>("maximized");
  QTest::newRow("normal") << 0 << false << false;
  QTest::newRow("shown normal") << 1 << false << false;
  QTest::newRow("minimized") << 2 << true << false;
  QTest::newRow("maximized") << 3 << false << true;
  QTest::newRow("unknown") << 99 << false << false;
}

void MainFrameTest::showStatesComeBack() {
  QFETCH(int, state);
  QFETCH(bool, minimized);
  QFETCH(bool, maximized);
  Write("BookShelf0", "NumberWindows", QStringLiteral("2"));
  Write("BookShelf0", "Window1", QStringLiteral("0, 0, %1, 100, 0, 4, 10, 10, 300, 200").arg(state));
  m_app = Start();
  CChildFrame* child = Children().first();
  QCOMPARE(child->isMinimized(), minimized);
  QCOMPARE(child->isMaximized(), maximized);
  // The save writes every window as normal, at its normal place and size.
  QVERIFY(m_app->SaveWorkspace(0));
  const QStringList record = Read("BookShelf0", "Window1").split(QLatin1Char(','));
  QCOMPARE(record.value(2).trimmed(), QStringLiteral("0"));
  QCOMPARE(record.mid(6).join(QLatin1Char(',')).remove(QLatin1Char(' ')), QStringLiteral("0,0,290,190"));
}

void MainFrameTest::closeAllMessageClosesEveryChild() {
  m_app = Start();
  m_app->OpenBook(0, 1);
  m_app->OpenBook(0, 2);
  QCOMPARE(Children().size(), 3);
  emit m_app->GetMainFrame()->closeAllChildrenRequested();
  QCOMPARE(Children().size(), 0);
  QCOMPARE(m_app->GetMainFrame()->GetMdiArea()->subWindowList().size(), 0);
  // Their documents went with them.
  QVERIFY(m_app->GetTemplate(kTemplateBibleText)->Core().Documents().empty());
}

void MainFrameTest::tilingFillsTheArea() {
  Write("BookShelf0", "Window0", QStringLiteral("0,0,0,0,0,0,0,0,900,700"));
  m_app = Start();
  m_app->OpenBook(0, 1);
  m_app->OpenBook(0, 2);
  CMainFrame* frame = m_app->GetMainFrame();
  const QRect area = frame->GetMdiArea()->viewport()->rect();
  frame->GetCommand(ID_WINDOW_TILE_HORZ)->trigger();
  for (CChildFrame* f : Children()) {
    QCOMPARE(f->width(), area.width());
    QVERIFY(qAbs(f->height() - area.height() / 3) <= 1);
  }
  frame->GetCommand(ID_WINDOW_TILE_VERT)->trigger();
  for (CChildFrame* f : Children()) {
    QCOMPARE(f->height(), area.height());
    QVERIFY(qAbs(f->width() - area.width() / 3) <= 1);
  }
}

void MainFrameTest::autosaveFollowsAMove() {
  m_app = Start();
  QCOMPARE(Read("BookShelf0", "NumberWindows"), QString());
  CChildFrame* child = Children().first();
  Doc(child)->SetSectionKey(1234);
  Doc(child)->SetSectionKey(1235);
  // Saved once, within about a second, with the last position.
  QTRY_COMPARE_WITH_TIMEOUT(m_app->GetAutosaveCount(), 1, 3000);
  QVERIFY(Read("BookShelf0", "Window1").startsWith(QStringLiteral("0, 1235,")));
  m_app->OpenBook(0, 5);
  QTRY_COMPARE_WITH_TIMEOUT(Read("BookShelf0", "NumberWindows"), QStringLiteral("3"), 3000);
  child->close();
  QTRY_COMPARE_WITH_TIMEOUT(Read("BookShelf0", "NumberWindows"), QStringLiteral("2"), 3000);
}

void MainFrameTest::noBooksOffersBookcase() {
  m_app = Start();
  QCOMPARE(m_bookcaseStarts, 1);
  QVERIFY(!m_messages->m_shown.empty());
  QVERIFY(QString::fromStdString(m_messages->m_shown.front().text).startsWith(QStringLiteral("Could not find")));
  m_app.reset();

  // With a book registered nothing is offered; a saved book that is gone is
  // named and the window opens on book 0.
  m_messages->m_shown.clear();
  m_bookcaseStarts = 0;
  SetBookCount(1);
  AddBook(1, QStringLiteral("Notes"));
  Write("BookShelf0", "BookName1", QStringLiteral("Lost Book"));
  m_app = Start();
  QCOMPARE(m_bookcaseStarts, 0);
  QCOMPARE(m_messages->m_shown.size(), size_t(1));
  QCOMPARE(QString::fromStdString(m_messages->m_shown.front().text),
           QStringLiteral(" Lost Book is no longer active or is no longer available on your system\n"));
  QCOMPARE(QString::fromStdString(Doc(Children().first())->GetTitle()), QStringLiteral("Notes"));
  // A book number beyond the list opens book 0.
  CChildFrame* beyond = m_app->OpenBook(7, 3);
  QCOMPARE(Doc(beyond)->GetBookIndex(), 0);
  QCOMPARE(QString::fromStdString(Doc(beyond)->GetTitle()), QStringLiteral("Notes"));
}

void MainFrameTest::booksRegisteredByBookcaseShowWithoutARestart_data() {
  // How bookcase says it is done: its process ends, or the backup it keeps
  // while its dialog is open goes away (OK).
  QTest::addColumn<bool>("byBackup");
  QTest::newRow("process ends") << false;
  QTest::newRow("backup goes away") << true;
}

void MainFrameTest::booksRegisteredByBookcaseShowWithoutARestart() {
  QFETCH(bool, byBackup);
  m_app = Start();
  QCOMPARE(m_bookcaseStarts, 1);
  QVERIFY(m_bookcaseExit);
  QVERIFY(m_app->IsWatchingForBookcase());
  QTreeWidget* tree = m_app->GetMainFrame()->GetTreeBar()->GetBookTree();
  QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
  QSignalSpy reloaded(m_app.get(), &CShellApp::dataSetsReloaded);
  // What bookcase does: keep a backup, register a book in the settings file.
  const QString backup = m_dir->filePath(QString::fromLatin1(kBookcaseBackupName));
  QVERIFY(QFile::copy(m_settings, backup));
  QTest::qWait(200);
  AddBook(1, QStringLiteral("Notes"));
  SetBookCount(1);
  // Not taken while the user may still cancel.
  QTest::qWait(400);
  QCOMPARE(reloaded.count(), 0);
  QCOMPARE(m_app->Core().GetRegistry().GetBookCount(), 0);
  if (byBackup) {
    QVERIFY(QFile::remove(backup));
  } else {
    m_bookcaseExit();
  }
  QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, 5000);
  QCOMPARE(m_app->Core().GetRegistry().GetBookCount(), 1);
  QCOMPARE(tree->topLevelItem(0)->childCount(), 1);
  QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Notes"));
  QCOMPARE(Children().size(), 1);
  QCOMPARE(QString::fromStdString(Doc(Children().first())->GetTitle()), QStringLiteral("Notes"));
  QVERIFY(!m_app->IsWatchingForBookcase());
}

// Books are registered but none is there: the program waits for bookcase,
// and its own autosaves, which write the same file, must not make it read
// the registry again (closing and reopening the windows, repeating the
// messages about the missing books).
void MainFrameTest::autosaveDoesNotReloadTheRegistry() {
  SetBookCount(1);
  Write("BOOK_1_1", "BOOKNAME", QStringLiteral("Gone"));
  Write("BOOK_1_1", "DEFPATH", m_dir->filePath(QStringLiteral("gone")));
  m_app = Start();
  QCOMPARE(m_app->Core().GetRegistry().GetBookCount(), 0);
  QVERIFY(m_app->IsWatchingForBookcase());
  QSignalSpy reloaded(m_app.get(), &CShellApp::dataSetsReloaded);
  const size_t messages = m_messages->m_shown.size();
  CChildFrame* child = Children().first();
  for (int key : {10, 20}) {
    Doc(child)->SetSectionKey(key);
    QTRY_VERIFY_WITH_TIMEOUT(Read("BookShelf0", "Window1").startsWith(QStringLiteral("0, %1,").arg(key)), 3000);
  }
  QCOMPARE(m_app->GetAutosaveCount(), 2);
  QTest::qWait(500);
  QCOMPARE(reloaded.count(), 0);
  QCOMPARE(m_messages->m_shown.size(), messages);
  QCOMPARE(Children(), QList<CChildFrame*>{child});
}

void MainFrameTest::closingBeforeTheRestoreKeepsTheWorkspace_data() {
  // How the program ends before its windows are back: the window is closed,
  // the session sends SIGTERM, or the user closes it while the restore shows
  // a message (about a book that is gone).
  QTest::addColumn<QString>("how");
  QTest::newRow("close") << "close";
  QTest::newRow("quit signal") << "quit";
  QTest::newRow("during the restore") << "message";
}

void MainFrameTest::closingBeforeTheRestoreKeepsTheWorkspace() {
  QFETCH(QString, how);
  SetBookCount(1);
  AddBook(1, QStringLiteral("KJS"));
  Write("WORDS_LIKE_SOLT", "WORDS_LIKE_SOLT", QStringLiteral("SOLT"));
  Write("Options", "Sync", QStringLiteral("1"));
  Write("options", "tree_dimentions", QStringLiteral("150,300"));
  Write("BookShelf0", "NumberWindows", QStringLiteral("3"));
  Write("BookShelf0", "Window0", QStringLiteral("0, 0, 0, 0, 0, 0, 10, 20, 700,  500"));
  Write("BookShelf0", "BookName1", QStringLiteral("Lost Book"));
  Write("BookShelf0", "Window1", QStringLiteral("0, 99, 0, 100, 0, 4, 0, 0, 300,  200"));
  Write("BookShelf0", "BookName2", QStringLiteral("KJS"));
  Write("BookShelf0", "Window2", QStringLiteral("0, 1234, 0, 100, 0, 3, 20, 20, 320,  220"));
  const QByteArray before = SettingsBytes();

  if (how == QLatin1String("message")) {
    ActingMessages closing;
    closing.m_onShow = [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<CMainFrame*>(w); frame && frame->isVisible()) frame->close();
      }
    };
    platform::SetMessages(&closing);
    m_app = Start();
    platform::SetMessages(m_messages.get());
    QVERIFY(!closing.m_shown.empty());
  } else {
    m_app = Start(false);
    QVERIFY(!m_app->IsReady());
    if (how == QLatin1String("close")) {
      m_app->GetMainFrame()->close();
    } else {
      m_app->Quit();
    }
  }
  QVERIFY(!m_app->GetMainFrame()->isVisible());
  // Long enough for the deferred start-up and an autosave to have run.
  QTest::qWait(1500);
  QCOMPARE(SettingsBytes(), before);
  QCOMPARE(m_app->GetAutosaveCount(), 0);
}

void MainFrameTest::documentsNamedOnTheCommandLineOpen_data() {
  QTest::addColumn<QString>("name");  // "%1" is the test's folder
  QTest::addColumn<int>("kind");      // the template, or -1 for none
  QTest::addColumn<int>("book");
  QTest::addColumn<int>("key");
  QTest::newRow("picture") << "%1/map.png" << int(kTemplatePicture) << 0 << 0;
  QTest::newRow("picture, upper case") << "%1/MAP.JPG" << int(kTemplatePicture) << 0 << 0;
  QTest::newRow("book") << "Book# 1 42" << int(kTemplateBibleText) << 1 << 42;
  QTest::newRow("text file") << "%1/notes.txt" << -1 << 0 << 0;
  QTest::newRow("missing") << "%1/gone.png" << -1 << 0 << 0;
}

void MainFrameTest::documentsNamedOnTheCommandLineOpen() {
  QFETCH(QString, name);
  QFETCH(int, kind);
  QFETCH(int, book);
  QFETCH(int, key);
  SetBookCount(2);
  AddBook(1, QStringLiteral("Atlas"));
  AddBook(2, QStringLiteral("Notes"));
  Write("BookShelf0", "Window1", QStringLiteral("0, 7, 0, 100, 0, 4, 0, 0, 300,  200"));
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QVERIFY(picture.save(m_dir->filePath(QStringLiteral("map.png")), "PNG"));
  QVERIFY(picture.save(m_dir->filePath(QStringLiteral("MAP.JPG")), "JPG"));
  QFile notes(m_dir->filePath(QStringLiteral("notes.txt")));
  QVERIFY(notes.open(QIODevice::WriteOnly));
  notes.close();
  const QString document = QString(name).replace(QStringLiteral("%1"), m_dir->path());

  m_app = Start(true, {document.toStdString()});
  QVERIFY(m_app->IsReady());
  // The workspace came back first; the document opened over it, active.
  QList<CChildFrame*> children = Children();
  QCOMPARE(children.size(), kind < 0 ? 1 : 2);
  QCOMPARE(Doc(children.last())->GetSectionKey(), 7);
  if (kind < 0) {
    QCOMPARE(m_messages->m_shown.size(), size_t(1));
    QVERIFY(QString::fromStdString(m_messages->m_shown.front().text).contains(document));
    return;
  }
  QVERIFY(m_messages->m_shown.empty());
  CChildFrame* opened = m_app->GetMainFrame()->GetActiveChild();
  QCOMPARE(opened, children.first());
  QCOMPARE(opened->GetTemplate().GetIndex(), kind);
  if (kind == kTemplatePicture) {
    auto* view = opened->findChild<CPictureView*>();
    QVERIFY(view);
    QVERIFY(view->HasPicture());
    QCOMPARE(opened->GetDocument()->GetPathName(), document.toStdString());
  } else {
    QCOMPARE(Doc(opened)->GetBookIndex(), book);
    QCOMPARE(Doc(opened)->GetSectionKey(), key);
    QCOMPARE(QString::fromStdString(Doc(opened)->GetTitle()), QStringLiteral("Notes"));
  }
}

void MainFrameTest::frameSizeOnAFirstStartAndAfter_data() {
  QTest::addColumn<bool>("saved");       // the settings hold the frame's and the window's rectangles
  QTest::addColumn<int>("switchTo");     // then a switch to this bookshelf, never saved (-1: none)
  QTest::newRow("first start") << false << -1;
  QTest::newRow("saved rectangles") << true << -1;
  QTest::newRow("switch to a new bookshelf") << true << 4;
}

void MainFrameTest::frameSizeOnAFirstStartAndAfter() {
  QFETCH(bool, saved);
  QFETCH(int, switchTo);
  const QRect savedFrame(30, 40, 700, 500), savedChild(10, 20, 300, 200);
  if (saved) {
    Write("BookShelf0", "Window0", QStringLiteral("0, 0, 0, 0, 0, 0, 30, 40, 730,  540"));
    Write("BookShelf0", "Window1", QStringLiteral("0, 0, 0, 100, 0, 4, 10, 20, 310,  220"));
  }
  m_app = Start();
  CMainFrame* frame = m_app->GetMainFrame();
  const QRect screen = frame->screen()->availableGeometry();
  QVERIFY(screen.width() > 600 && screen.height() > 440);
  if (switchTo >= 0) m_app->SwitchBookshelf(switchTo);
  CChildFrame* child = Children().first();
  if (!saved) {
    // Most of the screen, centred; the Bible window fills the area.
    const CScreenRect r =
        FirstStartFrameRect({screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1});
    QCOMPARE(frame->geometry(), QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top)));
    QVERIFY(frame->width() >= screen.width() * 85 / 100);
    QTRY_COMPARE(child->geometry(), frame->GetMdiArea()->viewport()->rect());
  } else {
    // As saved; a bookshelf that kept no rectangle leaves the frame alone.
    QCOMPARE(frame->geometry(), savedFrame);
    if (switchTo < 0) QCOMPARE(child->geometry(), savedChild);
  }
}

void MainFrameTest::scanListsBooksAndRegistersTheCheckedOnes() {
  // Three book folders under "library": two with the files a book needs,
  // one with book.dat alone.
  QString library = m_dir->filePath(QStringLiteral("library"));
  auto makeBook = [&](const QString& folder, const QByteArray& title, bool viewable) {
    QString path = library + QLatin1Char('/') + folder;
    QDir().mkpath(path);
    QFile dat(path + QStringLiteral("/book.dat"));
    dat.open(QIODevice::WriteOnly);
    dat.write("{Title " + title + "}{PublisherID P1}{BookID " + title + "}");
    dat.close();
    if (viewable) {
      QFile idx(path + QStringLiteral("/viewable.idx"));
      idx.open(QIODevice::WriteOnly);
    }
  };
  makeBook(QStringLiteral("a/solt/Atlas"), "Atlas", true);
  makeBook(QStringLiteral("b/solt/Concord"), "Concord", true);
  makeBook(QStringLiteral("c/solt/Broken"), "Broken", false);
  m_app = Start();
  const size_t before = m_messages->m_shown.size();

  CScanDialog dialog(m_app->Core().GetScanner(), m_app->Core().GetRegistry(), m_app->GetMainFrame());
  QVERIFY(dialog.Scan(library));
  QCOMPARE(dialog.GetFoundCount(), 3);
  QTreeWidget* list = dialog.GetList();
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    QCOMPARE(item->checkState(0), Qt::Checked);
    // The user leaves Concord out.
    if (item->text(1).endsWith(QStringLiteral("Concord"))) item->setCheckState(0, Qt::Unchecked);
  }
  dialog.ApplyChecks();
  QCOMPARE(m_app->RegisterScannedBooks(), 2);
  // Atlas active, Concord inactive, Broken named in a note and left out.
  QCOMPARE(Read("DATASET_1", "BOOKCOUNT"), QStringLiteral("1"));
  QCOMPARE(Read("DATASET_1", "TOTALBOOKCOUNT"), QStringLiteral("2"));
  QCOMPARE(Read("BOOK_1_1", "BOOKNAME"), QStringLiteral("Atlas"));
  QCOMPARE(Read("BOOK_1_2", "STATUS"), QStringLiteral("INACTIVE"));
  QCOMPARE(m_messages->m_shown.size(), before + 1);
  QVERIFY(QString::fromStdString(m_messages->m_shown.back().text).contains(QStringLiteral("Broken")));
  // The registry, the tree bar and the windows follow.
  QCOMPARE(m_app->Core().GetRegistry().GetBookCount(), 1);
  QTreeWidget* tree = m_app->GetMainFrame()->GetTreeBar()->GetBookTree();
  QCOMPARE(tree->topLevelItem(0)->childCount(), 1);
  QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Atlas"));
  QCOMPARE(Children().size(), 1);
  QCOMPARE(QString::fromStdString(Doc(Children().first())->GetTitle()), QStringLiteral("Atlas"));

  // A second scan starts the inactive book unchecked.
  CScanDialog again(m_app->Core().GetScanner(), m_app->Core().GetRegistry(), m_app->GetMainFrame());
  QVERIFY(again.Scan(library));
  for (int i = 0; i < again.GetList()->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = again.GetList()->topLevelItem(i);
    QCOMPARE(item->checkState(0) == Qt::Checked, !item->text(1).endsWith(QStringLiteral("Concord")));
  }
}

void MainFrameTest::screenshotWritesAPng() {
  SetBookCount(1);
  AddBook(1, QStringLiteral("KJS"));
  const QString png = m_dir->filePath(QStringLiteral("shot.png"));
  const QByteArray before = [&] {
    QFile f(m_settings);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  QProcess klmw;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  klmw.setProcessEnvironment(env);
  // A document named after the options opens too; one the program cannot
  // show is named in a message, which a screenshot run writes to stderr.
  const QString notes = m_dir->filePath(QStringLiteral("notes.txt"));
  klmw.start(QStringLiteral(KLMW_PATH), {QStringLiteral("--home"), m_dir->path(), QStringLiteral("--screenshot"), png,
                                         QStringLiteral("Book# 0 5"), notes});
  QVERIFY(klmw.waitForFinished(30000));
  QCOMPARE(klmw.exitStatus(), QProcess::NormalExit);
  QCOMPARE(klmw.exitCode(), 0);
  const QString errors = QString::fromLocal8Bit(klmw.readAllStandardError());
  QVERIFY2(errors.contains(notes), qPrintable(errors));
  QVERIFY2(!errors.contains(QStringLiteral("Book#")), qPrintable(errors));
  QImage image(png, "PNG");
  QVERIFY(!image.isNull());
  QVERIFY(image.width() >= 300 && image.height() >= 200);
  // The picture is not blank.
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 7)
    for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
  QVERIFY(colours.size() > 5);
  // A screenshot leaves the settings as they were (the words list aside,
  // which start-up writes when it is missing).
  QFile f(m_settings);
  f.open(QIODevice::ReadOnly);
  QByteArray after = f.readAll();
  QVERIFY(!after.contains("BookShelf0"));
  QVERIFY(after.startsWith(before.left(20)));
}

QTEST_MAIN(MainFrameTest)
#include "mainframe_test.moc"
