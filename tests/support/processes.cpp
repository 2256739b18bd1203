#include "processes.h"

#include <tlhelp32.h>

#include <cstring>

bool launchProgram(const std::string& exe, const std::string& arguments, Launched& launched) {
    launched = Launched();
    std::string commandLine = "\"" + exe + "\"" + arguments;
    const std::string dir = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    launched.process = info.hProcess;
    launched.processId = info.dwProcessId;
    launched.threadId = info.dwThreadId;
    return true;
}

bool isRunning(const Launched& launched) {
    return launched.process && WaitForSingleObject(launched.process, 0) == WAIT_TIMEOUT;
}

DWORD waitForExit(const Launched& launched, DWORD timeoutMs) {
    if (WaitForSingleObject(launched.process, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(launched.process, &code);
    return code;
}

void killProgram(Launched& launched) {
    if (!launched.process) {
        return;
    }
    if (WaitForSingleObject(launched.process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(launched.process, 1);
        WaitForSingleObject(launched.process, 5000);
    }
    CloseHandle(launched.process);
    launched = Launched();
}

void killStrayHushdesks() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        const char* name = entry.szExeFile;
        const size_t length = std::strlen(name);
        const bool isHushdesk = _stricmp(name, "Hushdesk.exe") == 0 ||
                                (length > 4 && _stricmp(name + length - 4, ".exe") == 0 &&
                                 std::strncmp(name, "Hushdesk", 8) == 0);
        if (isHushdesk && entry.th32ProcessID != GetCurrentProcessId()) {
            HANDLE process =
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (process) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }
    CloseHandle(snapshot);
}

bool postCommand(const Launched& launched, UINT message, WPARAM wParam) {
    return PostThreadMessageA(launched.threadId, message, wParam, 0) != 0;
}
