#include "hotkeys/hotkeys.h"

#include <windows.h>
#include <commctrl.h>

#include "core/commands.h"
#include "settings/settings.h"

unsigned toRegisterModifiers(int word) {
    const unsigned flags = (static_cast<unsigned>(word) >> 8) & 0xFF;
    unsigned modifiers = 0;
    if (flags & HOTKEYF_ALT) {
        modifiers |= MOD_ALT;
    }
    if (flags & HOTKEYF_CONTROL) {
        modifiers |= MOD_CONTROL;
    }
    if (flags & HOTKEYF_SHIFT) {
        modifiers |= MOD_SHIFT;
    }
    return modifiers;
}

unsigned toRegisterVirtualKey(int word) {
    return static_cast<unsigned>(word) & 0xFF;
}

// No window: WM_HOTKEY goes to this thread's queue, read by the event loop.
static void registerOrReport(unsigned id, int word, const char* refusal) {
    if (!RegisterHotKey(nullptr, static_cast<int>(id), toRegisterModifiers(word),
                        toRegisterVirtualKey(word))) {
        MessageBoxA(nullptr, refusal, "Error", MB_ICONERROR);
    }
}

void activateHotKeys(bool on) {
    if (!on) {
        UnregisterHotKey(nullptr, static_cast<int>(CMD_SHOW_SETTINGS));
        UnregisterHotKey(nullptr, static_cast<int>(CMD_SWITCH_VISIBILITY));
        return;
    }
    // The settings key goes first, so it wins when both are the same.
    registerOrReport(CMD_SHOW_SETTINGS, g_settings.showSettingsHotKey,
                     "The Hot key for the Setting dialog couldn't be set. It may be invalid or has "
                     "been registered by another application.");
    registerOrReport(CMD_SWITCH_VISIBILITY, g_settings.switchHotKey,
                     "The Hot key to hide the windows couldn't be set. It may be invalid or has "
                     "been registered by another application.");
}
