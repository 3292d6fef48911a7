// A section's rich text as the book compiler reads it: arbitrary bytes must
// be refused or scanned, never crash; scanned text must keep its groups
// balanced, so an area built from it stays a well-formed document.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/compiler/rtfscan.h"

namespace {

// Depth of braces outside escapes; -1 when a '}' closes nothing.
int Balance(std::string_view rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;  // the escaped character (or the control word's first letter)
      continue;
    }
    if (rtf[i] == '{') ++depth;
    if (rtf[i] == '}' && --depth < 0) return -1;
  }
  return depth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  solt::sScannedText out;
  solt::sScanError error;
  if (solt::ScanRtf(text, 1, out, error)) {
    // The scanner only adds balanced groups; a whole document loses its outer one.
    int in = Balance(text);
    if (in == 0 && Balance(out.rtf) != 0) {
      std::fprintf(stderr, "fuzz_rtfscan: scanned text is unbalanced\n");
      std::abort();
    }
    for (const std::string& w : out.words)
      if (w.empty()) std::abort();
  } else if (error.line < 1) {
    std::abort();
  }
  std::string rtf = solt::PlainTextToRtf(text);
  if (!solt::ScanRtf(rtf, 1, out, error)) {
    std::fprintf(stderr, "fuzz_rtfscan: plain text made RTF the scanner refuses: %s\n", error.message.c_str());
    std::abort();
  }
  return 0;
}
