#include "core/switcher.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/recovery.h"
#include "settings/settings.h"

struct HiddenWindowList {
    HWND slots[kHiddenWindowSlots];
    std::uint32_t count;
};

static HiddenWindowList hiddenWindows;
static int windowsShown = 1;

// The windows the last restore pass asked to show. The show is carried out by
// each window's own thread, so one of them may still read as invisible when
// the next hide pass comes: it is on its way back, and counts as visible.
static std::vector<HWND> showsInFlight;
static DWORD catchUpStart;
static const DWORD kCatchUpBudgetMs = 100;  // per hide pass, for all windows

// The profile's record follows the list a moment after a pass, not within
// it: its owner lookups and file write would take the CPU from the windows'
// owners while they carry the pass out. The lag is counted from the first
// change not yet written, so a stream of passes cannot put it off.
static bool recordBehind = false;
static DWORD recordBehindSince;

static void hiddenListChanged() {
    if (!recordBehind) {
        recordBehind = true;
        recordBehindSince = GetTickCount();
    }
}

bool shouldHide(const char* title) {
    bool matches = false;
    for (const std::string& sentence : g_settings.titles) {
        if (std::strstr(title, sentence.c_str()) != nullptr) {
            matches = true;
            break;
        }
    }
    return g_settings.excludeMode == 0 ? matches : !matches;
}

void clearHiddenWindows() {
    for (HWND& slot : hiddenWindows.slots) {
        slot = nullptr;
    }
    hiddenWindows.count = 0;
}

std::uint32_t hiddenWindowCount() {
    return hiddenWindows.count;
}

static bool visibleOrBeingShown(HWND window) {
    if (IsWindowVisible(window)) {
        return true;
    }
    if (std::find(showsInFlight.begin(), showsInFlight.end(), window) == showsInFlight.end()) {
        return false;
    }
    // A reply means its thread has handled our show: the window's state is
    // then its own. No reply in time: the show is still pending.
    const DWORD spent = GetTickCount() - catchUpStart;
    DWORD_PTR result = 0;
    if (spent < kCatchUpBudgetMs && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                        kCatchUpBudgetMs - spent, &result) != 0) {
        return IsWindowVisible(window) != FALSE;
    }
    return IsWindow(window) != FALSE;
}

static BOOL CALLBACK hideIfSelected(HWND window, LPARAM) {
    if (hiddenWindows.count >= kHiddenWindowSlots) {
        return FALSE;  // full: the rest stays visible
    }
    char title[1024];
    if (GetWindowTextA(window, title, sizeof title) <= 0) {
        return TRUE;
    }
    if (!shouldHide(title) || !visibleOrBeingShown(window)) {
        return TRUE;
    }
    // Asynchronous: a hung owner must not stall the hot keys or the pass.
    ShowWindowAsync(window, SW_HIDE);
    hiddenWindows.slots[hiddenWindows.count++] = window;
    return TRUE;
}

void hideMatchingWindows() {
    const std::uint32_t before = hiddenWindows.count;
    catchUpStart = GetTickCount();
    EnumWindows(hideIfSelected, 0);
    showsInFlight.clear();
    if (hiddenWindows.count > before) {
        hiddenListChanged();
    }
}

void restoreHiddenWindows() {
    const std::uint32_t count = hiddenWindows.count;
    showsInFlight.assign(hiddenWindows.slots, hiddenWindows.slots + count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ShowWindowAsync(hiddenWindows.slots[i], SW_SHOW);
        hiddenWindows.slots[i] = nullptr;
    }
    hiddenWindows.count = 0;
    if (count > 0) {
        hiddenListChanged();
    }
}

DWORD recordUpdateDueInMs() {
    if (!recordBehind) {
        return INFINITE;
    }
    const DWORD waited = GetTickCount() - recordBehindSince;
    return waited >= kRecordLagMs ? 0 : kRecordLagMs - waited;
}

void bringRecordUpToDate() {
    if (!recordBehind) {
        return;
    }
    recordBehind = false;
    if (hiddenWindows.count > 0) {
        recordHiddenWindows(hiddenWindows.slots, hiddenWindows.count);
    } else {
        forgetHiddenWindows();
    }
}

void switchVisibility() {
    if (windowsShown) {
        hideMatchingWindows();
    } else {
        restoreHiddenWindows();
    }
    windowsShown = windowsShown ? 0 : 1;
}
