// Links in a book window under the offscreen platform: a double click on a
// link does what its type says, and a bad target only tells the user. And
// the book window following a Bible window through its verse sync index, and
// the Bible window's tree narrowed to the current book.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/bibles/paint.h"
#include "app/shell/ui/bibview.h"
#include "app/shell/ui/bibtreeview.h"
#include "app/shell/ui/bookview.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/linkhost.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/pictureview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/tests/uitestapp.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"
#include "textpane/model/linktarget.h"
#include "textpane/model/paragraph.h"
#include "biblefile/biblebuilder.h"

using namespace klmw;

namespace {

// Section 0 holds the links; section 1 and the glossary entry have areas of
// their own (area 0 is the header).
void WriteBook(const QString& dir) {
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 42;
  solt::cViewableWriter viewable(version);
  viewable.SetCompression(1);
  viewable.SetHeaderArea("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}");
  viewable.AddArea(
      "\\soltstartlevel0 Intro\\par "
      "\\soltlink Go on{\\soltlinkto0 1}\\par "
      "\\soltlink Nowhere{\\soltlinkto0 x}\\par "
      "\\soltlink Secrets{\\soltlinkto2 \"../../etc/passwd\" \"x\"}\\par "
      "\\soltlink Void{\\soltlinkto1 void}\\par "
      "\\soltlink Eden{\\soltlinkto2 \"EDEN.PNG\" \"The Garden\"}\\par "
      "\\soltlink Talk{\\soltlinkto2 \"talk.mp3\" \"A talk\"}\\par "
      "\\soltlink Light{\\soltlinkto4 1 1:3}\\par "
      "See Gen. 1:2 here, \\soltlink the light again{\\soltlinkto4 1 1:3-1 1:3} and \\soltlink the start{\\soltlinkto4 1 1:1}\\par }");
  viewable.AddArea("\\soltstartlevel0 The next section\\par }");
  viewable.AddArea("\\soltstartlevel0 Without form\\par }");
  solt::cViewableWriter::sOutput out = viewable.Build();
  uitest::WriteBytes(dir + "/book.dat", out.bookDat);
  uitest::WriteBytes(dir + "/viewable.idx", out.viewableIdx);
  solt::cSectionsWriter sections(version);
  sections.AddSection("Intro", 1, 1, 0);
  sections.AddSection("Next", 1, 2, 0);
  sections.AddGlossary("Void", 1, 3, 0);
  uitest::WriteBytes(dir + "/sections.idx", sections.Build());
  solt::cConcordWriter concord(version);
  concord.AddLanguage(1033, {});
  uitest::WriteBytes(dir + "/concord.idx", concord.Build());
  uitest::WriteBytes(dir + "/verses.idx", solt::cVersesWriter(version).Build());
  // Genesis 1:1 is in the first section, 1:3 in the next; 1:2 has none.
  solt::cVerseSyncWriter vsync(version);
  vsync.Add(1, 1, 1, 0);
  vsync.Add(1, 1, 3, 1);
  uitest::WriteBytes(dir + "/vsync.idx", vsync.Build());
}

}  // namespace

class BookLinksTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void doubleClickFollowsTheLink_data();
  void doubleClickFollowsTheLink();
  void verseLinkShowsTheVerseInTheKJSWindow();
  void glossaryModeKeepsAPlaceInEachList();
  void bibleWindowCopiesPrintsAndRefusesBookCommands();
  void topicColourGoesToTheNextVerseOfThatColour();
  void bookWindowFollowsTheBibleWindow();
  void showJustCurrentBookActsOnTheActiveBibleTree();
  void typedReferencesShowTheirVersesMarked();
  void selectedReferencesAndVerseLinksInABook();

 private:
  // The viewport point of the link to target, or (-1, -1).
  static QPoint FindLink(CBookView& view, const char* target);

  std::unique_ptr<QTemporaryDir> m_dir;
  std::unique_ptr<platform::RecordingMessages> m_messages;
  std::unique_ptr<platform::ScopedMessages> m_scoped;
  std::unique_ptr<CShellApp> m_app;
};

void BookLinksTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  QVERIFY(m_dir->isValid());
  platform::SetProgramDir(m_dir->path().toStdString());
  m_messages = std::make_unique<platform::RecordingMessages>();
  m_scoped = std::make_unique<platform::ScopedMessages>(m_messages.get());
  const QString book = m_dir->filePath(QStringLiteral("links"));
  QVERIFY(QDir().mkpath(book));
  WriteBook(book);
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  QVERIFY(picture.save(book + QStringLiteral("/eden.png")));
  uitest::WriteBytes(book + QStringLiteral("/talk.mp3"), "ID3");
  // The Bible verse links go to, beside the folder its registration names.
  CBibleBuilder kjs;
  kjs.SetCode("KJS");
  kjs.SetName("King James");
  std::string error;
  for (int v = 1; v <= 3; ++v) QVERIFY(kjs.AddVerse(1, 1, v, "Verse " + std::to_string(v) + ".", error));
  QVERIFY(kjs.AddVerse(2, 1, 1, "Exodus.", error));
  QVERIFY2(kjs.Write(m_dir->path().toStdString(), error), error.c_str());
  const std::string ini = uitest::WriteRegistry(m_dir->path(), "Links", book.toStdString(), 42, 7);
  QVERIFY(!ini.empty());
  m_app = uitest::StartApp(ini);
  QVERIFY(m_app);
}

void BookLinksTest::cleanup() {
  m_app.reset();
  m_scoped.reset();
  m_messages.reset();
  m_dir.reset();
}

QPoint BookLinksTest::FindLink(CBookView& view, const char* target) {
  const QSize size = view.viewport()->size();
  for (int y = 0; y < size.height(); y += 2) {
    for (int x = 0; x < size.width(); x += 3) {
      const textpane::LinkTarget* link = view.Core().LinkAt(x, y);
      if (link && link->Target() == target) return QPoint(x, y);
    }
  }
  return QPoint(-1, -1);
}

void BookLinksTest::doubleClickFollowsTheLink_data() {
  QTest::addColumn<QString>("target");
  QTest::addColumn<int>("key");        // the window's section afterwards
  QTest::addColumn<int>("messages");   // message boxes shown
  QTest::addColumn<bool>("popup");     // a glossary popup opened
  QTest::addColumn<bool>("picture");   // a picture window opened
  QTest::addColumn<QString>("started");  // the file handed to the desktop's program
  QTest::newRow("section") << "1" << 1 << 0 << false << false << "";
  QTest::newRow("not a number") << "x" << 0 << 1 << false << false << "";
  QTest::newRow("outside the book") << "\"../../etc/passwd\" \"x\"" << 0 << 1 << false << false << "";
  QTest::newRow("glossary") << "void" << 0 << 0 << true << false << "";
  QTest::newRow("other file") << "\"talk.mp3\" \"A talk\"" << 0 << 0 << false << false << "talk.mp3";
  QTest::newRow("picture") << "\"EDEN.PNG\" \"The Garden\"" << 0 << 0 << false << true << "";
}

