#pragma once

// The programs measured side by side, each a copy in a folder of its own:
// Hushdesk, the minimal program, the minimal program that also registers a
// hot key, and the reference switcher; started and waited for until ready.

#include <windows.h>

#include <string>

#include "processes.h"

struct Program {
    std::string exe;        // the copy that runs
    std::string arguments;  // after the quoted exe path, from its first blank
    Launched launched;
    DWORD unixPid = 0;  // found under Z:\proc on demand
};

struct Contenders {
    Program hushdesk;
    Program minimal;
    Program minimalHotKey;
    Program reference;  // a copy of this benchmark's exe of the same bitness
};

// All four copied into folders under `base`, Hushdesk's INI selecting the
// targets and opening no dialog; false, and said so, when a copy fails.
bool prepareContenders(const std::string& hushdesk, const std::string& minimal,
                       const std::string& bench, const std::string& base, Contenders& all);
// Starts it and says so when it cannot.
bool launch(Program& program);
// Starts it and waits until it is ready (its thread id in its INI, waiting
// for messages); `startupMs`, if given, gets the milliseconds that took.
bool launchReady(Program& program, double* startupMs = nullptr);
void stop(Program& program);
