// demorender_sync.h - demorender --sync-report: how the frames of a range move with the music.
//
// Every frame from `fromMs` to `toMs` at `fps` is drawn as demorender draws it and read back;
// the scene observer names the scenes drawn in it. The frames go through the sync report
// (sync_report.h) and its table goes to the standard output; with onsets, kick and snare
// hits are counted from an onset list, and with `plotFile` the plot is written there as PNG.
#pragma once

#include <cstdint>
#include <string>

struct OnsetLists;

// Call after demoInitialise(offline); `onsets` may be null, `plotFile` (absolute) empty.
// Returns the exit code.
int runSyncReport(int64_t fromMs, int64_t toMs, int fps, const OnsetLists* onsets,
                  const std::string& plotFile);
