#pragma once

// Programs started from here and ended from here: Hushdesk, and whatever
// else is measured or driven beside it.

#include <windows.h>

#include <string>

struct Launched {
    HANDLE process = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;  // its main thread: where hot keys and WM_USER go
};

// Starts `exe` with its own folder as the current folder; `arguments`
// follow the quoted path as they are (from their first blank). Does not
// wait. False, with GetLastError() telling why, when it cannot start.
bool launchProgram(const std::string& exe, const std::string& arguments, Launched& launched);
bool isRunning(const Launched& launched);
// Exit code, or STILL_ACTIVE if it did not end within `timeoutMs`.
DWORD waitForExit(const Launched& launched, DWORD timeoutMs = 10000);
// Ends it (TerminateProcess) if still running, and closes the handle.
void killProgram(Launched& launched);
// Ends every Hushdesk left over by an earlier failed test in this prefix.
void killStrayHushdesks();
bool postCommand(const Launched& launched, UINT message, WPARAM wParam);
