#pragma once

// Shared helpers for the tests: temporary folders, INI files, windows owned
// by a pumping thread, and the real Hushdesk.exe launched and driven from
// outside.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// ---- files --------------------------------------------------------------

// A new empty folder under %TEMP% (absolute path, no trailing backslash).
std::string makeTempDir(const char* tag);
void removeTree(const std::string& dir);
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Reads one key the way the program does (whole value, "" when absent).
std::string iniValue(const std::string& path, const char* section, const char* key);
// Internal/HiddenWindows, read from one snapshot of the file. `readable` is
// false while the snapshot lacks the thread id, i.e. caught mid-rewrite.
struct HiddenRecord {
    bool readable = false;
    bool present = false;
    std::string value;
};

HiddenRecord readHiddenRecord(const std::string& profile);
// The record written empty, as opposed to never written.
bool recordWrittenEmpty(const std::string& profile);

// ---- waiting ------------------------------------------------------------

// Polls `condition` every few ms until it holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
void pumpFor(DWORD ms);  // sleeps while pumping this thread's messages

// ---- windows owned by the test ------------------------------------------

// Top-level windows created by a thread of their own that pumps messages,
// as every real program's windows are: cross-process show/hide calls then
// work, and the thread can be made to stop responding.
struct WindowHost {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    std::vector<HWND> windows;
};

WindowHost startWindowHost(const std::vector<std::string>& titles, bool visible = true);
void stopWindowHost(WindowHost& host);  // destroys its windows and ends the thread
// Makes the host's thread stop pumping for `ms` (it sleeps), from now.
void stallWindowHost(const WindowHost& host, DWORD ms);
// Creates (or destroys) one more window on the host thread.
HWND addHostWindow(const WindowHost& host, const std::string& title, bool visible = true);
void destroyHostWindow(const WindowHost& host, HWND window);

// Visibility of each window, as a string of '1' and '0'.
std::string visibility(const std::vector<HWND>& windows);

// ---- the real program ---------------------------------------------------

// The Hushdesk.exe under test (HUSHDESK_EXE, else the build's own), named
// in the test's output the first time it is asked for.
std::string hushdeskExe();
// Whether it is the 64-bit build: a 32-bit Hushdesk gets only the low half
// of a wParam posted from here.
bool hushdeskIs64Bit();

struct Launched {
    HANDLE process = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;  // its main thread: where hot keys and WM_USER go
};

// Copies Hushdesk.exe into `dir` (as `exeName`) unless it is there, and
// starts it with `dir` as its current folder. Does not wait.
Launched launchHushdesk(const std::string& dir, const char* exeName = "Hushdesk.exe");
// Launches and waits until the main thread is waiting for messages (its
// ThreadId in the profile and the process idle). Fails the test otherwise.
Launched startHushdesk(const std::string& dir, const char* exeName = "Hushdesk.exe");
// Exit code, or STILL_ACTIVE if it did not end within `timeoutMs`.
DWORD waitForExit(const Launched& launched, DWORD timeoutMs = 10000);
// Ends it (TerminateProcess) if still running, and closes the handle.
void killHushdesk(Launched& launched);
// Ends every Hushdesk left over by an earlier failed test in this prefix.
void killStrayHushdesks();
bool postCommand(const Launched& launched, UINT message, WPARAM wParam);
// Waits until the process's main thread has taken every message posted so
// far and is waiting again (best effort: it sends itself no reply).
void waitUntilIdle(const Launched& launched, DWORD timeoutMs = 5000);

// The INI beside an exe in `dir`.
std::string profileIn(const std::string& dir, const char* exeName = "Hushdesk.exe");

// ---- dialogs, message boxes, keys ---------------------------------------

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
// Presses the keys in order and releases them in reverse, through SendInput.
void pressKeys(const std::vector<WORD>& virtualKeys);
// Clicks a button of a dialog in another process (BM_CLICK, posted).
void clickButton(HWND dialog, int id);

// ---- watching and holding host windows ----------------------------------

// One WM_SHOWWINDOW that an instrumented window received: shown or hidden.
struct ShowEvent {
    HWND window;
    bool shown;
};
// Routes the windows' messages (windows of this process, e.g. a WindowHost's)
// through a procedure that logs WM_SHOWWINDOW and can hold their thread.
void instrumentWindows(const std::vector<HWND>& windows);
// The log of every instrumented window so far, in arrival order; empties it.
std::vector<ShowEvent> takeShowLog();
// Makes the thread that owns the instrumented `window` stop pumping until
// `release` (a manual-reset event) is set; returns once the thread is held.
bool holdWindowThread(HWND window, HANDLE release, DWORD timeoutMs = 5000);
// Returns once the host's thread has handled every message sent to it so far
// (another process's ShowWindowAsync included); false on time-out.
bool syncWindowHost(const WindowHost& host, DWORD timeoutMs = 10000);
