#pragma once

#include <cstdint>

// Hides the windows the settings select, and shows exactly those again.
void switchVisibility();
void clearHiddenWindows();
void restoreHiddenWindows();

// The title test, over g_settings alone. `title` is NUL-terminated.
bool shouldHide(const char* title);

// The hide pass records at most this many windows; further matches stay
// visible, so no window is ever hidden without a way back.
constexpr std::uint32_t kHiddenWindowSlots = 256;
