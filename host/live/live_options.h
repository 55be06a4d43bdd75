// live_options.h - demolive's command line.
#pragma once

#include "command_line.h"

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

// Reads the arguments in order; --help or --version ends the reading where it stands, so a
// mistake before it is still one. Nothing here opens a window: asking for the usage works
// without a display.
CommandLine parseLiveOptions(int argc, char** argv, LiveOptions& options);