void BookLinksTest::doubleClickFollowsTheLink() {
  QFETCH(QString, target);
  QFETCH(int, key);
  QFETCH(int, messages);
  QFETCH(bool, popup);
  QFETCH(bool, picture);
  QFETCH(QString, started);
  CMainFrame* frame = m_app->GetMainFrame();
  for (CChildFrame* f : frame->GetChildFrames()) f->close();
  CChildFrame* window = m_app->OpenBook(0, 0);
  QVERIFY(window);
  auto* view = window->findChild<CBookView*>();
  QVERIFY(view);
  auto* doc = dynamic_cast<CPlaceDocument*>(window->GetDocument());
  QVERIFY(doc);
  QVERIFY(QTest::qWaitForWindowExposed(window));
  QPoint at;
  QTRY_VERIFY((at = FindLink(*view, target.toUtf8().constData())).x() >= 0);
  const size_t shown = m_messages->m_shown.size();
  std::vector<std::string> argv;
  CBookLinkHost host = MakeBookLinkHost(*m_app);
  host.startProcess = [&argv](const std::vector<std::string>& a) {
    argv = a;
    return true;
  };
  view->SetLinkHost(host);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  QCoreApplication::processEvents();
  QCOMPARE(doc->GetSectionKey(), key);
  QCOMPARE(doc->CanGoBack(), key != 0);
  QCOMPARE(static_cast<int>(m_messages->m_shown.size() - shown), messages);
  QWidget* shownPopup = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("glossaryPopup") && w->isVisible()) shownPopup = w;
  QCOMPARE(shownPopup != nullptr, popup);
  if (shownPopup) {
    QVERIFY(shownPopup->windowTitle().endsWith(QLatin1String("Void")));
    shownPopup->close();
  }
  if (started.isEmpty()) {
    QVERIFY(argv.empty());
  } else {
    QCOMPARE(argv.size(), size_t{2});
    QCOMPARE(argv[0], std::string("xdg-open"));
    QCOMPARE(QString::fromStdString(argv[1]), QDir(m_dir->filePath(QStringLiteral("links"))).canonicalPath() + "/" + started);
  }
  CChildFrame* pictureFrame = nullptr;
  for (CChildFrame* f : frame->GetChildFrames())
    if (f->GetTemplate().GetIndex() == kTemplatePicture) pictureFrame = f;
  QCOMPARE(pictureFrame != nullptr, picture);
  if (pictureFrame) {
    QCOMPARE(pictureFrame->windowTitle(), QStringLiteral("The Garden"));
    auto* shownPicture = pictureFrame->findChild<CPictureView*>();
    QVERIFY(shownPicture && shownPicture->HasPicture());
  }
}

void BookLinksTest::verseLinkShowsTheVerseInTheKJSWindow() {
  CChildFrame* window = m_app->OpenBook(0, 0);
  QVERIFY(window);
  auto* view = window->findChild<CBookView*>();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  QPoint at;
  QTRY_VERIFY((at = FindLink(*view, "1 1:3")).x() >= 0);
  view->SetLinkHost(MakeBookLinkHost(*m_app));
  // Twice: the first opens the Bible's window, the second finds it.
  for (int i = 0; i < 2; ++i) {
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    QList<CChildFrame*> bibles;
    for (CChildFrame* f : m_app->GetMainFrame()->GetChildFrames()) {
      auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument());
      if (doc && doc->GetBookIndex() == 1) bibles.append(f);
    }
    QCOMPARE(bibles.size(), 1);
    QCOMPARE(dynamic_cast<CPlaceDocument*>(bibles[0]->GetDocument())->GetSectionKey(), 2);
    m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(window);
  }
  QVERIFY(m_messages->m_shown.empty());
}

// The glossary mode goes to the first glossary entry, the sections mode back
// to the section left, and each is found again where it was left.
void BookLinksTest::glossaryModeKeepsAPlaceInEachList() {
  CChildFrame* window = m_app->OpenBook(0, 1);
  QVERIFY(window);
  auto* doc = dynamic_cast<CPlaceDocument*>(window->GetDocument());
  QCOMPARE(doc->GetSectionKey(), 1);
  const struct {
    int mode, key;
    const char* title;
  } steps[] = {{1, 2, "Links:Void"}, {0, 1, "Links:Next"}, {1, 2, "Links:Void"}};
  for (const auto& s : steps) {
    doc->SetTreeMode(s.mode);
    QCOMPARE(doc->GetTreeMode(), s.mode);
    QCOMPARE(doc->GetSectionKey(), s.key);
    QCOMPARE(QString::fromStdString(doc->GetTitle()), QString::fromLatin1(s.title));
  }
  QVERIFY(doc->GoBack());
  QCOMPARE(doc->GetSectionKey(), 1);
  QCOMPARE(doc->GetTreeMode(), 0);
  QVERIFY(m_messages->m_shown.empty());
}

