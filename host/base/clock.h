// clock.h - the one monotonic clock of the system.
//
// tick_count_ms is the wall-clock millisecond count that scenes read for animation that does
// not follow the music (the platform's tick count); tick_count_us is the same clock in
// microseconds, for the audio code, which measures play positions between buffer callbacks.
// Both are monotonic: they never jump when the system time is set, and their zero is arbitrary
// (only differences mean anything).
#pragma once

#include <cstdint>

int64_t tick_count_us();
int64_t tick_count_ms();
