// A book window's tree: sections come in only as their nodes open, a node
// shows an expand mark while it has children, choosing a node opens its
// section, and the tree follows the reading and the history without
// opening anything again.
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "app/shell/registry.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/solttreeview.h"
#include "app/shell/ui/treebar.h"
#include "soltread.h"
#include "soltread/bookwriter.h"
#include "soltread/indexwriters.h"

using namespace klmw;

namespace {

void WriteBytes(const QString& path, const std::string& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QStringList Texts(const QTreeWidgetItem* item) {
  QStringList texts;
  for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
  return texts;
}

}  // namespace

class SoltTreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void nodesFillAsTheyOpen();
  void choosingANodeOpensItsSection();
  void treeFollowsTheReadingAndTheHistory();
  void treeBarReadsABooksSectionsAsTheyOpen();

 private:
  // Part One (area 1) holds Chapter 1 and Chapter 2, Chapter 2 holds
  // Verse A; Part Two is a leaf of its own area.
  void WriteBook();

  std::unique_ptr<QTemporaryDir> m_dir;
  cSOLTBook m_book;
  std::unique_ptr<CPlaceDocument> m_doc;
  std::unique_ptr<CSoltTreeView> m_tree;
  int m_positionHints = 0;

  class HintCounter : public platform::CView {
   public:
    explicit HintCounter(int& count) : m_count(count) {}
    void OnUpdate(platform::CView*, long hint, void*) override {
      if (hint == CPlaceDocument::kHintPosition) ++m_count;
    }
    int& m_count;
  };
  std::unique_ptr<HintCounter> m_counter;
};

void SoltTreeViewTest::WriteBook() {
  solt::sVersionInfo version;
  version.publisherID = 7;
  version.bookID = 42;
  version.lcsMajor = 0;
  version.lcsMinor = 9;
  solt::cViewableWriter viewable(version);
  viewable.SetHeaderArea("{\\rtf1");
  viewable.AddArea("\\soltstartlevel0 One\\par \\soltstartlevel1 C1\\par \\soltstartlevel2 C2\\par "
                   "\\soltstartlevel3 A\\par}");
  viewable.AddArea("\\soltstartlevel0 Two\\par}");
  viewable.AddArea("\\soltstartlevel0 Word\\par}");
  const solt::cViewableWriter::sOutput out = viewable.Build();
  const QString dir = m_dir->path() + QStringLiteral("/");
  WriteBytes(dir + QStringLiteral("book.dat"), out.bookDat);
  WriteBytes(dir + QStringLiteral("viewable.idx"), out.viewableIdx);
  solt::cSectionsWriter sections(version);
  sections.AddSection("Part One", 1, 1, 0);
  sections.AddSection("Chapter 1", 2, 1, 1);
  sections.AddSection("Chapter 2", 2, 1, 2);
  sections.AddSection("Verse A", 3, 1, 3);
  sections.AddSection("Part Two", 1, 2, 0);
  sections.AddGlossary("Word", 1, 3, 0);
  WriteBytes(dir + QStringLiteral("sections.idx"), sections.Build());
  solt::cConcordWriter concord(version);
  concord.AddLanguage(1033, {});
  WriteBytes(dir + QStringLiteral("concord.idx"), concord.Build());
  WriteBytes(dir + QStringLiteral("verses.idx"), solt::cVersesWriter(version).Build());
  for (const char* name : {"wsync.idx", "ssync.idx", "dsync.idx"}) {
    WriteBytes(dir + QString::fromLatin1(name), solt::cTextSyncWriter(version).Build());
  }
  WriteBytes(dir + QStringLiteral("vsync.idx"), solt::cVerseSyncWriter(version).Build());
  const std::string path = dir.toStdString();
  m_book.SetTextPath(path.c_str());
  m_book.SetIDXPath(path.c_str());
  m_book.SetDefPath(path.c_str());
  m_book.SetDefMediaType("FIXED");
  m_book.SetRegMediaType("FIXED");
  m_book.SetPublisherID("7");
  m_book.SetBookID("42");
  m_book.SetSyncType("verse");
  m_book.SetBookName("Test Book");
}

void SoltTreeViewTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  QVERIFY(m_dir->isValid());
  m_book = cSOLTBook();
  WriteBook();
  m_doc = std::make_unique<CPlaceDocument>();
  m_tree = std::make_unique<CSoltTreeView>([this](const CPlaceDocument&) { return &m_book; });
  m_doc->AddView(m_tree.get());
  m_positionHints = 0;
  m_counter = std::make_unique<HintCounter>(m_positionHints);
  m_doc->AddView(m_counter.get());
  m_tree->OnInitialUpdate();
}

void SoltTreeViewTest::cleanup() {
  m_doc->RemoveView(m_counter.get());
  m_doc->RemoveView(m_tree.get());
  m_tree.reset();
  m_counter.reset();
  m_doc.reset();
  m_dir.reset();
}

