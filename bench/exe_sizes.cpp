#include "exe_sizes.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "files.h"
#include "pe_imports.h"
#include "table.h"

void measureSizes(const std::string& hushdesk32, const std::string& hushdesk64) {
    const struct {
        const char* bits;
        const std::string& path;
    } exes[] = {{"32", hushdesk32}, {"64", hushdesk64}};
    for (const auto& exe : exes) {
        if (exe.path.empty()) {
            continue;
        }
        const bool shipped = std::strcmp(exe.bits, "32") == 0;
        const long long size = fileSize(exe.path);
        std::vector<std::string> timers = timerImports(importsOf(exe.path));
        for (const std::string& name : timerNamesIn(exe.path)) {
            timers.push_back(name + " (named in the image)");
        }
        std::string timerText;
        for (const std::string& name : timers) {
            timerText += (timerText.empty() ? "" : ", ") + name;
        }
        std::printf("%s-bit exe %s: %zu imported functions; timer functions: %s\n", exe.bits,
                    exe.path.c_str(), importsOf(exe.path).size(),
                    timers.empty() ? "none" : timerText.c_str());
        addRow(std::string("size, ") + exe.bits + "-bit Hushdesk.exe (KiB)",
               size < 0 ? "missing" : formatNumber("%.1f", static_cast<double>(size) / 1024.0), "",
               shipped ? "<= 256" : "", size >= 0 && (!shipped || size <= 256 * 1024));
        addRow(std::string("timer functions, ") + exe.bits + "-bit",
               timers.empty() ? "none" : "some", "", "none", timers.empty());
    }
}
