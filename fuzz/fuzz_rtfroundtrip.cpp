// Whatever the reader makes of arbitrary bytes, the writer must write so that
// reading it again gives the same text: read, write as RTF, read again, and
// compare the plain text of both documents.
#include <cstdint>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "textpane.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  textpane::CRtfDoc first;
  first.SetText(reinterpret_cast<const char*>(data), size, textpane::FORMAT_RTF);
  const std::string rtf = first.GetText(textpane::FORMAT_RTF);
  textpane::CRtfDoc second;
  second.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  fuzz::Check(second.GetText(textpane::FORMAT_TEXT) == first.GetText(textpane::FORMAT_TEXT),
              "the text changed on its way through the writer");
  return 0;
}
