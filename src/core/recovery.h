#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// While windows are hidden, the profile lists them, so that a Hushdesk that
// was killed or crashed shows them again at its next start.

struct HiddenWindowEntry {
    std::uint64_t handle;
    std::uint32_t processId;
};

// "HANDLE:PID" entries, comma-separated; HANDLE in hex, PID in decimal.
std::string formatHiddenWindowEntries(const std::vector<HiddenWindowEntry>& entries);
// Reads that form back, skipping every entry that is not well formed (a
// semicolon separates entries as a comma does).
std::vector<HiddenWindowEntry> parseHiddenWindowEntries(const std::string& text);

// Records, in one write, the windows a hide pass is about to hide, with their
// owners' ids.
void recordHiddenWindows(const HWND* windows, std::uint32_t count);
// Empties the record once a restore pass has asked for its shows.
void forgetHiddenWindows();
// At start-up: shows every recorded window that is still the one recorded
// and still hidden, then empties the record.
void restoreWindowsLeftHidden();