void SoltTreeViewTest::nodesFillAsTheyOpen() {
  QTreeWidgetItem* root = m_tree->topLevelItem(0);
  QVERIFY(root);
  QCOMPARE(root->text(0), QStringLiteral("Test Book"));
  QCOMPARE(Texts(root), (QStringList{QStringLiteral("Part One"), QStringLiteral("Part Two")}));
  QTreeWidgetItem* one = root->child(0);
  QTreeWidgetItem* two = root->child(1);
  // Only the book's top level has been read.
  QCOMPARE(one->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  QCOMPARE(two->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  QCOMPARE(one->childCount(), 0);
  QCOMPARE(two->childCount(), 0);
  one->setExpanded(true);
  QCOMPARE(Texts(one), (QStringList{QStringLiteral("Chapter 1"), QStringLiteral("Chapter 2")}));
  QTreeWidgetItem* chapter2 = one->child(1);
  QCOMPARE(chapter2->childCount(), 0);
  QCOMPARE(chapter2->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  QCOMPARE(one->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  // Opening the node reads its children, once.
  chapter2->setExpanded(true);
  QCOMPARE(Texts(chapter2), QStringList{QStringLiteral("Verse A")});
  chapter2->setExpanded(false);
  chapter2->setExpanded(true);
  QCOMPARE(chapter2->childCount(), 1);
  QCOMPARE(m_positionHints, 0);
}

void SoltTreeViewTest::choosingANodeOpensItsSection() {
  QTreeWidgetItem* two = m_tree->topLevelItem(0)->child(1);
  m_tree->setCurrentItem(two);
  QCOMPARE(m_doc->GetSectionKey(), 4);
  QCOMPARE(m_positionHints, 1);
  QVERIFY(m_doc->CanGoBack());
  // The book's own node stands for no section.
  m_tree->setCurrentItem(m_tree->topLevelItem(0));
  QCOMPARE(m_doc->GetSectionKey(), 4);
  QCOMPARE(m_positionHints, 1);
}

void SoltTreeViewTest::treeFollowsTheReadingAndTheHistory() {
  // Scrolling into Verse A, whose node was never opened.
  m_doc->FollowSection(3, "Test Book:Verse A");
  QVERIFY(m_tree->currentItem());
  QCOMPARE(m_tree->currentItem()->text(0), QStringLiteral("Verse A"));
  QVERIFY(m_tree->currentItem()->parent()->isExpanded());
  QVERIFY(m_doc->GetTitle() == "Test Book:Verse A");
  QCOMPARE(m_positionHints, 0);
  QVERIFY(!m_doc->CanGoBack());

  m_doc->GoToSection(0, 4);
  QCOMPARE(m_tree->currentItem()->text(0), QStringLiteral("Part Two"));
  QVERIFY(m_doc->GoBack());
  QCOMPARE(m_doc->GetSectionKey(), 3);
  QCOMPARE(m_tree->currentItem()->text(0), QStringLiteral("Verse A"));
  QVERIFY(m_doc->GoForward());
  QCOMPARE(m_tree->currentItem()->text(0), QStringLiteral("Part Two"));
  QCOMPARE(m_positionHints, 3);

  // The glossary's list, below the book's sections.
  QTreeWidgetItem* glossary = m_tree->topLevelItem(1);
  QVERIFY(glossary);
  QCOMPARE(glossary->childCount(), 0);
  m_doc->FollowSection(5, "Test Book:Word");
  QCOMPARE(Texts(glossary), QStringList{QStringLiteral("Word")});
  QCOMPARE(m_tree->currentItem(), glossary->child(0));
}

void SoltTreeViewTest::treeBarReadsABooksSectionsAsTheyOpen() {
  const QString ini = m_dir->filePath(QStringLiteral("KLMW.INI"));
  QFile file(ini);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QStringLiteral("[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=Test\nBOOKCOUNT=1\n"
                            "[BOOK_1_1]\nBOOKNAME=Test Book\nDEFPATH=%1\nBOOKID=42\nPUBLISHERID=7\n"
                            "DEFMEDIATYPE=FIXED\n")
                 .arg(m_dir->path())
                 .toUtf8());
  file.close();
  CDataSetRegistry registry(ini.toStdString());
  registry.LoadRegistry();
  QCOMPARE(registry.GetBookCount(), 1);
  CTreeBar bar;
  bar.Rebuild(registry);
  QTreeWidgetItem* book = bar.GetBookTree()->topLevelItem(0)->child(0);
  QCOMPARE(book->text(0), QStringLiteral("Test Book"));
  QCOMPARE(book->childCount(), 0);
  QCOMPARE(book->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  book->setExpanded(true);
  QCOMPARE(Texts(book), (QStringList{QStringLiteral("Part One"), QStringLiteral("Part Two")}));
  QCOMPARE(book->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  QCOMPARE(book->child(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  // Opening a section node opens its book there.
  QSignalSpy opened(&bar, &CTreeBar::openBook);
  book->child(0)->setExpanded(true);
  QCOMPARE(Texts(book->child(0)), (QStringList{QStringLiteral("Chapter 1"), QStringLiteral("Chapter 2")}));
  emit bar.GetBookTree()->itemActivated(book->child(0)->child(1), 0);
  QCOMPARE(opened.count(), 1);
  QCOMPARE(opened.first().value(1).toInt(), 2);
}

QTEST_MAIN(SoltTreeViewTest)
#include "solttreeview_test.moc"
