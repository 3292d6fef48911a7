#include "bookcase/ui/bookcasedialog.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStyle>

#include "bookcase/ui/text1252.h"
#include "platform/messages.h"
#include "ui_bookcasedialog.h"

namespace bookcase {

namespace {

// The tree's three images: a book, an ignored book, a data set.
QIcon BookIcon(const QStyle* style) { return style->standardIcon(QStyle::SP_FileIcon); }

QIcon IgnoredBookIcon(const QStyle* style) {
  // The book greyed out, so an ignored book reads as switched off.
  QIcon book = BookIcon(style);
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(book.pixmap(size, QIcon::Disabled));
  return icon;
}

QIcon DataSetIcon(const QStyle* style) { return style->standardIcon(QStyle::SP_DirIcon); }

}  // namespace

CBookCaseDialog::CBookCaseDialog(CBookCase& bookCase, QWidget* parent)
    : QDialog(parent), m_bookCase(bookCase), m_ui(std::make_unique<Ui::CBookCaseDialog>()) {
  m_ui->setupUi(this);
  connect(m_ui->m_ok, &QPushButton::clicked, this, &CBookCaseDialog::accept);
  connect(m_ui->m_cancel, &QPushButton::clicked, this, &CBookCaseDialog::reject);
  connect(m_ui->m_new, &QPushButton::clicked, this, &CBookCaseDialog::OnNew);
  connect(m_ui->m_about, &QPushButton::clicked, this, &CBookCaseDialog::OnAbout);
  // clicked, not toggled: setting the box from a selected item must not
  // write anything.
  connect(m_ui->m_ignoreBook, &QCheckBox::clicked, this, &CBookCaseDialog::OnIgnoreBook);
  connect(m_ui->m_tree, &QTreeWidget::itemSelectionChanged, this, &CBookCaseDialog::OnSelectionChanged);

  if (m_bookCase.Open()) {
    FillTree();
  } else {
    // Without the backup nothing done here could be taken back on Cancel.
    m_ui->m_new->setEnabled(false);
    m_ui->m_ignoreBook->setEnabled(false);
  }
}

CBookCaseDialog::~CBookCaseDialog() = default;

QTreeWidget* CBookCaseDialog::GetTree() const { return m_ui->m_tree; }
QCheckBox* CBookCaseDialog::GetIgnoreBook() const { return m_ui->m_ignoreBook; }
QPushButton* CBookCaseDialog::GetNewButton() const { return m_ui->m_new; }

void CBookCaseDialog::FillTree() {
  m_ui->m_tree->clear();
  for (const CDataSetItem& dataSet : m_bookCase.LoadTree()) {
    auto* item = new QTreeWidgetItem(m_ui->m_tree);
    FillDataSetItem(item, dataSet);
  }
  // The first book of the first data set starts selected.
  if (QTreeWidgetItem* first = m_ui->m_tree->topLevelItem(0))
    m_ui->m_tree->setCurrentItem(first->childCount() ? first->child(0) : first);
  OnSelectionChanged();
}

void CBookCaseDialog::FillDataSetItem(QTreeWidgetItem* item, const CDataSetItem& dataSet) {
  const QStyle* st = style();
  qDeleteAll(item->takeChildren());
  item->setText(0, FromWindows1252(dataSet.m_name));
  item->setIcon(0, DataSetIcon(st));
  item->setData(0, kDataSetRole, dataSet.m_number);
  item->setData(0, kBookRole, 0u);
  for (const CBookItem& book : dataSet.m_books) {
    auto* child = new QTreeWidgetItem(item);
    child->setText(0, FromWindows1252(book.GetText()));
    child->setIcon(0, book.m_ignore ? IgnoredBookIcon(st) : BookIcon(st));
    child->setData(0, kDataSetRole, dataSet.m_number);
    child->setData(0, kBookRole, book.m_number);
    child->setData(0, kIgnoreRole, book.m_ignore);
  }
  item->setExpanded(true);
}

QTreeWidgetItem* CBookCaseDialog::FindDataSetItem(unsigned n) const {
  for (int i = 0; i < m_ui->m_tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_ui->m_tree->topLevelItem(i);
    if (item->data(0, kDataSetRole).toUInt() == n) return item;
  }
  return nullptr;
}

void CBookCaseDialog::RebuildDataSet(unsigned n, unsigned selectBook) {
  QTreeWidgetItem* item = FindDataSetItem(n);
  if (!item) item = new QTreeWidgetItem(m_ui->m_tree);
  FillDataSetItem(item, m_bookCase.LoadDataSet(n));
  QTreeWidgetItem* select = item;
  for (int i = 0; i < item->childCount(); ++i)
    if (item->child(i)->data(0, kBookRole).toUInt() == selectBook) select = item->child(i);
  m_ui->m_tree->setCurrentItem(select);
  OnSelectionChanged();
}

void CBookCaseDialog::OnSelectionChanged() {
  QTreeWidgetItem* item = m_ui->m_tree->currentItem();
  if (!item) return;
  if (item->data(0, kBookRole).toUInt() != 0) {
    m_ui->m_ignoreBook->setChecked(item->data(0, kIgnoreRole).toBool());
    return;
  }
  // A data set shows checked when every one of its books is ignored.
  bool all = item->childCount() > 0;
  for (int i = 0; i < item->childCount(); ++i) all = all && item->child(i)->data(0, kIgnoreRole).toBool();
  m_ui->m_ignoreBook->setChecked(all);
}

QString CBookCaseDialog::ChooseDescription() {
  if (m_chooseDescription) return m_chooseDescription();
  QFileDialog dialog(this, tr("Open"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({"Book Description (*.ini)", "volume.* (volume.*)"});
  dialog.setDefaultSuffix("ini");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void CBookCaseDialog::OnNew() {
  QString file = ChooseDescription();
  if (file.isEmpty()) return;
  CAddResult result = m_bookCase.AddDescription(QFile::encodeName(file).toStdString());
  switch (result.m_status) {
    case AddStatus::Added:
    case AddStatus::Extended: {
      // The first book just added starts selected.
      RebuildDataSet(result.m_dataSet, result.m_books.empty() ? 0 : result.m_books.front().m_number);
      break;
    }
    case AddStatus::NoDataSetName:
      platform::MessageBox("The book description names no data set; nothing was added.");
      break;
    case AddStatus::NoBooks:
      platform::MessageBox("The book description lists no books; nothing was added.");
      break;
    case AddStatus::AlreadyRegistered:
      platform::MessageBox("The books of this description are registered already.");
      break;
    case AddStatus::Different:
      break;  // "They're Different" has been shown
    case AddStatus::WriteFailed:
      platform::MessageBox("Error");
      RebuildDataSet(result.m_dataSet, 0);
      break;
  }
}

void CBookCaseDialog::OnIgnoreBook(bool checked) {
  QTreeWidgetItem* item = m_ui->m_tree->currentItem();
  if (!item) return;
  unsigned n = item->data(0, kDataSetRole).toUInt();
  unsigned m = item->data(0, kBookRole).toUInt();
  bool ok = m ? m_bookCase.SetIgnoreBook(n, m, checked) : m_bookCase.SetIgnoreDataSet(n, checked);
  if (!ok) platform::MessageBox("Error");
  RebuildDataSet(n, m);
}

void CBookCaseDialog::OnAbout() {
  QMessageBox::about(this, tr("About bookcase"),
                     tr("<b>bookcase</b><p>Registers the SOLT book data sets that klmw opens, "
                        "from the book description shipped with each book, and marks books "
                        "to be ignored.</p><p>Changes are kept only when the dialog is closed with OK.</p>"));
}

void CBookCaseDialog::accept() {
  m_bookCase.Ok();
  QDialog::accept();
}

void CBookCaseDialog::reject() {
  m_bookCase.Cancel();
  QDialog::reject();
}

}  // namespace bookcase
