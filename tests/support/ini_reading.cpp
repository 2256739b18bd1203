#include "ini_reading.h"

#include <windows.h>

#include <vector>

std::string iniValue(const std::string& path, const char* section, const char* key) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(section, key, "", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 1 < buffer.size()) {
            return std::string(buffer.data(), n);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string iniBeside(const std::string& exe) {
    return exe.substr(0, exe.size() - 3) + "ini";
}

std::string profileIn(const std::string& dir, const char* exeName) {
    return iniBeside(dir + "\\" + exeName);
}
