#pragma once

// The Hushdesk.exe a test drives, started the tests' way: copied into the
// test's folder, a failure to start reported to GoogleTest.

#include <string>

#include "processes.h"

// HUSHDESK_EXE, else the build's own; named in the test's output the first
// time it is asked for.
std::string hushdeskExe();
// Whether it is the 64-bit build: a 32-bit Hushdesk gets only the low half
// of a wParam posted from here.
bool hushdeskIs64Bit();

// Copies Hushdesk.exe into `dir` (as `exeName`) unless it is there, and
// starts it with `dir` as its current folder. Does not wait.
Launched launchHushdesk(const std::string& dir, const char* exeName = "Hushdesk.exe");
// Launches and waits until the main thread is waiting for messages (its
// ThreadId in the profile and the process idle). Fails the test otherwise.
Launched startHushdesk(const std::string& dir, const char* exeName = "Hushdesk.exe");
