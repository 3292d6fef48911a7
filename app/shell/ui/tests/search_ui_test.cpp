// Search in the running program under the offscreen platform: the sheet's
// word list, a Bible search listed, chosen, saved, printed and ended, a book
// search opening and marking its sections, the messages, and a combine.
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/search/searchpage.h"
#include "app/shell/ui/bibview.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/hitswindow.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/searchcommands.h"
#include "app/shell/ui/searchsheet.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/tests/uitestapp.h"
#include "biblefile/biblebuilder.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"

using namespace klmw;

namespace {

// Two sections, each an area of its own; "patience" is in both.
void WriteBook(const QString& dir) {
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 43;
  solt::cViewableWriter viewable(version);
  viewable.SetHeaderArea("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}");
  viewable.AddArea("\\soltstartlevel0 {\\soltconcordanceon}First and patience\\soltconcordanceoff\\par }");
  viewable.AddArea(
      "\\soltstartlevel0 {\\soltconcordanceon}Second: patience, then more patience\\soltconcordanceoff\\par }");
  solt::cViewableWriter::sOutput out = viewable.Build();
  uitest::WriteBytes(dir + "/book.dat", out.bookDat);
  uitest::WriteBytes(dir + "/viewable.idx", out.viewableIdx);
  solt::cSectionsWriter sections(version);
  sections.AddSection("First", 1, 1, 0);
  sections.AddSection("Second", 1, 2, 0);
  uitest::WriteBytes(dir + "/sections.idx", sections.Build());
  solt::cConcordWriter concord(version);
  concord.AddLanguage(1033, {{"first", {0}, {{0}}}, {"patience", {0, 1}, {{2}, {1}}}, {"second", {1}, {{0}}}});
  uitest::WriteBytes(dir + "/concord.idx", concord.Build());
  uitest::WriteBytes(dir + "/verses.idx", solt::cVersesWriter(version).Build());
  uitest::WriteBytes(dir + "/vsync.idx", solt::cVerseSyncWriter(version).Build());
}

}  // namespace

class SearchUiTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void sheetListsTheBiblesWords();
  void bibleSearchIsListedChosenSavedPrintedAndEnded();
  void bookSearchOpensAndMarksTheSection();
  void failedSearchesSayWhy();
  void combineJoinsTheHitsOfTwoWindows();

 private:
  CSearchCommands* Commands() const { return m_app->GetMainFrame()->findChild<CSearchCommands*>(); }
  // Runs a search over the window and waits for it; the Hits window or null.
  CHitsWindow* Search(CChildFrame* frame, const char* text, int mode = kSearchAnd);
  std::string Messages() const {
    std::string all;
    for (const auto& m : m_messages->m_shown) all += m.text + "|";
    return all;
  }

  std::unique_ptr<QTemporaryDir> m_dir;
  std::unique_ptr<platform::RecordingMessages> m_messages;
  std::unique_ptr<platform::ScopedMessages> m_scoped;
  std::unique_ptr<CShellApp> m_app;
  std::string m_ini;
};

void SearchUiTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  QVERIFY(m_dir->isValid());
  platform::SetProgramDir(m_dir->path().toStdString());
  m_messages = std::make_unique<platform::RecordingMessages>();
  m_scoped = std::make_unique<platform::ScopedMessages>(m_messages.get());
  const QString book = m_dir->filePath(QStringLiteral("patience"));
  QVERIFY(QDir().mkpath(book));
  WriteBook(book);
  // Verse indexes 0-3: LIGHT {0, 1, 3}, GOD {0, 1}.
  CBibleBuilder kjs;
  kjs.SetCode("KJS");
  kjs.SetName("King James");
  std::string error;
  QVERIFY(kjs.AddVerse(1, 1, 1, "In the beginning God made light.", error));
  QVERIFY(kjs.AddVerse(1, 1, 2, "And God said, Let there be light.", error));
  QVERIFY(kjs.AddVerse(1, 1, 3, "And there was evening.", error));
  QVERIFY(kjs.AddVerse(2, 1, 1, "Exodus in the light.", error));
  QVERIFY2(kjs.Write(m_dir->path().toStdString(), error), error.c_str());
  m_ini = uitest::WriteRegistry(m_dir->path(), "Patience", book.toStdString(), 43, 7);
  QVERIFY(!m_ini.empty());
  m_app = uitest::StartApp(m_ini);
  QVERIFY(m_app);
  QVERIFY(Commands());
}