// A Bible window copies its selection with numbers and the heading, prints
// the chapter to a PDF file, and a Bible-only command on a book says so.
void BookLinksTest::bibleWindowCopiesPrintsAndRefusesBookCommands() {
  CChildFrame* window = m_app->OpenBook(1, 0);
  QVERIFY(window);
  auto* view = window->findChild<CBibView*>();
  QVERIFY(view && view->ShowsBible());
  QVERIFY(QTest::qWaitForWindowExposed(window));
  CBibleViewCore& core = view->BibleCore();
  const std::vector<CVerse>& verses = core.Verses();
  QVERIFY(verses.size() >= 2);
  core.BeginSelection(0, verses[0].lines[0].y + 1);
  core.ExtendSelection(core.Layout().Indent() + verses[1].lines[0].x + core.Layout().Width(kFontText, "Verse", 0, 5),
                       verses[1].lines[0].y + 1);
  view->OnEditCopy();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  QVERIFY(copied);
  QCOMPARE(copied->text(), QStringLiteral("Genesis 1\n\n1 Verse 1.\n2 Verse"));
  QVERIFY(copied->data(QStringLiteral("text/rtf")).contains("\\cf3\n2 \n\\plain\\fs24\nVerse\n}"));

  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = m_dir->filePath(QStringLiteral("chapter.pdf"));
  printer.setOutputFileName(pdf);
  core.ClearSelection();
  QCOMPARE(view->Print(printer), 1);
  QVERIFY(QFileInfo(pdf).size() > 0);

  CChildFrame* book = m_app->OpenBook(0, 0);
  QVERIFY(QTest::qWaitForWindowExposed(book));
  m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(book);
  m_app->GetMainFrame()->GetCommand(ID_COPY_RANGE)->trigger();
  QCOMPARE(m_messages->m_shown.size(), size_t{1});
  QCOMPARE(QString::fromStdString(m_messages->m_shown.back().text), QStringLiteral("This function works only on Bible Text"));
}

// With sync on, moving the Bible window takes the book window to the section
// of the verse, or of the nearest verse that has one; a picture (map) window
// before the book in the window order keeps it where it is.
void BookLinksTest::bookWindowFollowsTheBibleWindow() {
  CMainFrame* frame = m_app->GetMainFrame();
  frame->CloseAllChildren();
  CChildFrame* book = m_app->OpenBook(0, 0);
  CChildFrame* bible = m_app->OpenBook(1, 0);
  QVERIFY(book && bible);
  auto* bookDoc = dynamic_cast<CPlaceDocument*>(book->GetDocument());
  auto* bibleDoc = dynamic_cast<CPlaceDocument*>(bible->GetDocument());
  frame->SetSync(1);
  const struct {
    int verse, key;
  } steps[] = {{2, 1}, {1, 0}, {2, 1}};
  for (const auto& s : steps) {
    bibleDoc->SetSectionKey(s.verse);
    QCOMPARE(bookDoc->GetSectionKey(), s.key);
  }
  QCOMPARE(bibleDoc->GetSectionKey(), 2);

  CChildFrame* picture = m_app->GetTemplate(kTemplatePicture)->OpenDocumentFile(
      frame->GetMdiArea(),
      FormatPictureDocumentName(m_dir->filePath(QStringLiteral("links/eden.png")).toStdString(), "Eden"));
  QVERIFY(picture);
  frame->GetMdiArea()->setActiveSubWindow(picture);
  frame->GetMdiArea()->setActiveSubWindow(bible);
  bibleDoc->SetSectionKey(0);
  QCOMPARE(bookDoc->GetSectionKey(), 1);
  // Behind the book it stops nothing.
  frame->GetMdiArea()->setActiveSubWindow(book);
  frame->GetMdiArea()->setActiveSubWindow(bible);
  bibleDoc->SetSectionKey(1);
  QCOMPARE(bookDoc->GetSectionKey(), 0);
  QVERIFY(m_messages->m_shown.empty());
}

void BookLinksTest::showJustCurrentBookActsOnTheActiveBibleTree() {
  CMainFrame* frame = m_app->GetMainFrame();
  frame->CloseAllChildren();
  CChildFrame* book = m_app->OpenBook(0, 0);
  CChildFrame* bible = m_app->OpenBook(1, 0);
  auto* tree = bible->findChild<CBibTreeView*>();
  QVERIFY(tree && tree->ShowsBible());
  QVERIFY(!book->findChild<CBibTreeView*>());
  QAction* command = frame->GetCommand(ID_SHOW_CURRENT_BOOK);
  QVERIFY(command->isEnabled() && !command->isChecked());
  QCOMPARE(tree->topLevelItemCount(), 2);
  command->trigger();
  QVERIFY(tree->GetShowCurrentBook());
  QVERIFY(command->isChecked());
  QCOMPARE(tree->topLevelItemCount(), 1);
  QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Genesis"));
  // A book window has no Bible tree to narrow.
  frame->GetMdiArea()->setActiveSubWindow(book);
  QVERIFY(!command->isEnabled() && !command->isChecked());
  frame->GetMdiArea()->setActiveSubWindow(bible);
  QVERIFY(command->isEnabled() && command->isChecked());
}

