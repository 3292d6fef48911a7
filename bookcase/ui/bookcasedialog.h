// The "Book Case" dialog: the registered data sets with their books, New
// from a book description, Ignore Book, and OK or Cancel for the whole
// session. The work itself is CBookCase's; this class only wires it up.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "bookcase/bookcaselogic.h"

class QTreeWidget;
class QTreeWidgetItem;
class QCheckBox;
class QPushButton;

namespace Ui {
class CBookCaseDialog;
}

namespace bookcase {

class CBookCaseDialog : public QDialog {
  Q_OBJECT

 public:
  // Item data: the data set number n, the book number m (0 on a data set
  // item) and the book's ignore flag.
  static constexpr int kDataSetRole = Qt::UserRole;
  static constexpr int kBookRole = Qt::UserRole + 1;
  static constexpr int kIgnoreRole = Qt::UserRole + 2;

  // Opens the session (the backup) and fills the tree.
  explicit CBookCaseDialog(CBookCase& bookCase, QWidget* parent = nullptr);
  ~CBookCaseDialog() override;

  // Asks for a description file, "" when cancelled. Tests replace it.
  std::function<QString()> m_chooseDescription;

  QTreeWidget* GetTree() const;
  QCheckBox* GetIgnoreBook() const;
  QPushButton* GetNewButton() const;

  void OnNew();
  void OnIgnoreBook(bool checked);
  void OnAbout();

  void accept() override;
  void reject() override;

 private:
  QString ChooseDescription();
  void FillTree();
  // Rebuilds (or adds) the item of data set n and selects its book m, or
  // the data set itself when m is 0.
  void RebuildDataSet(unsigned n, unsigned selectBook);
  void FillDataSetItem(QTreeWidgetItem* item, const CDataSetItem& dataSet);
  QTreeWidgetItem* FindDataSetItem(unsigned n) const;
  void OnSelectionChanged();

  CBookCase& m_bookCase;
  std::unique_ptr<Ui::CBookCaseDialog> m_ui;
};

}  // namespace bookcase
