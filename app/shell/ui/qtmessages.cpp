#include "app/shell/ui/qtmessages.h"

#include <QApplication>
#include <QMessageBox>

#include "app/shell/ui/qtext.h"

namespace klmw {

int CQtMessages::Show(const std::string& text, platform::MessageButtons buttons,
                      const std::string& caption) {
  using B = QMessageBox::StandardButton;
  QMessageBox::StandardButtons offered;
  B def = B::Ok;
  switch (buttons) {
    case platform::MessageButtons::Ok: offered = B::Ok; break;
    case platform::MessageButtons::OkCancel: offered = B::Ok | B::Cancel; break;
    case platform::MessageButtons::YesNo: offered = B::Yes | B::No; def = B::Yes; break;
    case platform::MessageButtons::YesNoCancel:
      offered = B::Yes | B::No | B::Cancel;
      def = B::Yes;
      break;
    case platform::MessageButtons::RetryCancel: offered = B::Retry | B::Cancel; def = B::Retry; break;
  }
  QString title = caption.empty() ? QApplication::applicationDisplayName() : FromLatin1252(caption);
  // Boxes with a way out ask a question; a plain OK box only informs.
  QMessageBox box(offered == QMessageBox::StandardButtons(B::Ok) ? QMessageBox::Information
                                                                 : QMessageBox::Question,
                  title, FromLatin1252(text), offered, QApplication::activeWindow());
  box.setDefaultButton(def);
  switch (box.exec()) {
    case B::Ok: return platform::IDOK;
    case B::Yes: return platform::IDYES;
    case B::No: return platform::IDNO;
    case B::Retry: return platform::IDRETRY;
    default:
      // Closing the box is the way out it offers (OK when there is none).
      return offered.testFlag(B::Cancel) ? platform::IDCANCEL
             : offered.testFlag(B::No)   ? platform::IDNO
                                         : platform::IDOK;
  }
}

}  // namespace klmw
