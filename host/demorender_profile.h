// demorender_profile.h - demorender --profile: frame times per scene over a range of the demo.
//
// Every frame from `fromMs` to `toMs` at `fps` is drawn as demorender draws it (fixed clock, no
// sound, no read-back). Around each scene's render the dispatch observer takes the CPU wall
// clock, a pair of GPU timestamps and the count of heap allocations. GPU times are read after
// each frame, waiting for it: offline there is nothing better to do, and every frame gets its
// figure. The table (median, 95th percentile and worst per scene, CPU and GPU, allocations)
// and the render speed go to the standard output.
#pragma once

#include <cstdint>

// Call after demoInitialise(offline). Returns the exit code.
int runProfile(int64_t fromMs, int64_t toMs, int fps);
