// assert_failed.h - the system's report for a broken invariant.
//
// An assertion is a report, not an abort: it writes "## ASSERT FAILED: "<message>"" to the
// standard error, and then either breaks into an attached debugger or says "attach debugger"
// and pauses (only when standard input is a terminal, so tests and CI never block).
// The host and every plug-in link this same function.
#pragma once

void assertFailed(const char* message);

// True when a tracer (gdb, lldb, strace) is attached to this process.
bool debuggerAttached();
