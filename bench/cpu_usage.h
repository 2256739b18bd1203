#pragma once

// What a process costs the CPU. Under Wine 8, GetProcessTimes on another
// process's handle returns the caller's own times, so another program's CPU
// and wake-ups are read where Linux keeps them: /proc, through Z:.

#include <windows.h>

#include <string>

// The unix pid of the Wine process running `exe` (its Windows path), or 0.
DWORD findUnixPid(const std::string& exe);

struct UnixUsage {
    bool valid = false;
    double cpuMs = 0.0;      // run time of all threads (schedstat)
    long long switches = 0;  // voluntary + involuntary context switches
    int threads = 0;
};

UnixUsage unixUsage(DWORD pid);
// Kernel and user time as GetProcessTimes gives it, or -1.
double processTimesMs(HANDLE process);
