// clock.cpp - see clock.h.
#include "clock.h"

#include <chrono>

int64_t tick_count_us() {
    using namespace std::chrono;
    // Set on the first call, so a call from another file's static initialiser still finds it.
    static const steady_clock::time_point zero = steady_clock::now();
    return duration_cast<microseconds>(steady_clock::now() - zero).count();
}

int64_t tick_count_ms() {
    return tick_count_us() / 1000;
}

namespace {
// The first call, when the binary is loaded: the count starts there, not at a scene's first
// frame.
[[maybe_unused]] const int64_t g_loaded = tick_count_us();
} // namespace
