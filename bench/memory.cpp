#include "memory.h"

#include <psapi.h>

#include <vector>

#include "statistics.h"

static Memory memoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    Memory memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        memory.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024.0;
        // Wine fills only PagefileUsage for another process; on Windows the
        // two are the same commit charge.
        const SIZE_T privateBytes =
            counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
        memory.privateKiB = static_cast<double>(privateBytes) / 1024.0;
    }
    return memory;
}

Memory settledMemory(HANDLE process, int samples, DWORD gapMs) {
    std::vector<double> workingSet, privateBytes;
    for (int i = 0; i < samples; ++i) {
        const Memory memory = memoryOf(process);
        workingSet.push_back(memory.workingSetKiB);
        privateBytes.push_back(memory.privateKiB);
        Sleep(gapMs);
    }
    return {median(workingSet), median(privateBytes)};
}
