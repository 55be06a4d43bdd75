// self_test.h - the start-up self-test: exercises the shared matrix functions once, then
// reports "unit tests run successfully" on the standard error. It cannot fail.
#pragma once

void runSelfTest();
