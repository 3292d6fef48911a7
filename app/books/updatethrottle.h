// Book views redraw at most once a second for a burst of updates. The last
// handled update's time is shared by every view that shares the stamp; an
// update that comes too soon is kept pending and folded, with any that
// follow it, into one redraw when the second is over, so nothing is lost.
#pragma once

#include <cstdint>

namespace klmw {

class CUpdateThrottle {
 public:
  // An update is handled only when it comes more than this after the last.
  static constexpr int64_t kIntervalMs = 999;

  // `stamp` is the time of the last update handled by any view sharing it.
  explicit CUpdateThrottle(int64_t& stamp) : m_stamp(stamp) {}

  // An update at `now` (ms): true when it is to be handled now; otherwise
  // it is pending until GetDue().
  bool Admit(int64_t now);
  bool IsPending() const { return m_pending; }
  int64_t GetDue() const { return m_stamp + kIntervalMs + 1; }
  // The wait for a pending update ended at `now`: true when it runs now.
  bool Flush(int64_t now);

  // A stamp no update has set yet.
  static constexpr int64_t kNever = INT64_MIN / 2;

 private:
  int64_t& m_stamp;
  bool m_pending = false;
};

}  // namespace klmw