// The Bible's colour file gives verse 3 the topic colour "Love": the
// window draws it and the Love command goes there from verse 1.
void BookLinksTest::topicColourGoesToTheNextVerseOfThatColour() {
  std::string pip(5 * 100, '\0');
  pip[3 * 100] = 1;      // word 1 of verse number 3 ...
  pip[3 * 100 + 4] = 3;  // ... in topic colour 3
  uitest::WriteBytes(m_dir->filePath(QStringLiteral("KJS.pip")), pip);
  CChildFrame* window = m_app->OpenBook(1, 0);
  QVERIFY(QTest::qWaitForWindowExposed(window));
  auto* view = window->findChild<CBibView*>();
  QVERIFY(view && view->GetPaint() && view->GetPaint()->HasColorData());
  const std::vector<CVerse>& verses = view->BibleCore().Verses();
  QVERIFY(verses.size() >= 3);
  QCOMPARE(int(verses[2].segments.size()), 1);
  QCOMPARE(int(verses[2].segments[0].colour), 8);
  m_app->GetMainFrame()->GetCommand(ID_TOPIC_COLOR_FIRST + 2)->trigger();
  QCOMPARE(dynamic_cast<CPlaceDocument*>(window->GetDocument())->GetSectionKey(), 2);
  QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("paint.KJS"))));
  // The conversion said what it was doing; then no verse after it has the colour.
  m_app->GetMainFrame()->GetCommand(ID_TOPIC_COLOR_FIRST + 2)->trigger();
  QCOMPARE(m_messages->m_shown.size(), size_t{2});
  QVERIFY(m_messages->m_shown.front().text.rfind("Creating color data", 0) == 0);
  QVERIFY(m_messages->m_shown.back().text.rfind("No verse after this one", 0) == 0);
}

QTEST_MAIN(BookLinksTest)
#include "booklinks_test.moc"

// The reference box: the first range shown in the Bible window (a new one
// when none is open), every listed verse marked; a misspelt book offers the
// nearest names, and one chosen is gone to.
void BookLinksTest::typedReferencesShowTheirVersesMarked() {
  QLineEdit* box = m_app->GetMainFrame()->GetReferenceBox();
  QVERIFY(box);
  auto bibleDoc = [&]() -> CPlaceDocument* {
    for (CChildFrame* f : m_app->GetMainFrame()->GetChildFrames())
      if (auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument()); doc && doc->GetBookIndex() == 1) return doc;
    return nullptr;
  };
  const struct {
    const char* typed;
    int top;  // -1: the user is told the Bible lacks it
    std::vector<CVerseSpan> marked;
  } cases[] = {
      {"Gen 1:1, 3; Exod 1:1", 0, {{0, 0}, {2, 3}}},
      {"gen 1.2-3", 1, {{1, 2}}},
      {"1:3", 2, {{2, 2}}},  // in the book the window shows
      {"John 3:16", -1, {}},
  };
  for (const auto& c : cases) {
    m_messages->m_shown.clear();
    box->setText(QString::fromLatin1(c.typed));
    QTest::keyClick(box, Qt::Key_Return);
    CPlaceDocument* doc = bibleDoc();
    QVERIFY2(doc, c.typed);
    QCOMPARE(m_messages->m_shown.size(), size_t(c.top < 0 ? 1 : 0));
    if (c.top < 0) continue;
    QCOMPARE(doc->GetSectionKey(), c.top);
    QVERIFY2(doc->GetMarkedVerses() == c.marked, c.typed);
  }
  // Next and Previous Match step among the marked stretches.
  box->setText(QStringLiteral("Gen 1:1, 3; Exod 1:1"));
  QTest::keyClick(box, Qt::Key_Return);
  auto* next = m_app->GetMainFrame()->findChild<QAction*>(QStringLiteral("cmd%1").arg(ID_NEXT_MATCH));
  auto* previous = m_app->GetMainFrame()->findChild<QAction*>(QStringLiteral("cmd%1").arg(ID_PREVIOUS_MATCH));
  QVERIFY(next && previous);
  QTRY_VERIFY(next->isEnabled());
  QVERIFY(!previous->isEnabled());
  next->trigger();
  QCOMPARE(bibleDoc()->GetSectionKey(), 2);
  QTRY_VERIFY(!next->isEnabled());
  QVERIFY(previous->isEnabled());

  box->setText(QStringLiteral("Gensis 1:2"));
  QTest::keyClick(box, Qt::Key_Return);
  QMenu* menu = box->findChild<QMenu*>(QStringLiteral("referenceSuggestions"));
  QVERIFY(menu);
  QAction* genesis = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == QStringLiteral("Genesis")) genesis = a;
  QVERIFY(genesis);
  genesis->trigger();
  QCOMPARE(box->text(), QStringLiteral("Genesis 1:2"));
  QCOMPARE(bibleDoc()->GetSectionKey(), 1);
}

