#pragma once

// Dialogs and message boxes of another process: found by caption (and
// text), read, and clicked.

#include <windows.h>

#include <string>

// Whether `window` is a visible top-level dialog (class #32770) with that
// caption, owned by `processId` (0: any process).
bool isDialog(HWND window, const char* caption, DWORD processId = 0);
// A top-level dialog (class #32770) with that caption, owned by `processId`
// (0: any process); null if none shows up within `timeoutMs`.
HWND findDialog(const char* caption, DWORD processId = 0, DWORD timeoutMs = 10000);
// A message box with that caption whose text contains `text`.
HWND findMessageBox(const char* caption, const char* text, DWORD processId = 0,
                    DWORD timeoutMs = 10000);
// Text of a window of any process (WM_GETTEXT with a time-out).
std::string windowText(HWND window);
// Clicks a button of a dialog in another process (BM_CLICK, posted).
void clickButton(HWND dialog, int id);
