#pragma once

// Windows of this process (a WindowHost's, say) routed through a procedure
// that logs their WM_SHOWWINDOW and can hold their thread.

#include <windows.h>

#include <vector>

// One WM_SHOWWINDOW that an instrumented window received: shown or hidden.
struct ShowEvent {
    HWND window;
    bool shown;
};

void instrumentWindows(const std::vector<HWND>& windows);
// The log of every instrumented window so far, in arrival order; empties it.
std::vector<ShowEvent> takeShowLog();
// Makes the thread that owns the instrumented `window` stop pumping until
// `release` (a manual-reset event) is set; returns once the thread is held.
bool holdWindowThread(HWND window, HANDLE release, DWORD timeoutMs = 5000);
