// The output watchdog: a play position that stops moving while time goes on
// asks for the output to be opened again, once for each stall.
#include <gtest/gtest.h>

#include <cstdint>

#include "sound/output/output_watchdog.h"

namespace {

TEST(Watchdog, StallsReopenOnceAndMovementResets) {
    WatchdogState st;
    int64_t wall = 1000, ticks = 1000;
    int reopens = 0;
    for (int poll = 0; poll < 200; ++poll, wall += 5, ticks += 5) reopens += watchdog_check(st, 77, 5, wall, ticks);
    EXPECT_EQ(reopens, 2);  // at 400 and again 400 later
    WatchdogState moving;
    reopens = 0;
    for (int poll = 0; poll < 200; ++poll, wall += 5, ticks += 5)
        reopens += watchdog_check(moving, poll % 70 == 0 ? poll : moving.last_position, 5, wall, ticks);
    EXPECT_EQ(reopens, 0);
    // A suspend: boot time jumped, the monotonic clock did not.
    WatchdogState slept;
    EXPECT_FALSE(watchdog_check(slept, 10, 5, 1000, 1000));
    EXPECT_FALSE(watchdog_check(slept, 20, 5, 1005, 1005));
    EXPECT_TRUE(watchdog_check(slept, 30, 5, 9000, 1010));
    EXPECT_FALSE(watchdog_check(slept, 40, 5, 9005, 1015));
}

}  // namespace
