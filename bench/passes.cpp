#include "passes.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cpu_usage.h"
#include "ini_reading.h"
#include "statistics.h"
#include "table.h"
#include "target_windows.h"

// The pause after each timed pass, before the next reading.
static const DWORD kAfterPassMs = 30;

// What the record of hidden windows costs a hide pass: Hushdesk chooses
// every window first, then writes the record (N owner lookups and one
// profile write), and only then asks for the first hide; the bare loop asks
// for each hide as it finds the window. The first window goes that much
// later: per N, the median over the rounds of the two switchers'
// difference, and its share of Hushdesk's hide pass.
struct RecordCost {
    std::string build;
    int targets;
    double firstHideLaterMs;
    double shareOfPass;
};
static std::vector<RecordCost> recordCosts;

// Hide and restore passes of Hushdesk and of the reference over N targets.
// Each round times both, the one that goes first alternating; the ratio is
// the median of the rounds' ratios, so that a slow spell of this shared
// machine weighs on both sides of each ratio alike.
static bool measurePassesOver(int targets, int rounds, const Program& hushdesk,
                              const Program& reference, const std::string& build) {
    TargetWindows windows = startTargets(targets, 16);
    Sleep(300);
    std::vector<double> hide[2], restore[2];  // [0] Hushdesk, [1] reference
    std::vector<double> hideCpu[2], restoreCpu[2];
    std::vector<double> hideRatios, restoreRatios;
    std::vector<double> firstHide[2], firstHideLater;
    const DWORD unixPids[2] = {hushdesk.unixPid ? hushdesk.unixPid : findUnixPid(hushdesk.exe),
                               findUnixPid(reference.exe)};
    bool recorded = true;
    for (int round = -1; round < rounds; ++round) {  // round -1 warms up
        double hideMs[2] = {}, restoreMs[2] = {}, firstHideMs[2] = {};
        for (int turn = 0; turn < 2; ++turn) {
            const int who = (turn + round + 2) % 2;
            const DWORD threadId =
                who == 0 ? hushdesk.launched.threadId : reference.launched.threadId;
            arrangeTargets(windows);
            Sleep(30);
            const UnixUsage beforeHide = unixUsage(unixPids[who]);
            // Hushdesk's hide pass writes its record of hidden windows before
            // the first window goes, so the write is inside the timed span.
            hideMs[who] = timedSwitch(threadId, 0, &firstHideMs[who]);
            // Untimed, alike for both: the pass is over; the CPU figures take
            // in the whole of it.
            Sleep(kAfterPassMs);
            const UnixUsage afterHide = unixUsage(unixPids[who]);
            if (who == 0 && round == 0) {
                const std::string record =
                    iniValue(iniBeside(hushdesk.exe), "Internal", "HiddenWindows");
                recorded =
                    !record.empty() && std::count(record.begin(), record.end(), ',') + 1 == targets;
            }
            // The restore pass empties the record once it has asked for the
            // shows: the write runs while the owner carries them out.
            restoreMs[who] = timedSwitch(threadId, targets);
            Sleep(kAfterPassMs);
            const UnixUsage afterRestore = unixUsage(unixPids[who]);
            if (hideMs[who] < 0.0 || restoreMs[who] < 0.0 || !allTargetsVisible(windows)) {
                std::printf("N=%d: a %s pass did not complete\n", targets,
                            who == 0 ? "Hushdesk" : "reference");
                stopTargets(windows);
                addRow("hide/restore, N=" + std::to_string(targets), "failed", "", "", false);
                return false;
            }
            if (round >= 0) {
                hide[who].push_back(hideMs[who]);
                firstHide[who].push_back(firstHideMs[who]);
                restore[who].push_back(restoreMs[who]);
                hideCpu[who].push_back(afterHide.cpuMs - beforeHide.cpuMs);
                restoreCpu[who].push_back(afterRestore.cpuMs - afterHide.cpuMs);
            }
        }
        if (round >= 0) {
            hideRatios.push_back(ratioOf(hideMs[0], hideMs[1]));
            firstHideLater.push_back(firstHideMs[0] - firstHideMs[1]);
            restoreRatios.push_back(ratioOf(restoreMs[0], restoreMs[1]));
        }
    }
    stopTargets(windows);
    if (!recorded) {
        std::printf("N=%d: Internal/HiddenWindows did not list the %d hidden windows\n", targets,
                    targets);
    }
    const std::string n = "N=" + std::to_string(targets);
    addRatioRow("hide pass, record included, " + n + " (ms)", median(hide[0]), median(hide[1]),
                "%.2f", 1.10, median(hideRatios));
    addRatioRow("  the first window gone after (ms)", median(firstHide[0]), median(firstHide[1]),
                "%.2f", -1.0);
    const RecordCost cost = {build, targets, median(firstHideLater),
                             ratioOf(median(firstHideLater), median(hide[0]))};
    recordCosts.push_back(cost);
    addInfoRow("  the record: first window gone later by (ms)",
               formatNumber("%.2f", cost.firstHideLaterMs),
               formatNumber("%.0f%% of pass", 100.0 * cost.shareOfPass));
    addRatioRow("restore pass, record included, " + n + " (ms)", median(restore[0]),
                median(restore[1]), "%.2f", 1.10, median(restoreRatios));
    if (unixPids[0] != 0 && unixPids[1] != 0) {
        addRatioRow("  the switcher's CPU, hide pass (ms)", median(hideCpu[0]), median(hideCpu[1]),
                    "%.2f", -1.0);
        addRatioRow("  the switcher's CPU, restore pass (ms)", median(restoreCpu[0]),
                    median(restoreCpu[1]), "%.2f", -1.0);
    }
    return true;
}

void measurePasses(const Program& hushdesk, const Program& reference, int runs,
                   const std::string& build) {
    // More rounds than the other figures: one pass can take two or three
    // times as long as the next (wineserver, the X server and the windows'
    // owner share 2 cores, and every hide moves the activation on). N=100
    // varies the most: one round's ratio spans 0.4 to 2.3, and it takes some
    // eighty rounds to bring the median within about 5%.
    for (int targets : {10, 100, 256}) {
        const int rounds = runs * (targets == 10 ? 4 : targets == 100 ? 12 : 3);
        if (!measurePassesOver(targets, rounds, hushdesk, reference, build)) {
            break;
        }
    }
}

void printRecordCosts() {
    for (const RecordCost& cost : recordCosts) {
        std::printf(
            "the record of hidden windows, %s, N=%d: choosing every window first, %d owner "
            "lookups and one profile write put the first hide back by %.2f ms, %.0f%% of the hide "
            "pass; the price of a record that lists every window before the first one goes\n",
            cost.build.c_str(), cost.targets, cost.targets, cost.firstHideLaterMs,
            100.0 * cost.shareOfPass);
    }
}
