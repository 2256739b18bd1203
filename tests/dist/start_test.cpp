// A release exe as a new user meets it: unpacked into a fresh folder (by
// check_dist.py, which names it in HUSHDESK_EXE) and started with no INI.
// The settings dialog must come up and the program keep running; starting
// it again must hand off to the running copy and end with exit code 0.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dialogs.h"
#include "exe_under_test.h"
#include "files.h"
#include "ini_reading.h"
#include "processes.h"
#include "resource.h"
#include "waiting.h"

TEST(UnpackedRelease, FirstStartShowsTheDialogAndASecondHandsOff) {
    killStrayHushdesks();
    const std::string exe = hushdeskExe();
    const std::string dir = exe.substr(0, exe.find_last_of('\\'));
    ASSERT_TRUE(fileExists(exe)) << exe;
    ASSERT_FALSE(fileExists(profileIn(dir))) << "the folder is not fresh";

    Launched first = launchHushdesk(dir);
    ASSERT_NE(first.process, nullptr);
    const HWND dialog = findDialog("Hushdesk settings", first.processId, 30000);
    EXPECT_NE(dialog, nullptr) << "no settings dialog at the first start";
    pumpFor(500);
    EXPECT_EQ(waitForExit(first, 0), static_cast<DWORD>(STILL_ACTIVE)) << "it did not keep running";

    Launched second = launchHushdesk(dir);
    EXPECT_EQ(waitForExit(second, 30000), 0u) << "the second start did not hand off and end";
    killProgram(second);
    EXPECT_EQ(waitForExit(first, 0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(dialog != nullptr && IsWindow(dialog));

    if (dialog) {
        clickButton(dialog, IDC_QUIT);
        EXPECT_EQ(waitForExit(first, 10000), 0u) << "Quit Hushdesk did not end it";
    }
    killProgram(first);
}