void SearchUiTest::cleanup() {
  m_app.reset();
  m_scoped.reset();
  m_messages.reset();
  m_dir.reset();
}

CHitsWindow* SearchUiTest::Search(CChildFrame* frame, const char* text, int mode) {
  QSignalSpy done(Commands(), &CSearchCommands::searchFinished);
  Commands()->StartSearch(frame, SearchRequest::FromText(text, mode));
  if (!done.wait(5000)) return nullptr;
  return Commands()->HitsWindowOf(frame);
}

// The list follows what is typed, and a word chosen replaces the word at the
// caret; the page's choices make the request.
void SearchUiTest::sheetListsTheBiblesWords() {
  const CBibleModule* kjs = m_app->Core().GetBibleModules().Find("KJS");
  QVERIFY(kjs);
  CSearchSheet sheet(true, MakeBibleWordSource(*kjs), {}, QStringLiteral("god li"), kSearchOr);
  sheet.FindBox()->setCursorPosition(6);
  sheet.FindBox()->textEdited(sheet.FindBox()->text());
  QList<QListWidgetItem*> light = sheet.WordList()->findItems(QStringLiteral("LIGHT"), Qt::MatchExactly);
  QCOMPARE(light.size(), 1);
  QCOMPARE(sheet.WordList()->item(0)->text(), QStringLiteral("LIGHT"));
  sheet.WordList()->itemClicked(light[0]);
  QCOMPARE(sheet.FindBox()->text(), QStringLiteral("god light"));
  sheet.ColourList()->item(2)->setSelected(true);
  const SearchRequest request = sheet.Request();
  QCOMPARE(request.words, (std::vector<std::string>{"god", "light"}));
  QCOMPARE(request.mode, kSearchOr);
  QCOMPARE(request.colors, std::vector<int>{2});
  QCOMPARE(QString::fromUtf8(SearchColourName(2)), QStringLiteral("Love - Amor"));
}

void SearchUiTest::bibleSearchIsListedChosenSavedPrintedAndEnded() {
  CChildFrame* frame = m_app->OpenBook(1, 0);
  QVERIFY(frame && QTest::qWaitForWindowExposed(frame));
  auto* doc = dynamic_cast<CPlaceDocument*>(frame->GetDocument());
  auto* view = frame->findChild<CBibView*>();
  CHitsWindow* hits = Search(frame, "light");
  QVERIFY(hits);
  QCOMPARE(hits->windowTitle(), QStringLiteral(" 3 Hits [light]"));
  QCOMPARE(hits->GetList()->model()->rowCount(), 3);
  QCOMPARE(hits->GetList()->model()->index(2, 0).data().toString(), QStringLiteral("Exodus 1:1"));
  QCOMPARE(hits->GetList()->model()->index(2, 1).data().toString(), QStringLiteral("Exodus in the light."));
  // The word is red in the window: "light" in "In the beginning God made light."
  const std::vector<CVerse>& verses = view->BibleCore().Verses();
  QVERIFY(!verses.empty());
  QCOMPARE(verses[0].found, (std::vector<std::pair<int32_t, int32_t>>{{26, 31}}));

  hits->GetList()->setCurrentIndex(hits->GetList()->model()->index(2, 0));
  QCOMPARE(doc->GetSectionKey(), 3);

  const QString saved = m_dir->filePath(QStringLiteral("hits.txt"));
  QVERIFY(hits->SaveResults(saved));
  QFile file(saved);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), QByteArray("Search Results for light\n\nGenesis 1:1 - In the beginning God made light.\n"
                                      "Genesis 1:2 - And God said, Let there be light.\nExodus 1:1 - Exodus in the light.\n"));
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = m_dir->filePath(QStringLiteral("hits.pdf"));
  printer.setOutputFileName(pdf);
  QVERIFY(hits->PrintResults(printer));
  QVERIFY(QFileInfo(pdf).size() > 0);

  // Closing ends the search and keeps the place, where the next one opens.
  hits->move(40, 50);
  hits->close();
  QCoreApplication::processEvents();
  QVERIFY(!doc->HasSearchHits());
  QVERIFY(view->BibleCore().Verses()[0].found.empty());
  QCOMPARE(platform::GetPrivateProfileString("SEARCH", "Location", "", m_ini), std::string("40, 50"));
  hits = Search(frame, "god light");
  QVERIFY(hits);
  QCOMPARE(hits->windowTitle(), QStringLiteral(" 2 Hits [god...]"));
  QCOMPARE(hits->pos(), QPoint(40, 50));
  QVERIFY(m_messages->m_shown.empty());
}

