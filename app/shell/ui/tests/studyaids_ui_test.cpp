// The study aids in the running program under the offscreen platform:
// bookmarks (written from the Spanish Bible, opened with KJS numbering) and
// their notes, tagged verses printed and saved, the refusals in a book
// window, the footnote command following the top verse, and maps.
#include <QDialog>
#include <QImage>
#include <QMdiArea>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/shell/ui/bibview.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/notesbridge.h"
#include "app/shell/ui/notesview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/studyaidcommands.h"
#include "app/shell/ui/tests/uitestapp.h"
#include "app/studyaids/versenotes.h"
#include "biblefile/biblebuilder.h"
#include "notesstore/notesfile.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"

using namespace klmw;

class StudyAidsUiTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void bookmarkFromTheSpanishBibleOpensTheSameVerse();
  void bookmarkNotesAreKeptWhenTheDialogCloses();
  void taggedVersesArePrintedAndSaved();
  void bookWindowsAreRefused();
  void footnoteCommandFollowsTheTopVerse();
  void mapOfTheTopVerseOpensInAPictureWindow();
  void formattedNotesRoundTrip();
  void notesPaneFollowsTheWindow();

 private:
  CStudyAidCommands* Aids() const { return m_app->GetMainFrame()->findChild<CStudyAidCommands*>(); }
  std::string Messages() const {
    std::string all;
    for (const auto& m : m_messages->m_shown) all += m.text + "|";
    return all;
  }
  CPlaceDocument* Doc(CChildFrame* f) const { return dynamic_cast<CPlaceDocument*>(f->GetDocument()); }

  std::unique_ptr<QTemporaryDir> m_dir;
  std::unique_ptr<platform::RecordingMessages> m_messages;
  std::unique_ptr<platform::ScopedMessages> m_scoped;
  std::unique_ptr<CShellApp> m_app;
};

void StudyAidsUiTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  QVERIFY(m_dir->isValid());
  platform::SetProgramDir(m_dir->path().toStdString());
  m_messages = std::make_unique<platform::RecordingMessages>();
  m_scoped = std::make_unique<platform::ScopedMessages>(m_messages.get());
  // A one-section book.
  const QString book = m_dir->filePath(QStringLiteral("book"));
  QVERIFY(QDir().mkpath(book));
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 44;
  solt::cViewableWriter viewable(version);
  viewable.SetHeaderArea("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}");
  viewable.AddArea("\\soltstartlevel0 Only\\par }");
  const solt::cViewableWriter::sOutput out = viewable.Build();
  uitest::WriteBytes(book + "/book.dat", out.bookDat);
  uitest::WriteBytes(book + "/viewable.idx", out.viewableIdx);
  solt::cSectionsWriter sections(version);
  sections.AddSection("Only", 1, 1, 0);
  uitest::WriteBytes(book + "/sections.idx", sections.Build());
  solt::cConcordWriter concord(version);
  concord.AddLanguage(1033, {});
  uitest::WriteBytes(book + "/concord.idx", concord.Build());
  uitest::WriteBytes(book + "/verses.idx", solt::cVersesWriter(version).Build());
  uitest::WriteBytes(book + "/vsync.idx", solt::cVerseSyncWriter(version).Build());
  // KJS and RVR, verse indexes 0-3 (Genesis 1:1-3, Exodus 1:1).
  for (const char* code : {"KJS", "RVR"}) {
    CBibleBuilder bible;
    bible.SetCode(code);
    bible.SetName(code);
    std::string error;
    // Verse 2 carries a footnote reference.
    for (int v = 1; v <= 3; ++v)
      QVERIFY(bible.AddVerse(1, 1, v, v == 2 ? "Verse {a} 2." : "Verse " + std::to_string(v) + ".", error));
    QVERIFY(bible.AddVerse(2, 1, 1, "Exodus.", error));
    QVERIFY2(bible.Write(m_dir->path().toStdString(), error), error.c_str());
  }
  // The study aids beside the Bibles: a footnote on verse 2 naming Genesis
  // 1:3, a map for verses 1-2.
  uitest::WriteBytes(m_dir->filePath(QStringLiteral("FOOTNTE.DAT")), "2 Or, waste. See Gen. 1:3 ~ \r\n");
  uitest::WriteBytes(m_dir->filePath(QStringLiteral("MAPS.DAT")), "3 eden.png The garden ~\n");
  QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("maps")));
  QImage map(8, 8, QImage::Format_RGB32);
  map.fill(Qt::darkGreen);
  QVERIFY(map.save(m_dir->filePath(QStringLiteral("maps/eden.png"))));
  const std::string ini = uitest::WriteRegistry(m_dir->path(), "Book", book.toStdString(), 44, 7);
  QVERIFY(!ini.empty());
  QVERIFY(platform::WritePrivateProfileString("DATASET_1", "BOOKCOUNT", "3", ini));
  QVERIFY(platform::WritePrivateProfileString("BOOK_1_3", "BOOKNAME", "RVR", ini));
  QVERIFY(platform::WritePrivateProfileString("BOOK_1_3", "DEFPATH", m_dir->filePath(QStringLiteral("RVR")).toStdString().c_str(), ini));
  m_app = uitest::StartApp(ini);
  QVERIFY(m_app && Aids());
}

