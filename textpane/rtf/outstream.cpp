#include "textpane/rtf/outstream.h"

#include <algorithm>
#include <cstring>

namespace textpane {

void OutStream::Deliver(const char* data, size_t size) {
  if (size == 0) return;
  if (m_into) {
    m_into->append(data, size);
    return;
  }
  if (!m_callback) return;
  // The callback takes a mutable buffer and a long count; hand over in
  // pieces a long can hold.
  while (size > 0) {
    const size_t n = std::min<size_t>(size, 1u << 30);
    long taken = 0;
    m_callback(m_cookie, const_cast<char*>(data), static_cast<long>(n), &taken);
    data += n;
    size -= n;
  }
}

void OutStream::EndLine(bool forced) {
  if (!m_text || forced) {
    m_line[m_count++] = '\r';
    m_line[m_count++] = '\n';
  }
  Deliver(m_line, m_count);
  m_count = 0;
}

void OutStream::Flush() {
  Deliver(m_line, m_count);
  m_count = 0;
}

void OutStream::PutString(std::string_view s) {
  if (m_count > 0 && m_count + s.size() + kSlack >= kLineLength) EndLine(false);
  if (m_count + s.size() <= kLineLength) {
    std::memcpy(m_line + m_count, s.data(), s.size());
    m_count += s.size();
    return;
  }
  PutText(s);
}

void OutStream::PutText(std::string_view s) {
  while (!s.empty()) {
    if (m_count == kLineLength) EndLine(false);
    const size_t n = std::min(s.size(), kLineLength - m_count);
    std::memcpy(m_line + m_count, s.data(), n);
    m_count += n;
    s.remove_prefix(n);
  }
}

void OutStream::PutHex(const unsigned char* data, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < size;) {
    if (m_count + 2 > kLineLength) EndLine(false);
    // As many pairs as the line holds, without a check per byte.
    const size_t n = std::min(size - i, (kLineLength - m_count) / 2);
    char* out = m_line + m_count;
    for (size_t k = 0; k < n; ++k) {
      const unsigned char b = data[i + k];
      out[2 * k] = kDigits[b >> 4];
      out[2 * k + 1] = kDigits[b & 15];
    }
    m_count += 2 * n;
    i += n;
  }
}

void OutStream::PutBinary(const char* data, size_t size) {
  Flush();
  Deliver(data, size);
}

}  // namespace textpane
