#include "contenders.h"

#include <cstdio>

#include "files.h"
#include "ini_reading.h"
#include "readiness.h"
#include "statistics.h"
#include "target_windows.h"

static std::string makeDir(const std::string& root, const char* name) {
    const std::string dir = root + "\\" + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

static bool copyProgram(const std::string& source, const std::string& dir, const char* name,
                        Program& program) {
    program.exe = dir + "\\" + name;
    if (!CopyFileA(source.c_str(), program.exe.c_str(), FALSE)) {
        std::printf("cannot copy %s to %s (error %lu)\n", source.c_str(), program.exe.c_str(),
                    GetLastError());
        return false;
    }
    return true;
}

bool prepareContenders(const std::string& hushdesk, const std::string& minimal,
                       const std::string& bench, const std::string& base, Contenders& all) {
    all.minimalHotKey.arguments = " --hotkey";
    CreateDirectoryA(base.c_str(), nullptr);
    if (!copyProgram(hushdesk, makeDir(base, "hushdesk"), "Hushdesk.exe", all.hushdesk) ||
        !copyProgram(minimal, makeDir(base, "minimal"), "Minimal.exe", all.minimal) ||
        !copyProgram(minimal, makeDir(base, "minimal-hotkey"), "Minimal.exe", all.minimalHotKey) ||
        !copyProgram(bench, makeDir(base, "reference"), "Reference.exe", all.reference)) {
        return false;
    }
    tryWriteFile(iniBeside(all.hushdesk.exe),
                 std::string("[General]\r\nWindows=") + kSentence +
                     "|\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n");
    return true;
}

bool launch(Program& program) {
    program.unixPid = 0;
    if (!launchProgram(program.exe, program.arguments, program.launched)) {
        std::printf("cannot start %s (error %lu)\n", program.exe.c_str(), GetLastError());
        return false;
    }
    return true;
}

bool launchReady(Program& program, double* startupMs) {
    const double launchedAt = nowMs();
    if (!launch(program)) {
        return false;
    }
    // Idle first: by then the thread id is on file, so the figure does not
    // depend on how often the INI is read.
    const bool ready = WaitForInputIdle(program.launched.process, 30000) == 0 &&
                       waitForThreadId(program.launched, iniBeside(program.exe), 30000);
    const double elapsed = nowMs() - launchedAt;
    if (!ready) {
        std::printf("%s did not get ready\n", program.exe.c_str());
        return false;
    }
    if (startupMs) {
        *startupMs = elapsed;
    }
    return true;
}

void stop(Program& program) {
    killProgram(program.launched);
}
