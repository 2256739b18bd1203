#include "settings/profile.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "settings/settings.h"

// Every section and key name of the file lives here.
static const char kInternal[] = "Internal";
static const char kGeneral[] = "General";
static const char kHotkeys[] = "Hotkeys";
static const char kThreadId[] = "ThreadId";
static const char kHiddenWindows[] = "HiddenWindows";
static const char kWindows[] = "Windows";
static const char kShowSettingsOnStartup[] = "ShowSettingsOnStartup";
static const char kExcludeMode[] = "ExcludeMode";
static const char kSwitch[] = "Switch";
static const char kShowSettings[] = "ShowSettings";

std::string profilePath() {
    char modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    std::string path(modulePath, length);
    if (path.size() >= 3) {
        path.replace(path.size() - 3, 3, "ini");
    }
    return path;
}

// The profile functions cut a value to the buffer without saying so, except
// by filling it: grow until the value fits, so no sentence is ever lost.
static std::string readWholeString(const char* section, const char* key, const std::string& path) {
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(
            section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (length + 1 < buffer.size() || buffer.size() >= (64u << 20)) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

static std::wstring widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// The ANSI writer carries a value through a counted string of at most 32767
// characters and garbles a longer one: the value goes through the wide writer,
// which takes it whole. An ANSI file stays ANSI.
static void writeString(const char* section, const char* key, const std::string& value,
                        const std::string& path) {
    WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(value).c_str(),
                               widen(path).c_str());
}

static int readInt(const char* section, const char* key, int fallback, const std::string& path) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path.c_str()));
}

static void writeInt(const char* section, const char* key, int value, const std::string& path) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(section, key, text, path.c_str());
}

void loadSettingsFrom(const std::string& path) {
    g_settings.switchHotKey = readInt(kHotkeys, kSwitch, kDefaultSwitchHotKey, path);
    g_settings.showSettingsHotKey =
        readInt(kHotkeys, kShowSettings, kDefaultShowSettingsHotKey, path);
    g_settings.showSettingsOnStartup = readInt(kGeneral, kShowSettingsOnStartup, 1, path);
    g_settings.excludeMode = readInt(kGeneral, kExcludeMode, 0, path);
    const std::string windows = readWholeString(kGeneral, kWindows, path);
    if (!windows.empty()) {
        splitTokens(windows, kProfileDelimiters, g_settings.titles);
    }
}

void saveSettingsTo(const std::string& path) {
    const std::string windows = joinProfileForm(g_settings.titles);
    writeString(kGeneral, kWindows, windows, path);
    writeInt(kGeneral, kShowSettingsOnStartup, g_settings.showSettingsOnStartup, path);
    writeInt(kGeneral, kExcludeMode, g_settings.excludeMode, path);
    writeInt(kHotkeys, kSwitch, g_settings.switchHotKey, path);
    writeInt(kHotkeys, kShowSettings, g_settings.showSettingsHotKey, path);
}

void loadSettings() {
    loadSettingsFrom(profilePath());
}

void saveSettings() {
    saveSettingsTo(profilePath());
}

void writeProfileThreadId(const std::string& path, int threadId) {
    writeInt(kInternal, kThreadId, threadId, path);
}

int readProfileThreadId(const std::string& path) {
    return readInt(kInternal, kThreadId, 0, path);
}

std::string readProfileHiddenWindows(const std::string& path) {
    return readWholeString(kInternal, kHiddenWindows, path);
}

void writeProfileHiddenWindows(const std::string& path, const std::string& value) {
    writeString(kInternal, kHiddenWindows, value, path);
}
