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
            bringRecordUpToDate();  // the dialog's own loop would hold it back
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
// arrive as thread messages, so the loop reads the queue directly. With the
// record of hidden windows behind, it waits no longer than the record may lag.
static void runEventLoop() {
    MSG message;
    for (;;) {
        const DWORD recordDueIn = recordUpdateDueInMs();
        if (recordDueIn == 0) {
            bringRecordUpToDate();
            continue;
        }
        if (recordDueIn == INFINITE) {
            if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
                break;
            }
        } else if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                break;
            }
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, recordDueIn, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
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
    bringRecordUpToDate();
    return 0;
}
