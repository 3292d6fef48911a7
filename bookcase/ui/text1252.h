// The settings and description files hold Windows-1252 bytes; Qt wants
// Unicode. These turn one into the other at the dialog's edge.
#pragma once

#include <QString>
#include <string>

namespace bookcase {

QString FromWindows1252(const std::string& bytes);
// Characters Windows-1252 cannot hold become '?'.
std::string ToWindows1252(const QString& text);

}  // namespace bookcase
