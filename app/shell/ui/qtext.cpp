#include "app/shell/ui/qtext.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

#include "platform/cp1252.h"

namespace klmw {

QString FromLatin1252(const std::string& bytes) {
  const std::u16string text = platform::Cp1252ToUtf16(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1252(const QString& text) {
  return platform::Utf16ToCp1252(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

void ShowTextTip(QHelpEvent* help, const std::string& tip, QWidget* widget) {
  if (tip.empty()) {
    QToolTip::hideText();
    help->ignore();
  } else {
    QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(FromLatin1252(tip)), widget);
  }
}

}  // namespace klmw
