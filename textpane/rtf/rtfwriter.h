// Writes a document back out: as RTF that this library's reader turns into
// the same document again, or as plain text for other programs.
#pragma once

#include "textpane/rtf/rtfformat.h"

namespace textpane {

class CRtfDoc;
class OutStream;

// FORMAT_TEXT gives plain text, the other formats RTF. Flushes the stream.
void WriteDocument(const CRtfDoc& doc, OutStream& out, FORMAT format);

}  // namespace textpane
