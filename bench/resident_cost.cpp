#include "resident_cost.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cpu_usage.h"
#include "statistics.h"
#include "table.h"

void measureStartup(Contenders& all, int runs) {
    Program* programs[] = {&all.hushdesk, &all.minimal, &all.minimalHotKey};
    std::vector<double> startupMs[3];
    for (int run = -1; run < runs; ++run) {  // run -1 warms the file cache
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (turn + run + 3) % 3;  // each goes first in turn
            Program& program = *programs[which];
            double elapsed = -1.0;
            const bool ready = launchReady(program, &elapsed);
            stop(program);
            Sleep(100);
            if (ready && run >= 0) {
                startupMs[which].push_back(elapsed);
            }
        }
    }
    addRatioRow("start-up to ready (ms)", median(startupMs[0]), median(startupMs[2]), "%.1f", 1.2);
    addRatioRow(kAgainstBare, median(startupMs[0]), median(startupMs[1]), "%.1f", -1.0);
}

void measureIdle(Contenders& all) {
    Program* programs[] = {&all.hushdesk, &all.minimal, &all.minimalHotKey};
    Sleep(1000);  // let them settle after start-up
    UnixUsage before[3], after[3];
    for (int i = 0; i < 3; ++i) {
        programs[i]->unixPid = findUnixPid(programs[i]->exe);
        before[i] = unixUsage(programs[i]->unixPid);
    }
    const double timesBefore = processTimesMs(all.hushdesk.launched.process);
    const double ownBefore = processTimesMs(GetCurrentProcess());
    Sleep(5000);
    for (int i = 0; i < 3; ++i) {
        after[i] = unixUsage(programs[i]->unixPid);
    }
    const double timesAfter = processTimesMs(all.hushdesk.launched.process);
    const double ownAfter = processTimesMs(GetCurrentProcess());
    if (!before[0].valid || !after[0].valid || !before[1].valid || !after[1].valid) {
        addRow("idle CPU over 5 s (ms)", "n/a", "n/a", "0", false);
        std::printf("note: the unix side of a program was not found under Z:\\proc\n");
        return;
    }
    const double cpu = after[0].cpuMs - before[0].cpuMs;
    addRow("idle CPU over 5 s (ms, from /proc)", formatNumber("%.3f", cpu),
           formatNumber("%.3f", after[1].cpuMs - before[1].cpuMs), "0", cpu == 0.0);
    const long long wakeups = after[0].switches - before[0].switches;
    addRow("idle wake-ups over 5 s (context switches)", std::to_string(wakeups),
           std::to_string(after[1].switches - before[1].switches), "0", wakeups == 0);
    std::printf("idle: unix threads: Hushdesk %d, minimal %d, minimal with a hot key %d\n",
                after[0].threads, after[1].threads, after[2].threads);
    std::printf(
        "idle: GetProcessTimes(Hushdesk) moved %.1f ms and our own %.1f ms: under Wine it gives "
        "the caller's times for another process, so the CPU figure comes from /proc\n",
        timesAfter - timesBefore, ownAfter - ownBefore);
}

void addMemoryRows(const char* when, const Memory& hushdesk, const Memory& minimal,
                   const Memory& minimalHotKey) {
    addRatioRow(std::string("working set, ") + when + " (KiB)", hushdesk.workingSetKiB,
                minimalHotKey.workingSetKiB, "%.0f", 1.2);
    addRatioRow(kAgainstBare, hushdesk.workingSetKiB, minimal.workingSetKiB, "%.0f", -1.0);
    addRatioRow(std::string("private bytes, ") + when + " (KiB)", hushdesk.privateKiB,
                minimalHotKey.privateKiB, "%.0f", 1.2);
    addRatioRow(kAgainstBare, hushdesk.privateKiB, minimal.privateKiB, "%.0f", -1.0);
}
