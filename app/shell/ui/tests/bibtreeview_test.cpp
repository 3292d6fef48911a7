// A Bible window's tree: chapters come in once, when a book first opens;
// choosing an item moves the window; the tree marks where the window is and
// can narrow itself to the current book.
#include <QtTest>

#include "app/shell/ui/bibtreeview.h"
#include "app/shell/ui/placedocument.h"
#include "biblefile/biblemodule.h"

using namespace klmw;

class BibTreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void expandingTwiceBuildsOnce();
  void choosingAnItemMovesTheDocument();
  void treeMarksTheVerseAndShowsJustTheCurrentBook();

 private:
  CBibleModule m_bible;
  std::unique_ptr<CPlaceDocument> m_doc;
  std::unique_ptr<CBibTreeView> m_tree;
};

// Genesis 1-2 (verses 0-4), Exodus with 150 chapters of two verses (5-304).
void BibTreeViewTest::init() {
  QString exodus = QStringLiteral("2");
  for (int c = 1; c < 150; ++c) exodus += QStringLiteral(",2");
  const std::string definition = "TDBFILE=\"KJS.dat\"\n{Genesis\txx3,2}\n{Exodus\txx" + exodus.toStdString() + "}\n";
  QVERIFY(m_bible.ParseDefinition(definition, ""));
  m_doc = std::make_unique<CPlaceDocument>();
  m_tree = std::make_unique<CBibTreeView>([this](const CPlaceDocument&) { return &m_bible; },
                                          [](const CPlaceDocument&) { return nullptr; });
  m_doc->AddView(m_tree.get());
  m_tree->OnInitialUpdate();
}

void BibTreeViewTest::cleanup() {
  m_doc->RemoveView(m_tree.get());
  m_tree.reset();
  m_doc.reset();
}

void BibTreeViewTest::expandingTwiceBuildsOnce() {
  QCOMPARE(m_tree->topLevelItemCount(), 2);
  QTreeWidgetItem* exodus = m_tree->topLevelItem(1);
  QCOMPARE(exodus->text(0), QStringLiteral("Exodus"));
  QCOMPARE(exodus->childCount(), 0);
  QCOMPARE(exodus->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  exodus->setExpanded(true);
  exodus->setExpanded(false);
  exodus->setExpanded(true);
  QCOMPARE(exodus->childCount(), 150);
  QCOMPARE(exodus->child(149)->text(0), QStringLiteral("Exodus 150"));
  // Opening a book moves nothing.
  QCOMPARE(m_doc->GetSectionKey(), 0);
}

void BibTreeViewTest::choosingAnItemMovesTheDocument() {
  QTreeWidgetItem* exodus = m_tree->topLevelItem(1);
  exodus->setExpanded(true);
  m_tree->setCurrentItem(exodus->child(4));
  QCOMPARE(m_doc->GetSectionKey(), 13);  // Exodus 5:1
  QCOMPARE(m_tree->currentItem(), exodus->child(4));
  m_tree->setCurrentItem(m_tree->topLevelItem(0));
  QCOMPARE(m_doc->GetSectionKey(), 0);
}

void BibTreeViewTest::treeMarksTheVerseAndShowsJustTheCurrentBook() {
  QTreeWidgetItem* genesis = m_tree->topLevelItem(0);
  QTreeWidgetItem* exodus = m_tree->topLevelItem(1);
  // A closed book is marked as a whole, an open one by its chapter.
  m_doc->SetSectionKey(304);
  QCOMPARE(m_tree->currentItem(), exodus);
  QCOMPARE(exodus->childCount(), 0);
  exodus->setExpanded(true);
  m_doc->SetSectionKey(303);
  QCOMPARE(m_tree->currentItem()->text(0), QStringLiteral("Exodus 150"));
  m_doc->SetSectionKey(3);
  QCOMPARE(m_tree->currentItem(), genesis);
  QCOMPARE(m_doc->GetSectionKey(), 3);  // marking moved nothing

  m_tree->SetShowCurrentBook(true);
  QCOMPARE(m_tree->topLevelItemCount(), 1);
  QCOMPARE(m_tree->topLevelItem(0)->text(0), QStringLiteral("Genesis"));
  QCOMPARE(m_tree->currentItem(), m_tree->topLevelItem(0));
  // Reading on into the next book shows that book.
  m_doc->SetSectionKey(5);
  QCOMPARE(m_tree->topLevelItemCount(), 1);
  QCOMPARE(m_tree->topLevelItem(0)->text(0), QStringLiteral("Exodus"));
  m_tree->SetShowCurrentBook(false);
  QCOMPARE(m_tree->topLevelItemCount(), 2);
  QCOMPARE(m_tree->currentItem(), m_tree->topLevelItem(1));
  QCOMPARE(m_doc->GetSectionKey(), 5);
}

QTEST_MAIN(BibTreeViewTest)
#include "bibtreeview_test.moc"
