#include "textpane/rtf/instream.h"

#include <algorithm>

namespace textpane {

void InStream::Skip(size_t n) {
  while (n > 0) {
    const size_t take = std::min(n, static_cast<size_t>(m_end - m_cur));
    m_cur += take;
    n -= take;
    if (n > 0 && !Underflow()) return;
  }
}

MemoryInStream::MemoryInStream(const char* data, size_t length) {
  m_cur = reinterpret_cast<const unsigned char*>(data);
  m_end = m_cur + (data ? length : 0);
}

CallbackInStream::CallbackInStream(RtfCallback callback, DWORD_PTR cookie) : m_callback(callback), m_cookie(cookie) {
  Fill(0);
  m_cur = m_buffer[0];
  m_end = m_cur + m_fill[0];
}

void CallbackInStream::Fill(int buffer) {
  // A callback may hand out less than asked for (an archive at a block end);
  // asking again until the buffer is full keeps a whole buffer of look-ahead.
  long filled = 0;
  while (filled < kBufferSize && !m_ended && m_callback) {
    long count = 0;
    m_callback(m_cookie, reinterpret_cast<char*>(m_buffer[buffer]) + filled, kBufferSize - filled, &count);
    // A callback that claims more than it was given room for is not believed.
    count = std::clamp(count, 0L, kBufferSize - filled);
    if (count == 0) m_ended = true;
    filled += count;
  }
  m_fill[buffer] = filled;
}

bool CallbackInStream::Underflow() {
  if (m_cur < m_end) return true;
  const int other = 1 - m_current;
  if (!m_nextFilled) Fill(other);
  m_nextFilled = false;
  if (m_fill[other] == 0) return false;
  m_current = other;
  m_cur = m_buffer[other];
  m_end = m_cur + m_fill[other];
  return true;
}

unsigned char CallbackInStream::PeekBeyond(size_t n) {
  const int other = 1 - m_current;
  if (!m_nextFilled) {
    Fill(other);
    m_nextFilled = true;
  }
  return n < static_cast<size_t>(m_fill[other]) ? m_buffer[other][n] : 0;
}

}  // namespace textpane
