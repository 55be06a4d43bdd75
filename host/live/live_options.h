// live_options.h - demolive's command line.
#pragma once

#include <cstdint>
#include <string>

struct LiveOptions {
    int64_t startMs = 0;
    bool paused = false;
    bool loop = false;
    int64_t loopFromMs = 0, loopToMs = 0;
    std::string solo;
    std::string timeline; // empty: <root>/timeline/demo.timeline
    bool fullScreen = false;
    bool panel = true;
};

extern const char* const kLiveUsage;

// False, after a line on the standard error saying what is wrong, for anything the usage text
// does not allow.
bool parseLiveOptions(int argc, char** argv, LiveOptions& options);
