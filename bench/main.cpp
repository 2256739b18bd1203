// The benchmark: the running Hushdesk against bare yardsticks, side by side
// in one run, every figure the median of several runs. Not a test: it asserts
// nothing and only prints the table (scripts/bench.sh runs it under Wine).
//
//   hushdesk_bench --hushdesk X.exe --minimal M.exe
//                  [--hushdesk32 Y.exe --minimal32 N.exe --bench32 B.exe]
//                  [--runs R] [--cycles C] [--cycle-windows W] [--batch B]
//                  [--only startup,idle,passes,cycles,sizes]
//   hushdesk_bench --reference SENTENCE EVENT   (the reference switcher, a child)
//
// Each exe is measured against yardsticks of its own bitness: the 64-bit
// Hushdesk against the 64-bit bench_minimal and this program as reference
// switcher, the 32-bit one (the exe users download) against the 32-bit
// builds of both (--minimal32, --bench32).
//
// Hide and restore are timed from the posted WM_USER to the moment the last
// of the N windows has changed visibility, as seen by the thread that owns
// them: a pumping thread of this process. Hushdesk's passes carry their
// record of hidden windows (written before the first hide, emptied after
// the shows are asked for). The reference switcher is this same exe in a
// second process doing the bare loop (enumerate, read the title, substring
// test, hide), so both cross the same process boundary. Start-up, idle cost
// and memory compare Hushdesk with bench_minimal: with one hot key (which
// under Wine loads the display driver, as Hushdesk's do) as the fair
// yardstick, and alone for information.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "contenders.h"
#include "cycles.h"
#include "exe_sizes.h"
#include "files.h"
#include "memory.h"
#include "passes.h"
#include "reference_switcher.h"
#include "resident_cost.h"
#include "statistics.h"
#include "table.h"

struct Options {
    std::string hushdesk;
    std::string minimal;
    std::string hushdesk32;
    std::string minimal32;
    std::string bench32;
    int runs = 7;
    int cycles = 10000;
    int cycleWindows = 3;
    int batch = 20;
    std::string only;  // comma-separated phases; empty: all
};

static bool runsPhase(const Options& options, const char* phase) {
    const std::string list = "," + options.only + ",";
    return options.only.empty() || list.find(std::string(",") + phase + ",") != std::string::npos;
}

static bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--hushdesk") {
            options.hushdesk = value;
        } else if (name == "--minimal") {
            options.minimal = value;
        } else if (name == "--hushdesk32") {
            options.hushdesk32 = value;
        } else if (name == "--minimal32") {
            options.minimal32 = value;
        } else if (name == "--bench32") {
            options.bench32 = value;
        } else if (name == "--runs") {
            options.runs = std::max(5, std::atoi(value));
        } else if (name == "--cycles") {
            options.cycles = std::max(1, std::atoi(value));
        } else if (name == "--cycle-windows") {
            options.cycleWindows = std::max(1, std::atoi(value));
        } else if (name == "--batch") {
            options.batch = std::max(1, std::atoi(value));
        } else if (name == "--only") {
            options.only = value;
        } else {
            return false;
        }
    }
    const bool with32 = !options.hushdesk32.empty();
    return !options.hushdesk.empty() && !options.minimal.empty() &&
           with32 == !options.minimal32.empty() && with32 == !options.bench32.empty();
}

// One exe under test with its yardsticks, all of one bitness.
struct Build {
    const char* label;  // "64-bit" or "32-bit"
    const char* folder;
    std::string hushdesk;
    std::string minimal;
    std::string bench;  // this program, run as the reference switcher
};

// Start-up, idle cost, memory, passes and cycles of one build. False when
// it could not be measured at all.
static bool benchBuild(const Build& build, const Options& options, const std::string& root) {
    addBuildHeading(std::string(build.label) + " Hushdesk.exe (" + build.hushdesk + ")",
                    build.label);
    std::printf("== %s Hushdesk.exe against %s yardsticks\n", build.label, build.label);
    Contenders all;
    if (!prepareContenders(build.hushdesk, build.minimal, build.bench, root + "\\" + build.folder,
                           all)) {
        return false;
    }

    if (runsPhase(options, "startup")) {
        std::printf("start-up...\n");
        measureStartup(all, options.runs);
    }

    std::printf("idle and memory...\n");
    if (!launchReady(all.hushdesk) || !launchReady(all.minimal) ||
        !launchReady(all.minimalHotKey)) {
        stop(all.hushdesk);
        stop(all.minimal);
        stop(all.minimalHotKey);
        return false;
    }
    if (runsPhase(options, "idle")) {
        measureIdle(all);
    }
    const Memory minimalMemory = settledMemory(all.minimal.launched.process);
    const Memory minimalHotKeyMemory = settledMemory(all.minimalHotKey.launched.process);
    addMemoryRows("waiting", settledMemory(all.hushdesk.launched.process), minimalMemory,
                  minimalHotKeyMemory);
    stop(all.minimal);
    stop(all.minimalHotKey);

    if (runsPhase(options, "passes")) {
        std::printf("hide and restore passes...\n");
        if (startReference(all.reference)) {
            measurePasses(all.hushdesk, all.reference, options.runs, build.label);
        }
        stop(all.reference);
    }

    if (runsPhase(options, "cycles")) {
        std::printf("memory over the cycles...\n");
        measureCycles(all, minimalMemory, minimalHotKeyMemory, options.cycles, options.cycleWindows,
                      options.batch);
    }
    stop(all.hushdesk);
    return true;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) {
        return runReference(argv[2], argv[3]);
    }
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::printf(
            "usage: hushdesk_bench --hushdesk X.exe --minimal M.exe\n"
            "         [--hushdesk32 Y.exe --minimal32 N.exe --bench32 B.exe]\n"
            "         [--runs R] [--cycles C] [--cycle-windows W] [--batch B]\n"
            "         [--only startup,idle,passes,cycles,sizes]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const double benchStart = nowMs();
    std::string root;
    createTempDir("bench", root);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::printf(
        "Hushdesk benchmark: every figure the median of at least %d runs; %d memory cycles\n",
        options.runs, options.cycles);

    // The shipped 32-bit exe first: it is the one that matters most.
    std::vector<Build> builds;
    if (!options.hushdesk32.empty()) {
        builds.push_back(
            {"32-bit", "win32", options.hushdesk32, options.minimal32, options.bench32});
    }
    builds.push_back({"64-bit", "win64", options.hushdesk, options.minimal, self});
    bool measured = true;
    for (const Build& build : builds) {
        if (!benchBuild(build, options, root)) {
            std::printf("the %s build could not be measured\n", build.label);
            measured = false;
        }
    }

    if (runsPhase(options, "sizes")) {
        addBuildHeading("Both exes", "both");
        measureSizes(options.hushdesk32, options.hushdesk);
    }
    printTable();
    printRecordCosts();
    printWorstRatios((nowMs() - benchStart) / 1000.0);
    removeTree(root);
    return measured ? 0 : 1;
}
