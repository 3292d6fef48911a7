// Byte input for the reader. The bytes at hand sit in a window the reader can
// scan directly; only crossing its end goes through a virtual call, so the
// per-byte cost stays a compare and an increment.
#pragma once

#include <cstddef>
#include <string_view>

#include "textpane/rtf/rtfformat.h"

namespace textpane {

class InStream {
 public:
  virtual ~InStream() = default;

  // The current byte; 0 at the end of data (data may hold 0 too: AtEnd tells).
  unsigned char Peek() { return m_cur < m_end || Underflow() ? *m_cur : 0; }
  // The byte n ahead, 0 when out of reach. Reaches at least one window
  // boundary, which is all the reader ever needs.
  unsigned char PeekAt(size_t n) {
    const size_t have = static_cast<size_t>(m_end - m_cur);
    return n < have ? m_cur[n] : PeekBeyond(n - have);
  }
  void Advance() {
    if (m_cur < m_end || Underflow()) ++m_cur;
  }
  void Skip(size_t n);
  bool AtEnd() { return m_cur == m_end && !Underflow(); }
  // The bytes from the position that are at hand without a refill; empty
  // only at the end of data.
  std::string_view Window() {
    if (m_cur == m_end) Underflow();
    return {reinterpret_cast<const char*>(m_cur), static_cast<size_t>(m_end - m_cur)};
  }

 protected:
  // Makes the following bytes the window; false at the end of data.
  virtual bool Underflow() = 0;
  // The byte n past the end of the window, or 0.
  virtual unsigned char PeekBeyond(size_t n) = 0;

  const unsigned char* m_cur = nullptr;
  const unsigned char* m_end = nullptr;
};

class MemoryInStream : public InStream {
 public:
  MemoryInStream(const char* data, size_t length);

 private:
  bool Underflow() override { return false; }
  unsigned char PeekBeyond(size_t) override { return 0; }
};

// Two buffers used in turn: the one being read and the one after it, filled
// when a look-ahead or the reading crosses into it.
class CallbackInStream : public InStream {
 public:
  static constexpr long kBufferSize = 2048;
  // Makes the first fill at once.
  CallbackInStream(RtfCallback callback, DWORD_PTR cookie);

 private:
  bool Underflow() override;
  unsigned char PeekBeyond(size_t n) override;
  void Fill(int buffer);

  RtfCallback m_callback;
  DWORD_PTR m_cookie;
  unsigned char m_buffer[2][kBufferSize];
  long m_fill[2] = {0, 0};
  int m_current = 0;
  bool m_nextFilled = false;  // the other buffer already holds what follows
  bool m_ended = false;  // a fill brought nothing: the callback is not asked again
};

}  // namespace textpane
