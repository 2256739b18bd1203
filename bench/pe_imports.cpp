#include "pe_imports.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "files.h"

static unsigned readU16(const std::string& image, size_t at) {
    unsigned short value = 0;
    if (at + 2 <= image.size()) {
        std::memcpy(&value, image.data() + at, 2);
    }
    return value;
}

static unsigned long long readU(const std::string& image, size_t at, size_t bytes) {
    unsigned long long value = 0;
    if (at + bytes <= image.size()) {
        std::memcpy(&value, image.data() + at, bytes);
    }
    return value;
}

std::vector<std::string> importsOf(const std::string& path) {
    std::vector<std::string> names;
    const std::string image = readFile(path);
    if (image.size() < 0x40 || readU16(image, 0) != 0x5A4D) {
        return names;
    }
    const size_t pe = static_cast<size_t>(readU(image, 0x3C, 4));
    const size_t optional = pe + 24;
    const unsigned sections = readU16(image, pe + 6);
    const unsigned optionalSize = readU16(image, pe + 20);
    const bool wide = readU16(image, optional) == 0x20B;
    const size_t importDirectory = optional + (wide ? 112 : 96) + 8;
    const unsigned long long importRva = readU(image, importDirectory, 4);
    const size_t sectionTable = optional + optionalSize;
    const auto offsetOf = [&](unsigned long long rva) -> size_t {
        for (unsigned i = 0; i < sections; ++i) {
            const size_t header = sectionTable + 40 * i;
            const unsigned long long start = readU(image, header + 12, 4);
            const unsigned long long size =
                std::max(readU(image, header + 8, 4), readU(image, header + 16, 4));
            if (rva >= start && rva < start + size) {
                return static_cast<size_t>(rva - start + readU(image, header + 20, 4));
            }
        }
        return image.size();
    };
    const size_t thunkSize = wide ? 8 : 4;
    const unsigned long long ordinalFlag = wide ? 0x8000000000000000ull : 0x80000000ull;
    for (size_t descriptor = offsetOf(importRva); descriptor + 20 <= image.size();
         descriptor += 20) {
        const unsigned long long nameRva = readU(image, descriptor + 12, 4);
        unsigned long long thunkRva = readU(image, descriptor, 4);
        if (thunkRva == 0) {
            thunkRva = readU(image, descriptor + 16, 4);
        }
        if (nameRva == 0 || thunkRva == 0) {
            break;
        }
        const std::string dll = image.c_str() + std::min(offsetOf(nameRva), image.size());
        for (size_t thunk = offsetOf(thunkRva);; thunk += thunkSize) {
            const unsigned long long entry = readU(image, thunk, thunkSize);
            if (entry == 0) {
                break;
            }
            if (entry & ordinalFlag) {
                names.push_back(dll + "!#ordinal");
                continue;
            }
            names.push_back(dll + "!" +
                            (image.c_str() + std::min(offsetOf(entry) + 2, image.size())));
        }
    }
    return names;
}

// The functions that could drive a timer.
static const char* const kTimerFunctions[] = {
    "SetTimer",
    "SetCoalescableTimer",
    "SetSystemTimer",
    "CreateWaitableTimerA",
    "CreateWaitableTimerW",
    "CreateWaitableTimerExA",
    "CreateWaitableTimerExW",
    "SetWaitableTimer",
    "SetWaitableTimerEx",
    "CreateTimerQueue",
    "CreateTimerQueueTimer",
    "ChangeTimerQueueTimer",
    "timeSetEvent",
    "CreateThreadpoolTimer",
    "SetThreadpoolTimer",
    "NtCreateTimer",
    "NtSetTimer",
};

std::vector<std::string> timerImports(const std::vector<std::string>& imports) {
    std::vector<std::string> found;
    for (const std::string& entry : imports) {
        const std::string name = entry.substr(entry.find('!') + 1);
        for (const char* timer : kTimerFunctions) {
            if (name == timer) {
                found.push_back(entry);
            }
        }
    }
    return found;
}

std::vector<std::string> timerNamesIn(const std::string& path) {
    const std::string image = readFile(path);
    std::vector<std::string> found;
    for (const char* timer : kTimerFunctions) {
        const std::string name = std::string(timer) + '\0';
        for (size_t at = image.find(name); at != std::string::npos; at = image.find(name, at + 1)) {
            const unsigned char before = at > 0 ? static_cast<unsigned char>(image[at - 1]) : 0;
            if (!std::isalnum(before) && before != '_') {  // a whole name, not a tail
                found.push_back(timer);
                break;
            }
        }
    }
    return found;
}
