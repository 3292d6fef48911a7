// Reads RTF (or plain text) from an InStream into a document through a
// DocumentBuilder. The reader never rejects input: whatever it does not
// understand it skips, and it always reads to the end of the data.
#pragma once

#include "textpane/rtf/instream.h"
#include "textpane/rtf/rtfformat.h"

namespace textpane {

class CRtfDoc;

class RtfReader {
 public:
  explicit RtfReader(CRtfDoc& doc, FORMAT format = FORMAT_RTF) : m_doc(doc), m_format(format) {}
  void SetFormat(FORMAT format) { m_format = format; }
  // Reads into the document as it stands; the caller empties it first.
  void Read(InStream& in);

 private:
  CRtfDoc& m_doc;
  FORMAT m_format;
};

}  // namespace textpane
