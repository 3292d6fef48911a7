#include "app/shell/ui/bibleviewsdialog.h"

#include "ui_bibleviewsdialog.h"

namespace klmw {

CBibleViewsDialog::CBibleViewsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBibleViewsDialog>()) {
  m_ui->setupUi(this);
}

CBibleViewsDialog::~CBibleViewsDialog() = default;

bool CBibleViewsDialog::GetSuppressFootnotes() const { return m_ui->suppressFootnotes->isChecked(); }
void CBibleViewsDialog::SetSuppressFootnotes(bool on) { m_ui->suppressFootnotes->setChecked(on); }

}  // namespace klmw
