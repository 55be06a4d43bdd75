// clock.h - the one monotonic clock of the system.
//
// tick_count_ms is the wall-clock millisecond count that scenes read for animation that does
// not follow the music; tick_count_us is the same clock in microseconds, for the audio code,
// which measures play positions between buffer callbacks. Both are monotonic (they never jump
// when the system time is set) and count from the moment the binary that holds this clock was
// loaded: the program's start for the host and tools, a plug-in's loading (during the host's
// start-up) for a scene. Scenes send the count to shaders as a 32-bit float, so a small count
// is what keeps it exact: a millisecond count since the machine booted would move in steps
// longer than a frame after a day and a half of uptime. Only differences within one binary
// mean anything; host and plug-ins each carry their own copy (plug-ins hide their symbols).
#pragma once

#include <cstdint>

int64_t tick_count_us();
int64_t tick_count_ms();
