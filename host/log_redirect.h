// log_redirect.h - sends the process's standard output and error into "stdout.txt"/"stderr.txt".
//
// The files replace descriptors 1 and 2 (dup2), so the host, every plug-in and every library
// write into them. stdout is line-buffered and stderr unbuffered: every line is on disk as soon
// as it is written, even when the process ends abruptly. closeLogs puts the original
// descriptors back, so anything written after it goes where it went before, never to a
// closed file.
#pragma once

struct LogRedirect {
    int savedOut = -1; // the process's original descriptors, restored by closeLogs
    int savedErr = -1;
};

// Creates or truncates both files in the current directory. A file that cannot be created
// leaves its stream where it was and says so on that stream.
void redirectLogs(LogRedirect& logs, const char* outFile, const char* errFile);
void closeLogs(LogRedirect& logs);
