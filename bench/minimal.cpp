// The yardstick for start-up and memory: the least a resident Win32 program
// can do before it waits. It records its thread id under [Internal] ThreadId
// in the INI beside it, as Hushdesk does, and waits in GetMessage. Given
// "--hotkey" it also registers a global hot key (Ctrl+Alt+Shift+F12), which
// under Wine loads the display driver: the second yardstick shows that cost.
#include <windows.h>

static void writeThreadId() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) {
        return;
    }
    path[length - 3] = 'i';
    path[length - 2] = 'n';
    path[length - 1] = 'i';
    char id[16];
    wsprintfA(id, "%lu", GetCurrentThreadId());
    WritePrivateProfileStringA("Internal", "ThreadId", id, path);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    writeThreadId();
    if (lstrcmpA(commandLine, "--hotkey") == 0) {
        RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F12);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    }
    return 0;
}
