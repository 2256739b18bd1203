#pragma once

// The two commands. Each number is at once the hot key id, the wParam of
// WM_HOTKEY and the wParam of the WM_USER hand-off message.
constexpr unsigned CMD_SHOW_SETTINGS = 0;
constexpr unsigned CMD_SWITCH_VISIBILITY = 1;
