#include "bookcase/ui/text1252.h"

#include "platform/cp1252.h"

namespace bookcase {

QString FromWindows1252(const std::string& bytes) {
  const std::u16string text = platform::Cp1252ToUtf16(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToWindows1252(const QString& text) {
  return platform::Utf16ToCp1252(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

}  // namespace bookcase
