// pulse.h - rhythm written once and compiled into keys: on every hit, rise from a base value
// to a peak and fall back.
//
// The timeline's `pulse` statement parses into a Pulse and a list of hit rows; expandPulse
// turns them into the ordinary keys the player reads. Everything here works in whole rows:
// hits, attacks and decays are rounded to the grid before they get here, since keys can only
// sit on rows.
//
//   peak      o        o       o        o = a key; a decay still running at the next
//            / \      / \     /|         hit is cut there, and that hit rises from the
//   base ---o   o----o   o   o |         value the curve had reached
//           ^ hit    ^ hit   ^ hit (cuts the decay before it)
#pragma once

#include "track.h"

#include <cstdint>
#include <string>
#include <vector>

struct Pulse {
    int32_t fromRow = 0, toRow = 0; // hits in [fromRow, toRow)
    float base = 0, peak = 1;
    int32_t attackRows = 0;        // 0: the hit jumps to the peak (a step key)
    int32_t decayRows = 1;         // at least 1
    int32_t shape = INTERP_LINEAR; // the interpolation of attack and decay
};

// Keys of one pulse over its ascending, distinct `hits` (all inside [fromRow, toRow)). A decay
// (or attack) still running at `toRow` is cut there by a last step key holding the value the
// curve has at `toRow`: `endIsCut` says that last key is such a cut, which a hand key on the
// same row replaces (the hand key takes over where the pulse ends).
struct PulseKeys {
    std::vector<TrackKey> keys; // ascending rows
    bool endIsCut = false;
};
PulseKeys expandPulse(const Pulse& pulse, const std::vector<int32_t>& hits);

// The rows in [fromRow, toRow) of the grid beats k * periodBeats + offset (k any integer, each
// offset in [0, periodBeats)), counted from row 0 at `rowsPerBeat` and rounded to the nearest
// row; ascending, each once. Empty when there would be more than `maxHits`, with `tooMany` set.
std::vector<int32_t> gridHits(double periodBeats, const std::vector<double>& offsets,
                              double rowsPerBeat, int32_t fromRow, int32_t toRow, size_t maxHits,
                              bool& tooMany);
// The rows in [fromRow, toRow) of moments given in milliseconds, rounded to the nearest row of
// the grid (`bpm`, `rowsPerBeat`); ascending, each once.
std::vector<int32_t> timeHits(const std::vector<double>& ms, double bpm, double rowsPerBeat,
                              int32_t fromRow, int32_t toRow);
