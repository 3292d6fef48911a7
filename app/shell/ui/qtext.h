// The program's text is Windows-1252 bytes; Qt wants Unicode. These two turn
// one into the other at the Qt edge.
#pragma once

#include <QString>

class QHelpEvent;
class QWidget;
#include <string>

namespace klmw {

QString FromLatin1252(const std::string& bytes);
// Characters Windows-1252 cannot hold become '?'.
std::string ToLatin1252(const QString& text);

// Answers a tooltip request over widget: the text (Windows-1252, wrapped as
// rich text so long ones break), or no tip when it is empty.
void ShowTextTip(QHelpEvent* help, const std::string& tip, QWidget* widget);

}  // namespace klmw
