#include "files.h"

#include <windows.h>

#include <cstdio>

bool createTempDir(const char* tag, std::string& dir) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned sequence = 0;
    for (;;) {
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "%shushdesk-%s-%lu-%u", base, tag, GetCurrentProcessId(),
                      ++sequence);
        dir = path;
        if (CreateDirectoryA(path, nullptr)) {
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
}

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

bool tryWriteFile(const std::string& path, const std::string& content) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return true;
}

std::string readFile(const std::string& path) {
    std::string content;
    // Shared for writing too: another process may have it open to write.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return content;
    }
    // Until ReadFile has no more: a file under Z:\proc says it is empty.
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        content.append(chunk, got);
    }
    CloseHandle(file);
    return content;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
