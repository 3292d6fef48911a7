// RTF made of arbitrary bytes, read into the document model the two ways the
// program reads it: from memory, and through the callback in small pieces.
// The reader never refuses input; both ways must build the same text and the
// document must stay consistent (every paragraph ends in its mark, runs cover
// the text exactly).
//
// Input: byte 0 chooses the format (0 RTF, 1 text, 2 RTF from level 0), byte 1
// the callback's piece size; the rest is the text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "textpane.h"

namespace {

using fuzz::Check;

struct Source {
  const uint8_t* data;
  size_t size;
  size_t at;
  long piece;
};

// A 32-bit cookie cannot carry a pointer here; the one source of the
// current input stands in a variable instead.
Source g_source;

textpane::DWORD ReadPiece(textpane::DWORD_PTR, char* buffer, long size, long* count) {
  Source* src = &g_source;
  long n = std::min<long>({size, src->piece, static_cast<long>(src->size - src->at)});
  std::memcpy(buffer, src->data + src->at, static_cast<size_t>(n));
  src->at += static_cast<size_t>(n);
  *count = n;
  return 0;
}

// The document's text, paragraph by paragraph, with the runs checked.
std::string TextOf(textpane::CRtfDoc& doc) {
  std::string text;
  for (textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    Check(!p->Text().empty() && p->Text().back() == 13, "a paragraph without its mark");
    size_t covered = 0;
    for (const auto& run : p->Runs()) covered += run.length;
    Check(covered == p->Length(), "runs do not cover the paragraph");
    text += p->Text();
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const textpane::FORMAT format = static_cast<textpane::FORMAT>(data[0] % 3);
  const long piece = 1 + data[1] * 16;
  data += 2;
  size -= 2;

  textpane::CRtfDoc fromMemory;
  fromMemory.SetText(reinterpret_cast<const char*>(data), size, format);
  const std::string a = TextOf(fromMemory);

  g_source = {data, size, 0, piece};
  textpane::CRtfDoc fromCallback;
  fromCallback.SetText(ReadPiece, 0, format);
  Check(TextOf(fromCallback) == a, "reading through the callback gave other text than reading from memory");
  return 0;
}
