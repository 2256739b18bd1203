#include "exe_under_test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "files.h"
#include "ini_reading.h"
#include "readiness.h"

static std::string moduleDir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of("\\/"));
}

// ctest runs each test once per build, HUSHDESK_EXE naming the exe; by
// default the build's own exe beside the tests' folder.
static std::string exeNamed() {
    char named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("HUSHDESK_EXE", named, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::string path = named;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
    }
    const std::string dir = moduleDir();
    return dir.substr(0, dir.find_last_of("\\/")) + "\\Hushdesk.exe";
}

std::string hushdeskExe() {
    static const std::string exe = [] {
        const std::string path = exeNamed();
        DWORD kind = 0;
        const char* bits = !GetBinaryTypeA(path.c_str(), &kind) ? "not found"
                           : kind == SCS_64BIT_BINARY           ? "64-bit"
                           : kind == SCS_32BIT_BINARY           ? "32-bit"
                                                                : "unknown kind";
        std::printf("[ exe      ] %s (%s)\n", path.c_str(), bits);
        std::fflush(stdout);
        return path;
    }();
    return exe;
}

bool hushdeskIs64Bit() {
    DWORD kind = 0;
    return GetBinaryTypeA(hushdeskExe().c_str(), &kind) && kind == SCS_64BIT_BINARY;
}

Launched launchHushdesk(const std::string& dir, const char* exeName) {
    Launched launched;
    const std::string exe = dir + "\\" + exeName;
    if (!fileExists(exe) && !CopyFileA(hushdeskExe().c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << hushdeskExe() << " to " << exe;
        return launched;
    }
    if (!launchProgram(exe, "", launched)) {
        const DWORD error = GetLastError();
        ADD_FAILURE() << "cannot start " << exe << " (error " << error << ")";
    }
    return launched;
}

Launched startHushdesk(const std::string& dir, const char* exeName) {
    Launched launched = launchHushdesk(dir, exeName);
    if (!launched.process) {
        return launched;
    }
    EXPECT_TRUE(waitForThreadId(launched, profileIn(dir, exeName), 10000))
        << "Hushdesk did not record its thread id";
    waitUntilIdle(launched);
    return launched;
}
