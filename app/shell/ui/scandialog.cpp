#include "app/shell/ui/scandialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>

#include "app/shell/bookscanner.h"
#include "app/shell/registry.h"
#include "app/shell/ui/qtext.h"
#include "ui_scandialog.h"

namespace klmw {

namespace {
constexpr int kNodeRole = Qt::UserRole;
// The progress box is brought up to date this often while the walk runs.
constexpr int kProgressIntervalMs = 50;
}  // namespace

CScanDialog::CScanDialog(CBookScanner& scanner, CDataSetRegistry& registry, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CScanDialog>()), m_scanner(scanner), m_registry(registry) {
  m_ui->setupUi(this);
  m_ui->books->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

CScanDialog::~CScanDialog() = default;

QTreeWidget* CScanDialog::GetList() const { return m_ui->books; }
int CScanDialog::GetFoundCount() const { return m_ui->books->topLevelItemCount(); }

bool CScanDialog::Scan(const QString& root) {
  QProgressDialog progress(tr("Looking for books..."), tr("Cancel"), 0, 0, parentWidget());
  progress.setWindowTitle(tr("Books on Disk"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  QElapsedTimer since;
  since.start();
  auto onFolder = [&](const std::string& folder, int visited) {
    if (since.elapsed() >= kProgressIntervalMs) {
      since.restart();
      progress.setLabelText(tr("Looking for books (%1 folders)...\n%2").arg(visited).arg(FromLatin1252(folder)));
      progress.setValue(0);
      QApplication::processEvents();
    }
    return !progress.wasCanceled();
  };
  const std::vector<std::string>& inactive = m_registry.GetInactiveBookPaths();
  bool finished = m_scanner.Scan(root.toStdString(), false, true, inactive, onFolder);
  progress.close();
  FillList(!finished);
  return finished;
}

void CScanDialog::FillList(bool cancelled) {
  m_ui->books->clear();
  for (CBookNode* node : m_scanner.GetBookNodes()) {
    QString name = FromLatin1252(node->GetName());
    if (node->kind == kNodeBibleFile) name = tr("Bible %1").arg(name);
    auto* item = new QTreeWidgetItem(m_ui->books, {name, FromLatin1252(node->path)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, node->active ? Qt::Checked : Qt::Unchecked);
    item->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(node)));
  }
  const int found = GetFoundCount();
  QString text = found == 0 ? tr("No books were found.") : tr("%n book(s) found. Checked books are active.", nullptr, found);
  if (cancelled) text = tr("The search was cancelled. ") + text;
  m_ui->summary->setText(text);
  m_ui->buttons->button(QDialogButtonBox::Ok)->setText(tr("Register"));
}

void CScanDialog::ApplyChecks() {
  for (int i = 0; i < m_ui->books->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_ui->books->topLevelItem(i);
    auto* node = static_cast<CBookNode*>(item->data(0, kNodeRole).value<void*>());
    if (node) node->active = item->checkState(0) == Qt::Checked;
  }
}

}  // namespace klmw
