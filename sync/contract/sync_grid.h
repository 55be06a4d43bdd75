// sync_grid.h - the demo's musical grid in milliseconds: 145 beats per minute, 8 rows a
// beat, 4 beats a bar, counted from 0 at the start of the music.
//
// The timeline (timeline/demo.timeline) places keys on bars ("b88"), the sync sources
// evaluate tracks on rows, and scenes, their tests and benchmarks, the development player's
// transport think in milliseconds of music; these convert between them. Bar 88 starts at
// 145 655.17 ms. Beside the sync contract, not in the scene kit: the host's sync sources
// use it too.
#pragma once

#include <cstdint>

constexpr double kBeatsPerMinute = 145.0;
constexpr double kRowsPerBeat = 8.0;
constexpr double kBeatsPerBar = 4.0;
constexpr double kMsPerBeat = 60000.0 / kBeatsPerMinute;
constexpr double kMsPerRow = kMsPerBeat / kRowsPerBeat;
constexpr double kMsPerBar = kMsPerBeat * kBeatsPerBar;

constexpr double msAtRow(double row) {
    return row * kMsPerRow;
}
constexpr double msAtBeat(double beat) {
    return beat * kMsPerBeat;
}
constexpr double msAtBar(double bar) {
    return bar * kMsPerBar;
}
// Fractional positions on the grid at a music time.
constexpr double rowAtMs(int64_t ms) {
    return static_cast<double>(ms) / kMsPerRow;
}
constexpr double beatAtMs(int64_t ms) {
    return static_cast<double>(ms) / kMsPerBeat;
}
constexpr double barAtMs(int64_t ms) {
    return static_cast<double>(ms) / kMsPerBar;
}

// The row a sync source evaluates its tracks at: rows per second times the time, in that
// order. rowAtMs divides and differs in the last bit for most times; every source reading a
// track must land on the same row as the player's (cSyncRocket::rowAt).
constexpr double kRowsPerSecond = kBeatsPerMinute / 60.0 * kRowsPerBeat;
constexpr double trackRowAtMs(int64_t ms) {
    return static_cast<double>(ms) * kRowsPerSecond / 1000.0;
}
