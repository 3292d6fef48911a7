#include "bookcase/ui/bookcasedialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "bookcase/tests/bookcasetest.h"

namespace bookcase {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// What the tree shows: per data set its text, then its books' texts.
std::vector<std::vector<std::string>> Shown(const QTreeWidget* tree) {
  std::vector<std::vector<std::string>> shown;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = tree->topLevelItem(i);
    EXPECT_TRUE(item->isExpanded());
    shown.push_back({item->text(0).toStdString()});
    for (int j = 0; j < item->childCount(); ++j) shown.back().push_back(item->child(j)->text(0).toStdString());
  }
  return shown;
}

using BookCaseDialog = BookCaseTest;

TEST_F(BookCaseDialog, ShowsTheRegistryAndMarksIgnoredBooks) {
  WriteFile(Settings(),
            "[SOLTDATASETS]\nDATASETCOUNT=2\n[DATASET_1]\nDATASETNAME=Caf\xe9\nBOOKCOUNT=2\n"
            "[BOOK_1_1]\nBOOKNAME=One\nIGNORE=N\n[BOOK_1_2]\nBOOKNAME=Two\nIGNORE=Y\n"
            "[DATASET_2]\nDATASETNAME=Other\nBOOKCOUNT=1\n[BOOK_2_1]\nBOOKNAME=\x93Three\x94\n");
  CBookCase bookCase(Home(), &m_volumes);
  CBookCaseDialog dialog(bookCase);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Book Case");
  QTreeWidget* tree = dialog.GetTree();
  using Texts = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Shown(tree), (Texts{{"Caf\xc3\xa9", "One", "[Ignore] Two"}, {"Other", "\xe2\x80\x9cThree\xe2\x80\x9d"}}));
  // The first book of the first data set starts selected.
  ASSERT_EQ(tree->currentItem(), tree->topLevelItem(0)->child(0));
  EXPECT_FALSE(dialog.GetIgnoreBook()->isChecked());
  tree->setCurrentItem(tree->topLevelItem(0)->child(1));
  EXPECT_TRUE(dialog.GetIgnoreBook()->isChecked());

  // Ignore Book on the data set marks every one of its books.
  tree->setCurrentItem(tree->topLevelItem(0));
  EXPECT_FALSE(dialog.GetIgnoreBook()->isChecked());
  dialog.GetIgnoreBook()->click();
  EXPECT_EQ(Shown(tree),
            (Texts{{"Caf\xc3\xa9", "[Ignore] One", "[Ignore] Two"}, {"Other", "\xe2\x80\x9cThree\xe2\x80\x9d"}}));
  EXPECT_EQ(Get("BOOK_1_1", "IGNORE"), "Y");
  EXPECT_EQ(Get("BOOK_2_1", "IGNORE", "(none)"), "(none)");
  EXPECT_TRUE(dialog.GetIgnoreBook()->isChecked());

  // ... and on one book only that book.
  tree->setCurrentItem(tree->topLevelItem(0)->child(1));
  dialog.GetIgnoreBook()->click();
  EXPECT_EQ(Get("BOOK_1_2", "IGNORE"), "N");
  EXPECT_EQ(tree->currentItem()->text(0).toStdString(), "Two");
  EXPECT_EQ(Get("BOOK_1_1", "IGNORE"), "Y");

  // OK keeps it all and drops the backup.
  dialog.accept();
  EXPECT_FALSE(fs::exists(Backup()));
  EXPECT_EQ(Get("BOOK_1_1", "IGNORE"), "Y");
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(BookCaseDialog, NewThenCancelLeavesNoSettingsFile) {
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "Alpha"}, {"2", "Beta"}}));
  CBookCase bookCase(Home(), &m_volumes);
  CBookCaseDialog dialog(bookCase);
  EXPECT_EQ(dialog.GetTree()->topLevelItemCount(), 0);

  dialog.m_chooseDescription = [] { return QString(); };  // the file dialog cancelled
  dialog.GetNewButton()->click();
  EXPECT_FALSE(fs::exists(Settings()));

  dialog.m_chooseDescription = [&] { return QString::fromStdString(desc); };
  dialog.GetNewButton()->click();
  EXPECT_EQ(Shown(dialog.GetTree()), (std::vector<std::vector<std::string>>{{"Set", "Alpha", "Beta"}}));
  ASSERT_NE(dialog.GetTree()->currentItem(), nullptr);
  EXPECT_EQ(dialog.GetTree()->currentItem()->text(0).toStdString(), "Alpha");
  EXPECT_TRUE(fs::exists(Settings()));

  // The same description again: nothing new, said in a box.
  dialog.GetNewButton()->click();
  EXPECT_EQ(dialog.GetTree()->topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(m_messages.m_shown.size(), 1u);

  dialog.reject();
  EXPECT_FALSE(fs::exists(Settings()));
  EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(BookCaseDialog, NoChangesWithoutABackup) {
  WriteFile(Settings(), "[SOLTDATASETS]\nDATASETCOUNT=0\n");
  fs::create_directory(Backup());
  WriteFile(Backup() + "/x", "x");
  CBookCase bookCase(Home(), &m_volumes);
  CBookCaseDialog dialog(bookCase);
  ASSERT_EQ(m_messages.m_shown.size(), 1u);
  EXPECT_EQ(m_messages.m_shown[0].text, "Could not temporarily save the Iridel INI file");
  EXPECT_FALSE(dialog.GetNewButton()->isEnabled());
  EXPECT_FALSE(dialog.GetIgnoreBook()->isEnabled());
  dialog.reject();
  EXPECT_TRUE(fs::exists(Settings()));
}

}  // namespace
}  // namespace bookcase

int main(int argc, char** argv) {
  // No display is needed; set before the application reads it.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
