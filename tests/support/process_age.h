// process_age.h - how long this process has run, by the kernel's own record of its start.
//
// Independent of any clock of ours, so a test can bound what the program's clock may say: a
// clock that counts from the program's start can never read more than this.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

// Seconds since the process started; never less than the true age (the start is recorded in
// whole clock ticks, rounded down). -1, after a test failure, when /proc cannot tell.
inline double process_age_seconds() {
    std::ifstream in("/proc/self/stat");
    std::string stat;
    std::getline(in, stat);
    // The command name, in parentheses, may hold spaces; the fields after it are plain. The
    // start time is field 22, the 20th after the name.
    const size_t name = stat.rfind(')');
    std::istringstream fields(name == std::string::npos ? std::string() : stat.substr(name + 1));
    std::string skipped;
    for (int field = 3; field < 22; ++field) fields >> skipped;
    unsigned long long startTicks = 0;
    timespec now{};
    if (!(fields >> startTicks) || clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        ADD_FAILURE() << "no start time in /proc/self/stat: " << stat;
        return -1.0;
    }
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9 -
           double(startTicks) / double(sysconf(_SC_CLK_TCK));
}
