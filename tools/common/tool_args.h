// tool_args.h - the one argument of a scene's asset generator: the data directory it writes
// into. Header-only.
#pragma once

#include <cstdio>

// argv[1] when the call is "<tool> <data directory>"; otherwise prints the usage line and
// returns null (the generator then exits with 2).
inline const char* dataDirectoryArgument(int argc, char** argv, const char* tool) {
    if (argc == 2) return argv[1];
    std::fprintf(stderr, "usage: %s <data directory>\n", tool);
    return nullptr;
}
