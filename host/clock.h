// clock.h - milliseconds of the monotonic clock (the platform's tick count).
#pragma once

#include <cstdint>
#include <ctime>

inline int64_t tick_count_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
