#include "bookcase/ui/qtmessages.h"

#include <QApplication>
#include <QMessageBox>

#include "bookcase/ui/text1252.h"

namespace bookcase {

int CQtMessages::Show(const std::string& text, platform::MessageButtons buttons, const std::string& caption) {
  using B = QMessageBox::StandardButton;
  QMessageBox::StandardButtons shown = B::Ok;
  switch (buttons) {
    case platform::MessageButtons::Ok:
      shown = B::Ok;
      break;
    case platform::MessageButtons::OkCancel:
      shown = B::Ok | B::Cancel;
      break;
    case platform::MessageButtons::YesNo:
      shown = B::Yes | B::No;
      break;
    case platform::MessageButtons::YesNoCancel:
      shown = B::Yes | B::No | B::Cancel;
      break;
    case platform::MessageButtons::RetryCancel:
      shown = B::Retry | B::Cancel;
      break;
  }
  QMessageBox box(QMessageBox::NoIcon, caption.empty() ? QStringLiteral("Book Case") : FromWindows1252(caption),
                  FromWindows1252(text), shown, QApplication::activeWindow());
  switch (box.exec()) {
    case B::Cancel:
      return platform::IDCANCEL;
    case B::Yes:
      return platform::IDYES;
    case B::No:
      return platform::IDNO;
    case B::Retry:
      return platform::IDRETRY;
    default:
      return platform::IDOK;
  }
}

}  // namespace bookcase
