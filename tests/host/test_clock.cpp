// The monotonic clock: both resolutions read the same clock, it never runs backwards, and it
// advances at least as far as a sleep lasts (no upper bound: the machine may be loaded).
#include "clock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Clock, MillisecondsAndMicrosecondsAreTheSameClock) {
    for (int i = 0; i < 100; ++i) {
        const int64_t us0 = tick_count_us();
        const int64_t ms = tick_count_ms();
        const int64_t us1 = tick_count_us();
        EXPECT_LE(us0 / 1000, ms);
        EXPECT_LE(ms, us1 / 1000);
    }
}

TEST(Clock, NeverRunsBackwards) {
    int64_t last = tick_count_us();
    for (int i = 0; i < 100000; ++i) {
        const int64_t now = tick_count_us();
        ASSERT_GE(now, last);
        last = now;
    }
}

TEST(Clock, AdvancesAtLeastAsFarAsASleep) {
    const int64_t ms0 = tick_count_ms();
    const int64_t us0 = tick_count_us();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(tick_count_us() - us0, 30000);
    EXPECT_GE(tick_count_ms() - ms0, 29); // whole milliseconds: one may be cut off at each end
}
