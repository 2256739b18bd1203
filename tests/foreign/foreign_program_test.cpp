// Windows of a program nobody here wrote: Wine's own 64-bit Notepad, beside
// windows of this (64-bit) test. Whichever Hushdesk is under test, the
// 32-bit one users run included, hides and shows them, records them with
// their owners, and brings them back after it was killed.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "checked_files.h"
#include "core/recovery.h"
#include "dialogs.h"
#include "exe_under_test.h"
#include "files.h"
#include "hidden_record.h"
#include "ini_reading.h"
#include "processes.h"
#include "waiting.h"
#include "window_host.h"

namespace {

const char kSettings[] =
    "[General]\r\nWindows=- Notepad|Foreign host|\r\nShowSettingsOnStartup=0\r\n";

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK findVisibleWindowOf(HWND window, LPARAM parameter) {
    Found* found = reinterpret_cast<Found*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->processId && IsWindowVisible(window) && GetWindowTextLengthA(window) > 0) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

std::string systemNotepad() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\notepad.exe";
}

std::vector<std::uint32_t> recordedOwners(const std::string& profile) {
    std::vector<std::uint32_t> owners;
    for (const HiddenWindowEntry& entry :
         parseHiddenWindowEntries(iniValue(profile, "Internal", "HiddenWindows"))) {
        owners.push_back(entry.processId);
    }
    return owners;
}

bool recorded(const std::vector<std::uint32_t>& owners, DWORD processId) {
    for (std::uint32_t owner : owners) {
        if (owner == processId) {
            return true;
        }
    }
    return false;
}

class ForeignProgram : public ::testing::Test {
protected:
    void SetUp() override {
        killStrayHushdesks();
        dir = makeTempDir("foreign");
        writeFile(profileIn(dir), kSettings);
    }

    void TearDown() override {
        killProgram(app);
        stopWindowHost(host);
        if (notepad.hProcess) {
            TerminateProcess(notepad.hProcess, 0);
            WaitForSingleObject(notepad.hProcess, 5000);
            CloseHandle(notepad.hProcess);
            CloseHandle(notepad.hThread);
        }
        removeTree(dir);
    }

    // Notepad with its main window up, or a failed test.
    HWND startNotepad() {
        std::string exe = systemNotepad();
        DWORD kind = 0;
        EXPECT_TRUE(GetBinaryTypeA(exe.c_str(), &kind) && kind == SCS_64BIT_BINARY)
            << exe << " is not a 64-bit program";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            dir.c_str(), &startup, &notepad)) {
            ADD_FAILURE() << "cannot start " << exe << " (error " << GetLastError() << ")";
            return nullptr;
        }
        Found found = {notepad.dwProcessId, nullptr};
        waitFor([&] {
            found.window = nullptr;
            EnumWindows(findVisibleWindowOf, reinterpret_cast<LPARAM>(&found));
            return found.window != nullptr &&
                   windowText(found.window).find("- Notepad") != std::string::npos;
        });
        return found.window;
    }

    std::string dir;
    Launched app;
    WindowHost host;
    PROCESS_INFORMATION notepad = {};
};

}  // namespace

TEST_F(ForeignProgram, HidesShowsAndRecoversNotepadBesideTheTestsWindows) {
    const HWND editor = startNotepad();
    ASSERT_NE(editor, nullptr) << "Notepad's window did not show up";
    host = startWindowHost({"Foreign host one", "Left alone", "Foreign host two"});
    const std::string profile = profileIn(dir);
    const auto all = [&] { return visibility({editor}) + visibility(host.windows); };

    app = startHushdesk(dir);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return all() == "0010"; })) << all();
    std::vector<std::uint32_t> owners;
    EXPECT_TRUE(waitFor([&] {
        owners = recordedOwners(profile);
        return owners.size() == 3;
    })) << readFile(profile);
    EXPECT_TRUE(recorded(owners, notepad.dwProcessId)) << "Notepad is not on record";
    EXPECT_TRUE(recorded(owners, GetCurrentProcessId())) << "the test's windows are not on record";

    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return all() == "1111"; })) << all();

    // Hidden again, then killed: the next start shows them all.
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(waitFor([&] { return all() == "0010"; })) << all();
    ASSERT_TRUE(waitFor([&] { return recordedOwners(profile).size() == 3; }));
    killProgram(app);
    pumpFor(200);
    EXPECT_EQ(all(), "0010") << "nobody else shows them";

    app = startHushdesk(dir);
    EXPECT_TRUE(waitFor([&] { return all() == "1111"; })) << all();
    EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
}
