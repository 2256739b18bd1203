#pragma once

// The INI beside an exe, read the way the program reads it.

#include <string>

// One key's whole value ("" when absent).
std::string iniValue(const std::string& path, const char* section, const char* key);
// The INI of `exe`: the same path ending in .ini.
std::string iniBeside(const std::string& exe);
// The INI of the exe `exeName` in `dir`.
std::string profileIn(const std::string& dir, const char* exeName = "Hushdesk.exe");