void StudyAidsUiTest::cleanup() {
  m_app.reset();
  m_scoped.reset();
  m_messages.reset();
  m_dir.reset();
}

void StudyAidsUiTest::bookmarkFromTheSpanishBibleOpensTheSameVerse() {
  CChildFrame* rvr = m_app->OpenBook(2, 2);
  QVERIFY(rvr && QTest::qWaitForWindowExposed(rvr));
  m_app->GetMainFrame()->GetCommand(ID_BOOKMARK_ADD)->trigger();
  std::ifstream in(Aids()->BookmarksPath());
  std::string line;
  QVERIFY(std::getline(in, line));
  QCOMPARE(QString::fromLatin1(line.c_str()), QString::fromLatin1("G\xE9nesis 1:3 2"));
  rvr->close();
  QCoreApplication::processEvents();
  // With KJS current the entry opens Genesis 1:3 in the reference window.
  CChildFrame* kjs = m_app->OpenBook(1, 0);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  const std::vector<CVerseEntry> entries = ReadVerseList(Aids()->BookmarksPath());
  QCOMPARE(entries.size(), size_t{1});
  QVERIFY(Aids()->OpenEntry(entries[0]));
  CPlaceDocument* shown = m_app->GetMainFrame()->GetActiveDocument();
  QVERIFY(shown);
  QCOMPARE(shown->GetSectionKey(), 2);
  QVERIFY(m_messages->m_shown.empty());
}

void StudyAidsUiTest::bookmarkNotesAreKeptWhenTheDialogCloses() {
  CChildFrame* kjs = m_app->OpenBook(1, 1);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  m_app->GetMainFrame()->GetCommand(ID_BOOKMARK_ADD)->trigger();
  m_app->GetMainFrame()->GetCommand(ID_BOOKMARK_LIST)->trigger();
  QPointer<QDialog> dialog = Aids()->OpenDialog();
  QVERIFY(dialog);
  auto* note = dialog->findChild<QPlainTextEdit*>();
  QVERIFY(note);
  QTest::keyClicks(note, QStringLiteral("A note never lost"));
  dialog->close();
  QCoreApplication::processEvents();
  QCOMPARE(QString::fromStdString(CVerseNotes(Aids()->NotesPath()).Get(1)), QStringLiteral("A note never lost"));
  // The next time the dialog shows it.
  m_app->GetMainFrame()->GetCommand(ID_BOOKMARK_LIST)->trigger();
  QCOMPARE(Aids()->OpenDialog()->findChild<QPlainTextEdit*>()->toPlainText(), QStringLiteral("A note never lost"));
}

void StudyAidsUiTest::taggedVersesArePrintedAndSaved() {
  CChildFrame* kjs = m_app->OpenBook(1, 0);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  for (int verse : {0, 3, 1}) {
    Doc(kjs)->SetSectionKey(verse);
    m_app->GetMainFrame()->GetCommand(ID_TAGGED_TAG)->trigger();
  }
  const std::string saved = m_dir->filePath(QStringLiteral("tagged.txt")).toStdString();
  const struct {
    int only;
    const char* text;
  } cases[] = {{-1, "Genesis 1:1 - Verse 1.\nExodus 1:1 - Exodus.\nGenesis 1:2 - Verse 2.\n"},
               {1, "Exodus 1:1 - Exodus.\n"}};
  for (const auto& c : cases) {
    QVERIFY(Aids()->SaveTagged(saved, c.only));
    std::ifstream in(saved, std::ios::binary);
    QCOMPARE(QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {})), QString::fromLatin1(c.text));
  }
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = m_dir->filePath(QStringLiteral("tagged.pdf"));
  printer.setOutputFileName(pdf);
  QVERIFY(Aids()->PrintTagged(printer));
  QVERIFY(QFileInfo(pdf).size() > 0);
  QVERIFY(m_messages->m_shown.empty());
}

