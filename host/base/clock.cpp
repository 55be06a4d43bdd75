// clock.cpp - see clock.h.
#include "clock.h"

#include <chrono>

int64_t tick_count_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t tick_count_ms() {
    return tick_count_us() / 1000;
}
