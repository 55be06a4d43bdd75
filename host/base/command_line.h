// command_line.h - what every tool answers the same way, before it opens anything.
//
// A tool's option parser returns one of these and its main hands it to answerCommandLine,
// which prints what --help, --version or a wrong call asks for and gives the exit code. A
// wrong call exits with 2, as Unix tools do, so a script can tell it from a failed run (1).
#pragma once

#include <cstdio>

enum class CommandLine {
    Run,     // options filled in
    Help,    // --help: the usage, on the standard output
    Version, // --version
    Misuse,  // a line on the standard error has said what is wrong; the usage follows it
};

// Prints the usage (for --help on the standard output, after a misuse on the standard error)
// or "PROGRAM VERSION", and returns the exit code; -1 for Run, which prints nothing.
inline int answerCommandLine(CommandLine c, const char* program, const char* version,
                             const char* usage) {
    switch (c) {
    case CommandLine::Help:
        std::fputs(usage, stdout);
        return 0;
    case CommandLine::Version:
        std::printf("%s %s\n", program, version);
        return 0;
    case CommandLine::Misuse:
        std::fputs(usage, stderr);
        return 2;
    case CommandLine::Run:
        break;
    }
    return -1;
}
