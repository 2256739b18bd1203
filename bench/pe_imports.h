#pragma once

// The functions an exe could drive a timer with: those in its import table
// and those named anywhere in its image.

#include <string>
#include <vector>

// Every imported function name of a PE file, as "dll!name".
std::vector<std::string> importsOf(const std::string& path);
// The imported names that could drive a timer.
std::vector<std::string> timerImports(const std::vector<std::string>& imports);
// Timer function names anywhere in the image: GNU ld leaves the
// delay-import directory empty, and a name fetched by GetProcAddress is not
// an import either, but both are in the file as plain text.
std::vector<std::string> timerNamesIn(const std::string& path);