void SearchUiTest::bookSearchOpensAndMarksTheSection() {
  CChildFrame* frame = m_app->OpenBook(0, 0);
  QVERIFY(frame && QTest::qWaitForWindowExposed(frame));
  auto* doc = dynamic_cast<CPlaceDocument*>(frame->GetDocument());
  auto* view = frame->findChild<CBookView*>();
  CHitsWindow* hits = Search(frame, "patience");
  QVERIFY(hits);
  QCOMPARE(hits->windowTitle(), QStringLiteral(" 2 Hits [patience]"));
  QCOMPARE(hits->GetList()->model()->index(1, 0).data().toString(), QStringLiteral("Second"));
  // A section's opening words follow once the program is idle.
  hits->GetList()->model()->index(1, 1).data();
  QTRY_COMPARE(hits->GetList()->model()->index(1, 1).data().toString(),
               QStringLiteral("Second: patience, then more patience"));
  hits->ChooseHit(1);
  QCOMPARE(doc->GetSectionKey(), 1);
  QCOMPARE(view->CountMarks(view->TopLevel()), 2);
  QVERIFY(!hits->SaveResults(m_dir->filePath(QStringLiteral("no.txt"))));
  hits->close();
  QCoreApplication::processEvents();
  QCOMPARE(view->CountMarks(view->TopLevel()), 0);
  // The window going takes its Hits window along.
  QVERIFY(Search(frame, "patience"));
  QPointer<CHitsWindow> orphan = Commands()->HitsWindowOf(frame);
  delete frame;
  QTRY_VERIFY(!orphan);
}

void SearchUiTest::failedSearchesSayWhy() {
  CChildFrame* frame = m_app->OpenBook(1, 0);
  QVERIFY(frame && QTest::qWaitForWindowExposed(frame));
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"nothing", "Could not find the word \"NOTHING\".|"},
      {"evening light", "Could not find words \"EVENING LIGHT \" in the same verse.|"},
      {"", ""},
  };
  for (const auto& c : cases) {
    m_messages->m_shown.clear();
    QVERIFY(!Search(frame, c.text));
    QCOMPARE(QString::fromStdString(Messages()), QString::fromLatin1(c.message));
  }
  m_app->GetMainFrame()->CloseAllChildren();
  m_messages->m_shown.clear();
  Commands()->OnSearch();
  QCOMPARE(QString::fromStdString(Messages()), QStringLiteral("You must open a Bible or SOLT book to use search|"));
}

// A combine started in one window ends with a click on another, whose hits
// become the two sets joined.
void SearchUiTest::combineJoinsTheHitsOfTwoWindows() {
  CChildFrame* a = m_app->OpenBook(1, 0);
  CChildFrame* b = m_app->OpenBook(1, 0);
  QVERIFY(a && b && QTest::qWaitForWindowExposed(b));
  QVERIFY(Search(a, "light"));
  QVERIFY(Search(b, "god"));
  const struct {
    CombineOp op;
    const char* title;
    size_t count;
  } cases[] = {{CombineOp::Xor, " 1 Hits [god...]", 1}, {CombineOp::Or, " 3 Hits [god...]", 3}};
  for (const auto& c : cases) {
    m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(a);
    Commands()->OnCombine(c.op);
    QVERIFY(Commands()->IsCombinePending());
    QTest::mouseClick(b->findChild<CBibView*>()->viewport(), Qt::LeftButton);
    QVERIFY(!Commands()->IsCombinePending());
    CHitsWindow* hits = Commands()->HitsWindowOf(b);
    QVERIFY(hits);
    QCOMPARE(hits->windowTitle(), QString::fromLatin1(c.title));
    QCOMPARE(hits->GetHitCount(), c.count);
  }
  QCOMPARE(QString::fromStdString(Messages()),
           QStringLiteral("Now Click on Another window to do operation|Now Click on Another window to do operation|"));
  // A window without results cannot take part.
  m_messages->m_shown.clear();
  CChildFrame* c = m_app->OpenBook(1, 0);
  QVERIFY(QTest::qWaitForWindowExposed(c));
  m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(a);
  Commands()->OnCombine(CombineOp::And);
  QTest::mouseClick(c->findChild<CBibView*>()->viewport(), Qt::LeftButton);
  QVERIFY(m_messages->m_shown.back().text.starts_with("Sorry, Merge operations"));
}

QTEST_MAIN(SearchUiTest)
#include "search_ui_test.moc"
