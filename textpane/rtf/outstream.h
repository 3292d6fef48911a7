// Byte output for the writer: a line buffer of 510 characters handed on a
// line at a time, either to a caller's callback or to a string. RTF lines end
// with CR LF wherever the buffer fills (the reader skips line ends in the
// body); plain text only where the text itself breaks the line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "textpane/rtf/rtfformat.h"

namespace textpane {

class OutStream {
 public:
  static constexpr size_t kLineLength = 510;
  // Room a string leaves behind in its line, so that the few bytes written
  // straight after a control word never split it from its delimiter.
  static constexpr size_t kSlack = 32;

  OutStream(RtfCallback callback, DWORD_PTR cookie, FORMAT format)
      : m_callback(callback), m_cookie(cookie), m_text(format == FORMAT_TEXT) {}
  OutStream(std::string& into, FORMAT format) : m_into(&into), m_text(format == FORMAT_TEXT) {}
  ~OutStream() { Flush(); }
  OutStream(const OutStream&) = delete;
  OutStream& operator=(const OutStream&) = delete;

  void PutChar(char c) {
    if (m_count == kLineLength) EndLine(false);
    m_line[m_count++] = c;
  }
  // Kept on one line when it fits one, so control words are never split.
  void PutString(std::string_view s);
  // Text as PutChar would write it byte by byte, copied in blocks.
  void PutText(std::string_view s);
  // Bytes as pairs of lower-case hex digits, broken wherever a line fills.
  void PutHex(const unsigned char* data, size_t size);
  // Straight through the callback, after whatever is buffered.
  void PutBinary(const char* data, size_t size);

  // A forced end (a paragraph or line break) writes CR LF in plain text as
  // well; otherwise plain text just hands the buffer on.
  void EndLine(bool forced);
  // Hands on what is buffered without ending the line.
  void Flush();

  size_t Buffered() const { return m_count; }
  bool IsText() const { return m_text; }

 private:
  void Deliver(const char* data, size_t size);

  RtfCallback m_callback = nullptr;
  DWORD_PTR m_cookie = 0;
  std::string* m_into = nullptr;
  bool m_text;
  size_t m_count = 0;
  char m_line[kLineLength + 2];
};

}  // namespace textpane
