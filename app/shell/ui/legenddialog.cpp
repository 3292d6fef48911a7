#include "app/shell/ui/legenddialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/shell/ui/qtext.h"
#include "textpane/ui/qtsurface.h"

namespace klmw {

CLegendDialog::CLegendDialog(const std::vector<textpane::RGB>& colours, const std::vector<std::string>& names,
                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Colour Legend"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const size_t n = std::min<size_t>(colours.size(), 12);
  for (size_t k = 0; k < n; ++k) {
    auto* swatch = new QLabel(QString::number(k + 1), this);
    swatch->setAlignment(Qt::AlignCenter);
    swatch->setMinimumSize(48, 20);
    const QColor c = textpane::QtSurface::ToQColor(colours[k]);
    swatch->setStyleSheet(QStringLiteral("background-color: %1; color: black; border: 1px solid gray;").arg(c.name()));
    const std::string name = k < names.size() ? names[k] : std::string();
    auto* label = new QLabel(FromLatin1252(name), this);
    label->setObjectName(QStringLiteral("legendName%1").arg(k + 1));
    grid->addWidget(swatch, static_cast<int>(k % 6), static_cast<int>(k / 6) * 2);
    grid->addWidget(label, static_cast<int>(k % 6), static_cast<int>(k / 6) * 2 + 1);
  }
  layout->addLayout(grid);
  auto* underline = new QLabel(tr("<u>Underlined</u>: the words of Christ."), this);
  layout->addWidget(underline);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace klmw
