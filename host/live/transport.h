// transport.h - the development player's clock arithmetic: the bar grid of the soundtrack,
// positions written on the command line, seeks that land on the grid, the loop range and the
// status line every transport change and reload prints.
//
// The grid is the sync tracks' own (sync_grid.h): 145 beats a minute, four beats a bar; eight
// bars make a section. Times are whole milliseconds of music, as the sound module and the
// scenes see them.
#pragma once

#include "sync_grid.h"

#include <cstdint>
#include <string>

constexpr int kLiveBarsPerSection = 8;

int64_t msOfBeats(double beats); // rounded to the nearest millisecond

// "42000" (milliseconds), "b24" (the start of bar 24) or "b24:2" / "b24:2.5" (beats into
// it), bars and beats counted from 0. False for anything else, negative numbers included.
bool parsePosition(const std::string& text, int64_t& ms);

enum class SeekUnit { Beat, Bar, Section };

// The grid line of `unit` after `ms` (direction > 0) or before it (direction < 0); a time a
// millisecond or so off a line counts as on it, so repeated seeks step one unit each. Never
// before 0.
int64_t seekTarget(int64_t ms, SeekUnit unit, int direction);

// The start of the bar the playhead at `ms` is in; a playhead a millisecond or two short of a
// line is still in the bar before it.
int64_t barStartAt(int64_t ms);

// "b24:0.00": bar and beat of `ms`, the beat to two places, rounded so that the
// millisecond-rounded start of a bar reads as that bar.
std::string barBeatText(int64_t ms);

struct LoopRange {
    int64_t fromMs = 0, toMs = 0;
    bool on = false;
    // True when the playhead at `ms` has run past the end and goes back to fromMs.
    bool wraps(int64_t ms) const { return on && toMs > fromMs && ms >= toMs; }
};

// "live: 39724 ms b24:0.00 paused <event>"
std::string statusLine(int64_t ms, bool paused, const std::string& event);
