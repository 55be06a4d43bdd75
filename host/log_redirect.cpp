// log_redirect.cpp - see log_redirect.h.
#include "log_redirect.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// Points descriptor `target` at `file`; returns a copy of the old descriptor, or -1.
static int redirectOne(int target, const char* file) {
    int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(target == 1 ? stdout : stderr, "## ERROR: cannot create %s: %s\n", file,
                     std::strerror(errno));
        return -1;
    }
    int saved = fcntl(target, F_DUPFD_CLOEXEC, 3);
    dup2(fd, target);
    close(fd);
    return saved;
}

void redirectLogs(LogRedirect& logs, const char* outFile, const char* errFile) {
    std::fflush(stdout);
    std::fflush(stderr);
    logs.savedOut = redirectOne(STDOUT_FILENO, outFile);
    logs.savedErr = redirectOne(STDERR_FILENO, errFile);
    // A buffer of our own: glibc only re-arms line buffering when the buffer itself changes,
    // and stdout may have been written to already.
    static char outBuffer[BUFSIZ];
    setvbuf(stdout, outBuffer, _IOLBF, sizeof outBuffer);
    setvbuf(stderr, nullptr, _IONBF, 0);
}

void closeLogs(LogRedirect& logs) {
    std::fflush(stdout);
    std::fflush(stderr);
    if (logs.savedOut >= 0) {
        dup2(logs.savedOut, STDOUT_FILENO);
        close(logs.savedOut);
        logs.savedOut = -1;
    }
    if (logs.savedErr >= 0) {
        dup2(logs.savedErr, STDERR_FILENO);
        close(logs.savedErr);
        logs.savedErr = -1;
    }
}
