// assert_failed.cpp - see assert_failed.h.
#include "assert_failed.h"

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool debuggerAttached() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return false;
    char line[256];
    bool traced = false;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            traced = std::atoi(line + 10) != 0;
            break;
        }
    }
    std::fclose(f);
    return traced;
}

// The console "pause": waits for Enter on the terminal, and only when there is one.
static void pauseForKey() {
    if (!isatty(STDIN_FILENO)) return;
    // Both standard streams point at the log files, so prompt on the terminal itself.
    int tty = open("/dev/tty", O_WRONLY | O_CLOEXEC);
    if (tty >= 0) {
        static const char prompt[] = "Press Enter to continue . . .\n";
        ssize_t ignored = write(tty, prompt, sizeof prompt - 1);
        (void)ignored;
        close(tty);
    }
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
}

void assertFailed(const char* message) {
    if (message) std::fprintf(stderr, "## ASSERT FAILED: \"%s\"\n", message);
    if (!debuggerAttached()) {
        std::fputs("attach debugger\n", stderr);
        pauseForKey();
    }
    // A debugger may have been attached while we paused.
    if (debuggerAttached()) std::raise(SIGTRAP);
}
