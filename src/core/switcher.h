#pragma once

#include <windows.h>

#include <cstdint>

// Hides the windows the settings select, and shows exactly those again.
void switchVisibility();
void clearHiddenWindows();
void hideMatchingWindows();
void restoreHiddenWindows();

// The title test, over g_settings alone. `title` is NUL-terminated.
bool shouldHide(const char* title);

// The hide pass records at most this many windows; further matches stay
// visible, so no window is ever hidden without a way back.
constexpr std::uint32_t kHiddenWindowSlots = 256;
std::uint32_t hiddenWindowCount();

// The profile's record of hidden windows is brought up to date at most this
// long after a pass changed the list (and at once before the dialog opens
// and when the program ends).
constexpr DWORD kRecordLagMs = 50;
// Milliseconds until the record is due: 0 when it is due now, INFINITE when
// it is up to date.
DWORD recordUpdateDueInMs();
void bringRecordUpToDate();
