#pragma once

// Temporary folders, and files read and written whole.

#include <string>

// A new empty folder under %TEMP%, named after `tag` (absolute path, no
// trailing backslash). False when it cannot be made; `dir` then names it.
bool createTempDir(const char* tag, std::string& dir);
// The folder and everything in it, read-only files too.
void removeTree(const std::string& dir);
// False when the file cannot be opened for writing.
bool tryWriteFile(const std::string& path, const std::string& content);
// The whole file ("" when it cannot be read), also the size-less ones
// under Z:\proc.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// Bytes, or -1 when there is no such file.
long long fileSize(const std::string& path);