// A reference selected in a book's text is gone to from the context menu;
// a verse link followed marks every link to its verses and no other.
void BookLinksTest::selectedReferencesAndVerseLinksInABook() {
  CChildFrame* window = m_app->OpenBook(0, 0);
  QVERIFY(window);
  auto* view = window->findChild<CBookView*>();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  view->SetLinkHost(MakeBookLinkHost(*m_app));
  auto* doc = dynamic_cast<CPlaceDocument*>(window->GetDocument());
  QTRY_VERIFY(doc->GetText(textpane::FORMAT_TEXT).find("Gen. 1:2") != std::string::npos);
  textpane::TextPos at = -1;
  for (size_t i = 0; textpane::Paragraph* p = doc->ParagraphAt(i); ++i)
    if (const size_t k = p->Text().find("Gen. 1:2"); k != std::string::npos)
      at = doc->ParagraphStart(p) + static_cast<textpane::TextPos>(k);
  QVERIFY(at >= 0);
  QPoint link;
  QTRY_VERIFY((link = FindLink(*view, "1 1:3")).x() >= 0);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, link);
  QCoreApplication::processEvents();
  for (CChildFrame* f : m_app->GetMainFrame()->GetChildFrames())
    if (auto* d = dynamic_cast<CPlaceDocument*>(f->GetDocument()); d && d->GetBookIndex() == 1)
      QVERIFY((d->GetMarkedVerses() == std::vector<CVerseSpan>{{2, 2}}));
  std::string marked;
  for (size_t i = 0; textpane::Paragraph* p = doc->ParagraphAt(i); ++i) {
    for (size_t k = 0; k < p->Length(); ++k) {
      const bool on = p->FormatAt(k)->mark;
      if (on) marked += p->Text()[k];
      if (!on && !marked.empty() && marked.back() != '|') marked += '|';
    }
  }
  QCOMPARE(QString::fromStdString(marked), QStringLiteral("Light|the light again|"));
  m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(window);
  const struct {
    textpane::TextPos from, to;
    bool reference;
  } selections[] = {{at - 4, at - 1, false}, {at + 1, at + 10, true}, {at, at + 8, true}};
  for (const auto& sel : selections) {
    view->Core().SetSelection(sel.from, sel.to);
    bool enabled = false, seen = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      for (QAction* a : menu ? menu->actions() : QList<QAction*>())
        if (a->text() == QStringLiteral("&Go to reference")) {
          seen = true;
          enabled = a->isEnabled();
          if (enabled) a->trigger();
        }
      if (menu) menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &event);
    QVERIFY(seen);
    QCOMPARE(enabled, sel.reference);
  }
  CPlaceDocument* bible = nullptr;
  for (CChildFrame* f : m_app->GetMainFrame()->GetChildFrames())
    if (auto* d = dynamic_cast<CPlaceDocument*>(f->GetDocument()); d && d->GetBookIndex() == 1) bible = d;
  QVERIFY(bible);
  QCOMPARE(bible->GetSectionKey(), 1);  // Genesis 1:2
  QVERIFY((bible->GetMarkedVerses() == std::vector<CVerseSpan>{{1, 1}}));
}
