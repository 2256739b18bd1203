#pragma once

// The windows the switchers work on: targets whose titles hold the bench's
// sentence and bystanders whose titles do not, owned by a pumping thread of
// this process. The targets' visibility is counted as each change reaches
// that thread, which is how a switch is timed.

#include <windows.h>

#include <string>
#include <vector>

#include "window_host.h"

extern const char kSentence[];

struct TargetWindows {
    WindowHost host;  // the targets first, then the bystanders
    std::vector<HWND> targets;
};

TargetWindows startTargets(int targets, int bystanders);
void stopTargets(TargetWindows& windows);
// Puts the stack back before a hide pass (see target_windows.cpp).
void arrangeTargets(TargetWindows& windows);
bool allTargetsVisible(const TargetWindows& windows);

// One switch: posts WM_USER 1 to `threadId` and returns the milliseconds
// until the host has seen `goal` targets visible, or -1 on a time-out;
// `firstMs`, if given, gets the milliseconds until the first one changed.
double timedSwitch(DWORD threadId, LONG goal, double* firstMs = nullptr, DWORD timeoutMs = 30000);
// Hide/restore cycles of the switcher on `threadId`: each batch is one
// cycle's two switches posted at once, complete when the host has seen
// every window go and come back, so each hide pass finds the windows as the
// last restore left them. Returns the cycles done.
int runCycles(DWORD threadId, const TargetWindows& windows, int cycles, int batch);
