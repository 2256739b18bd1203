#pragma once

// Top-level windows created by a thread of their own that pumps messages,
// as every real program's windows are: cross-process show/hide calls then
// work, and the thread can be made to stop responding.

#include <windows.h>

#include <string>
#include <vector>

struct WindowHost {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    std::vector<HWND> windows;
};

struct HostOptions {
    bool visible = true;
    // Small popups side by side left of the desktop instead of cascaded
    // frames on it: their titles are all a switcher looks at, and off
    // screen Wine neither paints nor composes them, which takes most of its
    // cost and noise out of every show and hide.
    bool offScreen = false;
};

// One window a title, in order, with the class's procedure DefWindowProcA.
WindowHost startWindowHost(const std::vector<std::string>& titles,
                           const HostOptions& options = HostOptions());
void stopWindowHost(WindowHost& host);  // destroys its windows and ends the thread
// Makes the host's thread stop pumping for `ms` (it sleeps), from now.
void stallWindowHost(const WindowHost& host, DWORD ms);
// Creates (or destroys) one more window on the host thread, placed as the
// host's others.
HWND addHostWindow(const WindowHost& host, const std::string& title, bool visible = true);
void destroyHostWindow(const WindowHost& host, HWND window);
// Runs `function(context)` on the host thread (where SetActiveWindow and
// window procedures of its windows act) and returns once it has; false
// on time-out.
bool runOnHostThread(const WindowHost& host, void (*function)(void*), void* context,
                     DWORD timeoutMs = 30000);
// Returns once the host's thread has handled every message sent to it so far
// (another process's ShowWindowAsync included); false on time-out.
bool syncWindowHost(const WindowHost& host, DWORD timeoutMs = 10000);

// Visibility of each window, as a string of '1' and '0'.
std::string visibility(const std::vector<HWND>& windows);
