#pragma once

// The test's own folders and files: a failure to make one fails the test.

#include <string>

// A new empty folder under %TEMP% (absolute path, no trailing backslash).
std::string makeTempDir(const char* tag);
void writeFile(const std::string& path, const std::string& content);
