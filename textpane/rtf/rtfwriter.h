// Writes a document back out: as RTF that this library's reader turns into
// the same document again, or as plain text for other programs.
#pragma once

#include "textpane/rtf/rtfformat.h"

namespace textpane {

class CRtfDoc;
class OutStream;

// FORMAT_TEXT gives plain text, the other formats RTF. Flushes the stream.
// For other programs (the clipboard) the book's link targets and span keys
// go in groups marked ignorable ("{\*\soltlinkto ...}"), so a word
// processor that does not know them leaves their text out; this reader
// takes them either way.
void WriteDocument(const CRtfDoc& doc, OutStream& out, FORMAT format, bool forOtherPrograms = false);

}  // namespace textpane
