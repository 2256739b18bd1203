#include "cpu_usage.h"

#include <cstdlib>
#include <cstring>

#include "files.h"

DWORD findUnixPid(const std::string& exe) {
    // Wine shows a process's Windows path as its unix command line.
    std::string wanted = exe;
    CharLowerBuffA(&wanted[0], static_cast<DWORD>(wanted.size()));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD pid = 0;
    do {
        const char* name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name[0] < '0' ||
            name[0] > '9') {
            continue;
        }
        std::string commandLine = readFile(std::string("Z:\\proc\\") + name + "\\cmdline");
        commandLine.resize(std::strlen(commandLine.c_str()));  // the first argument
        if (commandLine.empty()) {
            continue;
        }
        CharLowerBuffA(&commandLine[0], static_cast<DWORD>(commandLine.size()));
        if (commandLine.find(wanted) != std::string::npos) {
            pid = static_cast<DWORD>(std::strtoul(name, nullptr, 10));
            break;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pid;
}

UnixUsage unixUsage(DWORD pid) {
    UnixUsage usage;
    if (pid == 0) {
        return usage;
    }
    const std::string taskDir = "Z:\\proc\\" + std::to_string(pid) + "\\task";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((taskDir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return usage;
    }
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9') {
            continue;
        }
        const std::string task = taskDir + "\\" + found.cFileName;
        const std::string schedstat = readFile(task + "\\schedstat");
        usage.cpuMs += static_cast<double>(std::strtoull(schedstat.c_str(), nullptr, 10)) / 1e6;
        const std::string status = readFile(task + "\\status");
        for (const char* key : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
            const size_t at = status.find(key);
            if (at != std::string::npos) {
                usage.switches += std::strtoll(status.c_str() + at + std::strlen(key), nullptr, 10);
            }
        }
        ++usage.threads;
        usage.valid = true;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return usage;
}

double processTimesMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        return -1.0;
    }
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}
