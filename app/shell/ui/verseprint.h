// Printing lists of verses ("label - text"): each entry wrapped to the page
// width and followed by a blank line, a header on the first page and another
// on the pages after it.
#pragma once

#include <QString>
#include <vector>

class QPrinter;

namespace klmw {

// header / contHeader: "" for none. False when the printer cannot start.
bool PrintTextEntries(QPrinter& printer, const QString& header, const QString& contHeader,
                      const std::vector<QString>& entries);

}  // namespace klmw
