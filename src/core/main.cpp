#include <windows.h>

#include "core/app_instance.h"
#include "core/commands.h"
#include "core/recovery.h"
#include "core/switcher.h"
#include "hotkeys/hotkeys.h"
#include "instance/instance.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "ui/settings_dialog.h"

static void runCommand(WPARAM command) {
    switch (command) {
        case CMD_SHOW_SETTINGS:
            openSettingsDialog();
            break;
        case CMD_SWITCH_VISIBILITY:
            switchVisibility();
            break;
        default:
            break;
    }
}

// The program has no window while it waits: hot keys and the hand-off
// arrive as thread messages, so the loop reads the queue directly.
static void runEventLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_HOTKEY || message.message == WM_USER) {
            runCommand(message.wParam);
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (anotherInstanceRunning()) {
        if (!notifyRunningInstance()) {
            MessageBoxA(nullptr, "Hushdesk is already running", "Hushdesk Error", MB_ICONERROR);
        }
        return 0;
    }
    writeThreadId();
    restoreWindowsLeftHidden();
    setAppInstance(instance);
    clearHiddenWindows();
    loadSettings();
    if (g_settings.showSettingsOnStartup != 0) {
        openSettingsDialog();
    } else {
        activateHotKeys(true);
    }
    runEventLoop();
    // However the loop ended, no window stays hidden behind us.
    restoreHiddenWindows();
    return 0;
}
