#pragma once

#include <string>

// The INI file beside the exe: the exe's full path with its last three
// characters replaced by "ini".
std::string profilePath();

// Fill g_settings from the profile (defaults for whatever it lacks), and
// write every setting back. The -From/-To forms take the file explicitly.
void loadSettings();
void saveSettings();
void loadSettingsFrom(const std::string& path);
void saveSettingsTo(const std::string& path);

// [Internal] keys.
void writeProfileThreadId(const std::string& path, int threadId);
int readProfileThreadId(const std::string& path);
std::string readProfileHiddenWindows(const std::string& path);
void writeProfileHiddenWindows(const std::string& path, const std::string& value);