void StudyAidsUiTest::bookWindowsAreRefused() {
  CChildFrame* book = m_app->OpenBook(0, 0);
  QVERIFY(book && QTest::qWaitForWindowExposed(book));
  for (int id : {ID_BOOKMARK_ADD, ID_TAGGED_TAG, ID_TAGGED_CLEAR, ID_MAPS_BUTTON})
    m_app->GetMainFrame()->GetCommand(id)->trigger();
  QCOMPARE(QString::fromStdString(Messages()),
           QStringLiteral("Bookmarks are for Bible Verse reference only|Tag for Print are for Bible Verse reference only|"
                          "This feature is available only for Bible Text|Maps Button is only relevant when a Bible "
                          "text is the currently active window, click the Bible text and try again|"));
  QVERIFY(!QFileInfo::exists(QString::fromStdString(Aids()->BookmarksPath())));
}

void StudyAidsUiTest::footnoteCommandFollowsTheTopVerse() {
  CChildFrame* kjs = m_app->OpenBook(1, 0);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  QAction* footnotes = m_app->GetMainFrame()->GetCommand(ID_FOOTNOTES_BUTTON);
  const struct {
    int verse;
    bool on;
  } cases[] = {{0, false}, {1, true}, {2, false}};
  for (const auto& c : cases) {
    Doc(kjs)->SetSectionKey(c.verse);
    QCoreApplication::processEvents();
    QCOMPARE(footnotes->isEnabled(), c.on);
  }
  // The letter follows its word, small and raised; suppressed, it goes.
  Doc(kjs)->SetSectionKey(0);
  auto* view = kjs->findChild<CBibView*>();
  QVERIFY(view);
  const struct {
    bool suppress;
    const char* text;
    size_t letters;
  } looks[] = {{false, "Versea 2.", 1}, {true, "Verse 2.", 0}, {false, "Versea 2.", 1}};
  for (const auto& l : looks) {
    m_app->GetOptions().m_suppressFootnotes = l.suppress;
    Doc(kjs)->UpdateAllViews(nullptr, 0);
    const std::vector<CVerse>& verses = view->BibleCore().Verses();
    QVERIFY(verses.size() >= 2);
    QCOMPARE(QString::fromStdString(verses[1].text), QString::fromLatin1(l.text));
    QCOMPARE(verses[1].notes.size(), l.letters);
  }
  Doc(kjs)->SetSectionKey(1);
  footnotes->trigger();
  QDialog* dialog = Aids()->OpenDialog();
  QVERIFY(dialog);
  auto* refs = dialog->findChild<QListWidget*>();
  QVERIFY(refs && refs->count() == 1);
  QCOMPARE(refs->item(0)->text(), QStringLiteral("Genesis 1:3"));
}

void StudyAidsUiTest::mapOfTheTopVerseOpensInAPictureWindow() {
  CChildFrame* kjs = m_app->OpenBook(1, 3);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  auto pictures = [this] {
    int n = 0;
    for (CChildFrame* f : m_app->GetMainFrame()->GetChildFrames()) n += f->GetTemplate().GetIndex() == kTemplatePicture;
    return n;
  };
  // Exodus 1:1 (number 4) is past the last map.
  m_app->GetMainFrame()->GetCommand(ID_MAPS_BUTTON)->trigger();
  QCOMPARE(pictures(), 0);
  m_app->GetMainFrame()->GetMdiArea()->setActiveSubWindow(kjs);
  Doc(kjs)->SetSectionKey(1);
  m_app->GetMainFrame()->GetCommand(ID_MAPS_BUTTON)->trigger();
  QCOMPARE(pictures(), 1);
  QCOMPARE(Aids()->Maps().Count(), size_t{1});
  QVERIFY(m_messages->m_shown.empty());
}

