#include "cycles.h"

#include <cstdio>
#include <string>

#include "cpu_usage.h"
#include "resident_cost.h"
#include "statistics.h"
#include "table.h"
#include "target_windows.h"

void measureCycles(Contenders& all, const Memory& minimal, const Memory& minimalHotKey, int cycles,
                   int windows, int batch) {
    TargetWindows targets = startTargets(windows, 0);
    Sleep(300);
    // The switch code and its pages are in use from now on.
    runCycles(all.hushdesk.launched.threadId, targets, 20, 1);
    Sleep(500);
    const Memory before = settledMemory(all.hushdesk.launched.process);
    if (all.hushdesk.unixPid == 0) {
        all.hushdesk.unixPid = findUnixPid(all.hushdesk.exe);
    }
    const UnixUsage usageBefore = unixUsage(all.hushdesk.unixPid);
    const double ownBefore = processTimesMs(GetCurrentProcess());
    const double startedAt = nowMs();
    const int done = runCycles(all.hushdesk.launched.threadId, targets, cycles, batch);
    const double seconds = (nowMs() - startedAt) / 1000.0;
    const UnixUsage usageAfter = unixUsage(all.hushdesk.unixPid);
    const double ownAfter = processTimesMs(GetCurrentProcess());
    Sleep(500);
    const Memory after = settledMemory(all.hushdesk.launched.process);
    stopTargets(targets);
    std::printf(
        "cycles: %d of %d hide/restore cycles over %d windows, %d a batch, in %.1f s (%.2f ms a "
        "cycle)\n",
        done, cycles, windows, batch, seconds, done > 0 ? seconds * 1000.0 / done : 0.0);
    if (done > 0 && usageBefore.valid && usageAfter.valid) {
        std::printf(
            "cycles: CPU a cycle: Hushdesk %.2f ms, the windows' owner (this process) %.2f "
            "ms\n",
            (usageAfter.cpuMs - usageBefore.cpuMs) / done, (ownAfter - ownBefore) / done);
    }
    addMemoryRows("after the cycles", after, minimal, minimalHotKey);
    const double workingSetGrowth = after.workingSetKiB - before.workingSetKiB;
    const double privateGrowth = after.privateKiB - before.privateKiB;
    addRow("growth over " + std::to_string(done) + " cycles (KiB, WS/private)",
           formatNumber("%+.0f", workingSetGrowth) + formatNumber(" / %+.0f", privateGrowth), "",
           "none", done == cycles && privateGrowth <= 0.0 && workingSetGrowth <= 0.0);
}
