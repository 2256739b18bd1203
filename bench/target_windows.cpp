#include "target_windows.h"

#include <algorithm>
#include <cstdio>

#include "statistics.h"

const char kSentence[] = "Bench target";

// The host thread counts its targets' visibility as each change reaches
// it, and stamps the moment the count hits the goal.
static volatile LONG visibleTargets = 0;
static volatile LONG visibilityChanges = 0;
static volatile LONG visibilityGoal = -1;
static HANDLE goalReached = nullptr;
static volatile double goalReachedAt = 0.0;
// And the moment the first window of a timed pass changes.
static volatile LONG firstChangeWanted = 0;
static volatile double firstChangeAt = 0.0;

// The host's own procedure, behind the counting one.
static WNDPROC hostProcedure = nullptr;

// Each target's last seen visibility is in its GWLP_USERDATA.
static LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGED) {
        const LONG_PTR visible = IsWindowVisible(window) ? 1 : 0;
        if (GetWindowLongPtrA(window, GWLP_USERDATA) != visible) {
            SetWindowLongPtrA(window, GWLP_USERDATA, visible);
            const LONG count = visible ? InterlockedIncrement(&visibleTargets)
                                       : InterlockedDecrement(&visibleTargets);
            InterlockedIncrement(&visibilityChanges);
            if (InterlockedExchange(&firstChangeWanted, 0) == 1) {
                firstChangeAt = nowMs();
            }
            if (count == visibilityGoal) {
                goalReachedAt = nowMs();
                SetEvent(goalReached);
            }
        }
    }
    return CallWindowProcA(hostProcedure, window, message, wParam, lParam);
}

// On the host thread, so that no message reaches a target half counted.
static void countTargets(void* parameter) {
    const std::vector<HWND>& targets = *static_cast<const std::vector<HWND>*>(parameter);
    InterlockedExchange(&visibilityGoal, -1);
    InterlockedExchange(&visibleTargets, 0);
    for (HWND window : targets) {
        const LONG_PTR visible = IsWindowVisible(window) ? 1 : 0;
        SetWindowLongPtrA(window, GWLP_USERDATA, visible);
        if (visible) {
            InterlockedIncrement(&visibleTargets);
        }
        hostProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
    }
}

TargetWindows startTargets(int targets, int bystanders) {
    if (!goalReached) {
        goalReached = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    std::vector<std::string> titles;
    char title[64];
    for (int i = 0; i < targets; ++i) {
        std::snprintf(title, sizeof title, "%s %03d - an application", kSentence, i + 1);
        titles.push_back(title);
    }
    for (int i = 0; i < bystanders; ++i) {
        std::snprintf(title, sizeof title, "Bench bystander %03d", i + 1);
        titles.push_back(title);
    }
    HostOptions options;
    options.offScreen = true;
    TargetWindows windows;
    windows.host = startWindowHost(titles, options);
    windows.targets.assign(windows.host.windows.begin(), windows.host.windows.begin() + targets);
    runOnHostThread(windows.host, countTargets, &windows.targets);
    return windows;
}

void stopTargets(TargetWindows& windows) {
    stopWindowHost(windows.host);
    windows.targets.clear();
}

// Every restore shows the windows in their hiding order and each show
// activates its window, so each pass would leave the stack upside down for
// the next switcher, and Wine hides a window faster or slower by where it
// stands. Before each hide pass the stack is put back: the targets on top in
// creation order, the first one active, as the window its user was in.
static void restack(void* parameter) {
    const std::vector<HWND>& targets = *static_cast<const std::vector<HWND>*>(parameter);
    for (size_t i = targets.size(); i-- > 0;) {
        SetWindowPos(targets[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!targets.empty()) {
        SetForegroundWindow(targets[0]);
        SetActiveWindow(targets[0]);
    }
}

void arrangeTargets(TargetWindows& windows) {
    runOnHostThread(windows.host, restack, &windows.targets);
}

bool allTargetsVisible(const TargetWindows& windows) {
    return visibility(windows.targets).find('0') == std::string::npos;
}

double timedSwitch(DWORD threadId, LONG goal, double* firstMs, DWORD timeoutMs) {
    ResetEvent(goalReached);
    InterlockedExchange(&visibilityGoal, goal);
    InterlockedExchange(&firstChangeWanted, 1);
    const double postedAt = nowMs();
    if (!PostThreadMessageA(threadId, WM_USER, 1, 0)) {
        return -1.0;
    }
    if (WaitForSingleObject(goalReached, timeoutMs) != WAIT_OBJECT_0) {
        return -1.0;
    }
    if (firstMs) {
        *firstMs = firstChangeAt - postedAt;
    }
    return goalReachedAt - postedAt;
}

int runCycles(DWORD threadId, const TargetWindows& windows, int cycles, int batch) {
    const LONG changesPerCycle = 2 * static_cast<LONG>(windows.targets.size());
    InterlockedExchange(&visibilityGoal, -1);
    for (int cycle = 0; cycle < cycles;) {
        const int posted = std::min(batch, cycles - cycle);
        const LONG expected = visibilityChanges + changesPerCycle * posted;
        for (int i = 0; i < 2 * posted; ++i) {
            PostThreadMessageA(threadId, WM_USER, 1, 0);
        }
        const double postedAt = nowMs();
        while (visibilityChanges < expected) {
            if (nowMs() - postedAt > 30000.0) {
                return cycle;
            }
            Sleep(1);
        }
        if (!allTargetsVisible(windows)) {
            return cycle;
        }
        cycle += posted;
    }
    return cycles;
}