// Paragraph alignment, bold, italic, underline, face, size and colour come
// back from the note's RTF as they went in.
void StudyAidsUiTest::formattedNotesRoundTrip() {
  QTextDocument doc;
  QTextCursor c(&doc);
  const struct {
    const char* text;
    Qt::Alignment alignment;
    bool bold, italic, underline;
    const char* face;
    int points;
    QColor colour;
  } paragraphs[] = {
      {"Centred and bold", Qt::AlignHCenter, true, false, false, "Liberation Sans", 14, QColor(200, 0, 0)},
      {"Right, italic, underlined", Qt::AlignRight, false, true, true, "Liberation Serif", 10, QColor(0, 0, 160)},
      {"Caf\xC3\xA9 plain", Qt::AlignLeft, false, false, false, "Liberation Serif", 12, QColor(0, 0, 0)},
  };
  bool first = true;
  for (const auto& p : paragraphs) {
    QTextBlockFormat block;
    block.setAlignment(p.alignment);
    if (!first) c.insertBlock(block);
    else c.setBlockFormat(block);
    first = false;
    QTextCharFormat f;
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    f.setFontFamilies({QString::fromLatin1(p.face)});
    f.setFontPointSize(p.points);
    f.setForeground(p.colour);
    c.insertText(QString::fromUtf8(p.text), f);
  }
  QTextDocument back;
  RtfToDocument(DocumentToRtf(doc), back);
  QCOMPARE(back.blockCount(), 3);
  int i = 0;
  for (QTextBlock b = back.begin(); b.isValid(); b = b.next(), ++i) {
    const auto& p = paragraphs[i];
    QCOMPARE(b.text(), QString::fromUtf8(p.text));
    QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, p.alignment);
    const QTextCharFormat f = b.begin().fragment().charFormat();
    QCOMPARE(f.fontWeight() >= QFont::DemiBold, p.bold);
    QCOMPARE(f.fontItalic(), p.italic);
    QCOMPARE(f.fontUnderline(), p.underline);
    QCOMPARE(f.fontFamilies().toStringList().value(0), QString::fromLatin1(p.face));
    QCOMPARE(qRound(f.fontPointSize()), p.points);
    QCOMPARE(f.foreground().color(), p.colour);
  }
}

void StudyAidsUiTest::notesPaneFollowsTheWindow() {
  CChildFrame* kjs = m_app->OpenBook(1, 0);
  QVERIFY(kjs && QTest::qWaitForWindowExposed(kjs));
  auto* pane = qobject_cast<CNotesView*>(m_app->ToggleNotesPane(kjs));
  QVERIFY(pane);
  QCOMPARE(pane->GetStorage(), std::string("bible.not"));
  QTextCursor c(pane->document());
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  c.insertText(QStringLiteral("For God so loved"), bold);
  QVERIFY(pane->document()->isModified());
  // Moving on saves the note and empties the pane.
  Doc(kjs)->SetSectionKey(1);
  QVERIFY(pane->toPlainText().isEmpty());
  CNotesFile* store = m_app->Notes();
  QVERIFY(store);
  std::string rtf;
  QVERIFY(store->Get("bible.not", 0, rtf));
  // Moving without editing writes nothing.
  const QDateTime written = QFileInfo(QString::fromStdString(store->GetPath())).lastModified();
  QTest::qWait(20);
  Doc(kjs)->SetSectionKey(2);
  QCOMPARE(QFileInfo(QString::fromStdString(store->GetPath())).lastModified(), written);
  QCOMPARE(store->List().size(), size_t{1});
  // The other Bible shows the same note for the same verse, bold as typed.
  CChildFrame* rvr = m_app->OpenBook(2, 0);
  QVERIFY(rvr && QTest::qWaitForWindowExposed(rvr));
  auto* other = qobject_cast<CNotesView*>(m_app->ToggleNotesPane(rvr));
  QVERIFY(other);
  QCOMPARE(other->toPlainText(), QStringLiteral("For God so loved"));
  QVERIFY(other->document()->begin().begin().fragment().charFormat().fontWeight() >= QFont::DemiBold);
  // A book keeps its notes in a storage of its own.
  CChildFrame* book = m_app->OpenBook(0, 0);
  QVERIFY(book && QTest::qWaitForWindowExposed(book));
  auto* bookPane = qobject_cast<CNotesView*>(m_app->ToggleNotesPane(book));
  QVERIFY(bookPane);
  QCOMPARE(bookPane->GetStorage(), std::string("447.not"));
  QVERIFY(bookPane->toPlainText().isEmpty());
  // The command hides a shown pane.
  QVERIFY(!m_app->ToggleNotesPane(book));
  QVERIFY(m_messages->m_shown.empty());
}

QTEST_MAIN(StudyAidsUiTest)
#include "studyaids_ui_test.moc"
