// Update throttling of book views: a burst of updates within a second is
// handled once at once and once when the second is over, however long it is.
#include <gtest/gtest.h>

#include <vector>

#include "app/books/updatethrottle.h"

namespace klmw {
namespace {

TEST(UpdateThrottle, ABurstWithinASecondRedrawsOnceMore) {
  const struct {
    std::vector<int64_t> updates;
    int immediate;   // updates handled as they came
    bool pending;    // one more redraw when the second is over
  } cases[] = {
      {{0}, 1, false},
      {{0, 100, 200, 500, 999}, 1, true},  // 999 ms is not "more than 999"
      {{0, 1000}, 2, false},
      {{0, 1000, 1500, 1999}, 2, true},
  };
  for (const auto& c : cases) {
    int64_t stamp = CUpdateThrottle::kNever;
    CUpdateThrottle throttle(stamp);
    int handled = 0;
    for (int64_t t : c.updates) handled += throttle.Admit(t) ? 1 : 0;
    EXPECT_EQ(handled, c.immediate) << c.updates.back();
    EXPECT_EQ(throttle.IsPending(), c.pending) << c.updates.back();
    if (!c.pending) continue;
    EXPECT_FALSE(throttle.Flush(throttle.GetDue() - 1));
    EXPECT_TRUE(throttle.Flush(throttle.GetDue()));
    EXPECT_FALSE(throttle.Flush(throttle.GetDue()));  // once only
  }
}

TEST(UpdateThrottle, TheStampIsSharedByTheViews) {
  int64_t stamp = CUpdateThrottle::kNever;
  CUpdateThrottle first(stamp), second(stamp);
  EXPECT_TRUE(first.Admit(0));
  EXPECT_FALSE(second.Admit(500));
  EXPECT_FALSE(first.IsPending());
  EXPECT_TRUE(second.Flush(1000));
  EXPECT_FALSE(first.Admit(1500));
}

}  // namespace
}  // namespace klmw
