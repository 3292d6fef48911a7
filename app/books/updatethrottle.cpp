#include "app/books/updatethrottle.h"

namespace klmw {

bool CUpdateThrottle::Admit(int64_t now) {
  if (now - m_stamp > kIntervalMs) {
    m_stamp = now;
    m_pending = false;
    return true;
  }
  m_pending = true;
  return false;
}

bool CUpdateThrottle::Flush(int64_t now) {
  if (!m_pending) return false;
  return Admit(now);
}

}  // namespace klmw
