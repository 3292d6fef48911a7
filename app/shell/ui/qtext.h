// The program's text is Windows-1252 bytes; Qt wants Unicode. These two turn
// one into the other at the Qt edge.
#pragma once

#include <QString>
#include <string>

namespace klmw {

QString FromLatin1252(const std::string& bytes);
// Characters Windows-1252 cannot hold become '?'.
std::string ToLatin1252(const QString& text);

}  // namespace klmw
