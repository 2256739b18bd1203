#pragma once

// What a process holds in memory, as another process sees it.

#include <windows.h>

struct Memory {
    double workingSetKiB = 0.0;
    double privateKiB = 0.0;
};

// Median of `samples` readings `gapMs` apart.
Memory settledMemory(HANDLE process, int samples = 5, DWORD gapMs = 100);
