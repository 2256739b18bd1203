#pragma once

// What the hot key and single-instance tests share: a guard that ends
// everything a test started, however the test ends, and a few probes of
// the system's hot key table and of the program's windows.

#include <windows.h>

#include <string>
#include <vector>

#include "processes.h"
#include "window_host.h"

// Owns every Hushdesk, folder, window host, test-held hot key and handle a
// test makes; the destructor kills, releases and removes them all.
struct Session {
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::vector<Launched> launched;
    std::vector<std::string> folders;
    std::vector<int> heldHotKeyIds;
    std::vector<HANDLE> handles;
    WindowHost host;
};

std::string newFolder(Session& session, const char* tag);
// A window host whose windows the profile line "Windows=Hush|" selects:
// two "Hush ..." windows around one that stays.
void startHushWindows(Session& session);
const char* const kHushProfileLine = "Windows=Hush|\r\n";
const char* const kHushHidden = "010";
const char* const kAllShown = "111";

// launchHushdesk / startHushdesk, with the process kept for the clean-up.
Launched launchTracked(Session& session, const std::string& dir);
Launched startTracked(Session& session, const std::string& dir);
// Kills one of the tracked processes now.
void killTracked(Session& session, const Launched& app);

// Registers the combination for the test's own thread, as another program
// holding it would; released by the Session. false when it is taken.
bool holdHotKey(Session& session, int id, UINT modifiers, UINT virtualKey);
void releaseHotKey(Session& session, int id);
// Whether some thread holds the combination now (tried and given back at
// once). Only ask while the program is not registering its own.
bool combinationTaken(UINT modifiers, UINT virtualKey);

// Sends the switch command through WM_USER twice and waits for the hide
// and the restore: proof that the main thread is in its event loop, so no
// message box or dialog of it is up and everything before has been done.
bool switchRoundTrip(const Session& session, const Launched& app);

// Lets the keyboard settle before SendInput. When the foreground window
// changes (the program shows a window, a dialog or box goes away), Wine's
// X11 driver resets the modifier keys to the X server's state, where
// nothing is pressed, a moment later, on the thread that gets the focus: a
// Ctrl pressed just then is dropped and the combination is no hot key. A
// few synchronous round trips with the window host's thread let it handle
// that focus change first.
void settleKeyboard(const Session& session);

// Closes a message box (or dialog) as its OK button would.
void dismissBox(HWND box);
// Visible top-level dialogs with that caption, of one process (0: any).
int countDialogs(const char* caption, DWORD processId = 0);

// The exact texts the program shows.
const char* const kSettingsCaption = "Hushdesk settings";
const char* const kSettingsKeyRefused =
    "The Hot key for the Setting dialog couldn't be set. It may be invalid or has been registered "
    "by another application.";
const char* const kSwitchKeyRefused =
    "The Hot key to hide the windows couldn't be set. It may be invalid or has been registered by "
    "another application.";
const char* const kAlreadyRunning = "Hushdesk is already running";
const int kHideDialogButton = 1005;

// Whether one of the box's child windows has exactly that text.
bool boxSays(HWND box, const char* text);
