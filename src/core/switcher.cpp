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

// The windows a hide pass has chosen, in the order it met them.
struct Choice {
    HWND windows[kHiddenWindowSlots];
    std::uint32_t count;
    std::uint32_t room;
};

static BOOL CALLBACK chooseIfSelected(HWND window, LPARAM parameter) {
    Choice* choice = reinterpret_cast<Choice*>(parameter);
    if (choice->count >= choice->room) {
        return FALSE;  // full: the rest stays visible
    }
    char title[1024];
    if (GetWindowTextA(window, title, sizeof title) <= 0) {
        return TRUE;
    }
    if (!shouldHide(title) || !visibleOrBeingShown(window)) {
        return TRUE;
    }
    choice->windows[choice->count++] = window;
    return TRUE;
}

// Choose, record, hide: the record lists every window of the pass before the
// first one disappears, so a kill at any moment of it loses none.
static void hideMatchingWindows() {
    Choice choice;
    choice.count = 0;
    choice.room = kHiddenWindowSlots - hiddenWindows.count;
    catchUpStart = GetTickCount();
    EnumWindows(chooseIfSelected, reinterpret_cast<LPARAM>(&choice));
    showsInFlight.clear();
    if (choice.count == 0) {
        return;
    }
    std::vector<HWND> onRecord(hiddenWindows.slots, hiddenWindows.slots + hiddenWindows.count);
    onRecord.insert(onRecord.end(), choice.windows, choice.windows + choice.count);
    recordHiddenWindows(onRecord.data(), static_cast<std::uint32_t>(onRecord.size()));
    for (std::uint32_t i = 0; i < choice.count; ++i) {
        // Asynchronous: a hung owner must not stall the hot keys or the pass.
        ShowWindowAsync(choice.windows[i], SW_HIDE);
        hiddenWindows.slots[hiddenWindows.count++] = choice.windows[i];
    }
}

// Show, then forget: a kill between the two leaves on record windows already
// asked to show; the next start leaves alone those that are back.
void restoreHiddenWindows() {
    const std::uint32_t count = hiddenWindows.count;
    showsInFlight.assign(hiddenWindows.slots, hiddenWindows.slots + count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ShowWindowAsync(hiddenWindows.slots[i], SW_SHOW);
        hiddenWindows.slots[i] = nullptr;
    }
    hiddenWindows.count = 0;
    if (count > 0) {
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
