#pragma once

#include <string>
#include <vector>

constexpr int kDefaultSwitchHotKey = 631;         // 0x0277: Ctrl+F8
constexpr int kDefaultShowSettingsHotKey = 1655;  // 0x0677: Ctrl+Alt+F8

// The user's choices, read by every part of the program.
struct Settings {
    std::vector<std::string> titles;  // title sentences, in the user's order
    int excludeMode = 0;              // 0: hide matches; any other value: hide the rest
    int showSettingsOnStartup = 1;
    int switchHotKey = kDefaultSwitchHotKey;  // HotKeyWord
    int showSettingsHotKey = kDefaultShowSettingsHotKey;
};

extern Settings g_settings;

// Appends to `list` every maximal run of `text` free of the characters in
// `delimiters`. Runs of delimiters collapse; no empty entry is produced.
void splitTokens(const std::string& text, const char* delimiters, std::vector<std::string>& list);

// The profile form: every sentence followed by "|".
std::string joinProfileForm(const std::vector<std::string>& titles);
// The dialog form: every sentence followed by CR LF.
std::string joinDialogForm(const std::vector<std::string>& titles);

constexpr const char* kProfileDelimiters = "|";
constexpr const char* kDialogDelimiters = "\r\n";
