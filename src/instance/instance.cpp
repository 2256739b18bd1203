#include "instance/instance.h"

#include <windows.h>

#include "core/commands.h"
#include "settings/profile.h"

bool anotherInstanceRunning() {
    SetLastError(0);
    // Never closed: the name marks a running Hushdesk until the process ends.
    CreateMutexA(nullptr, FALSE, "Hushdesk");
    return GetLastError() != 0;
}

void writeThreadId() {
    writeProfileThreadId(profilePath(), static_cast<int>(GetCurrentThreadId()));
}

bool notifyRunningInstance() {
    const int threadId = readProfileThreadId(profilePath());
    if (threadId == 0) {
        return false;
    }
    PostThreadMessageA(static_cast<DWORD>(threadId), WM_USER, CMD_SHOW_SETTINGS, 0);
    return true;
}
