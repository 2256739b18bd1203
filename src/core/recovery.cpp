#include "core/recovery.h"

#include <cstdio>

#include "settings/profile.h"

std::string formatHiddenWindowEntries(const std::vector<HiddenWindowEntry>& entries) {
    std::string text;
    for (const HiddenWindowEntry& entry : entries) {
        char item[48];
        std::snprintf(item, sizeof item, "%s%08llX:%lu", text.empty() ? "" : ",",
                      static_cast<unsigned long long>(entry.handle),
                      static_cast<unsigned long>(entry.processId));
        text += item;
    }
    return text;
}

static bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

static unsigned hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

// One "HANDLE:PID" entry, surrounding blanks allowed; false if malformed.
static bool parseEntry(const std::string& item, HiddenWindowEntry& entry) {
    std::string::size_type pos = item.find_first_not_of(" \t");
    const std::string::size_type last = item.find_last_not_of(" \t");
    if (pos == std::string::npos) {
        return false;
    }
    std::uint64_t handle = 0;
    std::string::size_type digits = 0;
    for (; pos <= last && isHexDigit(item[pos]); ++pos, ++digits) {
        handle = (handle << 4) | hexValue(item[pos]);
    }
    if (digits == 0 || digits > 16 || pos > last || item[pos] != ':') {
        return false;
    }
    ++pos;
    std::uint64_t processId = 0;
    digits = 0;
    for (; pos <= last && item[pos] >= '0' && item[pos] <= '9'; ++pos, ++digits) {
        processId = processId * 10 + static_cast<unsigned>(item[pos] - '0');
        if (processId > 0xFFFFFFFFu) {
            return false;
        }
    }
    if (digits == 0 || pos <= last || handle == 0) {
        return false;
    }
    entry.handle = handle;
    entry.processId = static_cast<std::uint32_t>(processId);
    return true;
}

std::vector<HiddenWindowEntry> parseHiddenWindowEntries(const std::string& text) {
    std::vector<HiddenWindowEntry> entries;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        // A semicolon ends an entry too: a hand-edited or damaged line may
        // carry an INI-style comment glued to a good entry.
        std::string::size_type end = text.find_first_of(",;", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        HiddenWindowEntry entry{};
        if (parseEntry(text.substr(start, end - start), entry)) {
            entries.push_back(entry);
        }
        start = end + 1;
    }
    return entries;
}

void recordHiddenWindows(const HWND* windows, std::uint32_t count) {
    std::vector<HiddenWindowEntry> entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        DWORD processId = 0;
        GetWindowThreadProcessId(windows[i], &processId);
        entries.push_back({static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(windows[i])),
                           static_cast<std::uint32_t>(processId)});
    }
    writeProfileHiddenWindows(profilePath(), formatHiddenWindowEntries(entries));
}

void forgetHiddenWindows() {
    writeProfileHiddenWindows(profilePath(), "");
}

void restoreWindowsLeftHidden() {
    const std::string path = profilePath();
    const std::string recorded = readProfileHiddenWindows(path);
    if (recorded.empty()) {
        return;  // nothing was left hidden; the file stays as it is
    }
    for (const HiddenWindowEntry& entry : parseHiddenWindowEntries(recorded)) {
        if (static_cast<std::uintptr_t>(entry.handle) !=
            entry.handle) {  // wider than this build's handles
            continue;
        }
        HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.handle));
        DWORD owner = 0;
        // A handle may since name another window: only the same owner's
        // still-hidden window is ours to show.
        if (!IsWindow(window) || GetWindowThreadProcessId(window, &owner) == 0 ||
            owner != entry.processId || IsWindowVisible(window)) {
            continue;
        }
        ShowWindowAsync(window, SW_SHOW);
    }
    writeProfileHiddenWindows(path, "");
}
