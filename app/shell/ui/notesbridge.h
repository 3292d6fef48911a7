// Notes are kept as rich text (RTF) and edited in a QTextEdit: these two
// carry a note between our own reader and writer and Qt's document —
// paragraphs and their alignment, bold, italic, underline, font faces,
// sizes and text colours.
#pragma once

#include <string>

class QTextDocument;

namespace klmw {

// Replaces the document's content with the note; text that is not RTF is
// taken as plain text.
void RtfToDocument(const std::string& rtf, QTextDocument& doc);
// The document as RTF (Windows-1252 bytes).
std::string DocumentToRtf(const QTextDocument& doc);

}  // namespace klmw
