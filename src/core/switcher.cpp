#include "core/switcher.h"

#include <windows.h>

#include <cstring>

#include "core/recovery.h"
#include "settings/settings.h"

struct HiddenWindowList {
    HWND slots[kHiddenWindowSlots];
    std::uint32_t count;
};

static HiddenWindowList hiddenWindows;
static int windowsShown = 1;

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

static BOOL CALLBACK hideIfSelected(HWND window, LPARAM) {
    if (hiddenWindows.count >= kHiddenWindowSlots) {
        return FALSE;  // full: the rest stays visible
    }
    char title[1024];
    if (GetWindowTextA(window, title, sizeof title) <= 0) {
        return TRUE;
    }
    if (!shouldHide(title) || !IsWindowVisible(window)) {
        return TRUE;
    }
    // Asynchronous: a hung owner must not stall the hot keys or the pass.
    ShowWindowAsync(window, SW_HIDE);
    hiddenWindows.slots[hiddenWindows.count++] = window;
    return TRUE;
}

void hideMatchingWindows() {
    const std::uint32_t before = hiddenWindows.count;
    EnumWindows(hideIfSelected, 0);
    if (hiddenWindows.count > before) {
        recordHiddenWindows(hiddenWindows.slots, hiddenWindows.count);
    }
}

void restoreHiddenWindows() {
    const std::uint32_t count = hiddenWindows.count;
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
