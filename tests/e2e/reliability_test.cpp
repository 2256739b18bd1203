#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "hidden_record.h"
#include "instrumented_windows.h"
#include "processes.h"
#include "window_host.h"

using ReliabilityTest = HushdeskE2e;

static size_t countHidden(const std::vector<HWND>& windows) {
    const std::string v = visibility(windows);
    return static_cast<size_t>(std::count(v.begin(), v.end(), '0'));
}

// The list has 256 slots: a full list leaves further matches visible, and
// the restore brings back every window it hid.
TEST_F(ReliabilityTest, MoreMatchesThanSlots) {
    writeProfile(quietProfile("Many|", "0"));
    std::vector<std::string> titles;
    for (int i = 0; i < 300; ++i) {
        titles.push_back("Many " + std::to_string(i));
    }
    WindowHost& many = addHost(titles);
    WindowHost& other = addHost({"Other"});
    start();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(switchOnce());
        const std::vector<HiddenWindowEntry> entries = waitForRecord(256);
        syncHosts();
        EXPECT_EQ(entries.size(), 256u) << "round " << round;
        EXPECT_EQ(countHidden(many.windows), 256u) << "round " << round;
        EXPECT_EQ(visibility(other.windows), "1");
        for (const HiddenWindowEntry& entry : entries) {
            const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.handle));
            EXPECT_FALSE(IsWindowVisible(window)) << "recorded but visible";
        }
        ASSERT_TRUE(switchOnce());
        waitForEmptyRecord();
        syncHosts();
        EXPECT_EQ(countHidden(many.windows), 0u) << "round " << round << ": restored";
    }
}

TEST_F(ReliabilityTest, WindowDestroyedWhileHidden) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host = addHost({"Alpha 1", "Alpha 2", "Alpha 3", "Beta"});
    start();
    ASSERT_TRUE(switchOnce());
    waitForRecord(3);
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "0001");

    const HWND gone = host.windows[1];
    destroyHostWindow(host, gone);
    ASSERT_FALSE(IsWindow(gone));
    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_TRUE(IsWindowVisible(host.windows[0]));
    EXPECT_TRUE(IsWindowVisible(host.windows[2]));
    EXPECT_TRUE(IsWindowVisible(host.windows[3]));

    // And the program goes on as before.
    ASSERT_TRUE(switchOnce());
    EXPECT_EQ(waitForRecord(2).size(), 2u);
    syncHosts();
    EXPECT_FALSE(IsWindowVisible(host.windows[0]));
    EXPECT_FALSE(IsWindowVisible(host.windows[2]));
    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
}

// A window whose thread has stopped pumping must not stall Hushdesk: while
// that thread is held, the other windows are hidden, restored and hidden
// again, each command at once.
TEST_F(ReliabilityTest, StalledWindowDoesNotFreezeTheSwitch) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& stalled = addHost({"Alpha stalled"});
    WindowHost& fine = addHost({"Alpha fine 1", "Beta fine", "Alpha fine 2"});
    instrumentWindows(stalled.windows);
    start();
    const HANDLE release = newHold();
    ASSERT_TRUE(holdWindowThread(stalled.windows[0], release));

    ASSERT_TRUE(switchOnce());
    EXPECT_EQ(waitForRecord(3, stalled.windows).size(), 3u)
        << "the stalled window is visible, so recorded";
    EXPECT_TRUE(syncWindowHost(fine));
    EXPECT_EQ(visibility(fine.windows), "010");

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    EXPECT_TRUE(syncWindowHost(fine));
    EXPECT_EQ(visibility(fine.windows), "111");

    ASSERT_TRUE(switchOnce());
    waitForRecord(3, stalled.windows);
    EXPECT_TRUE(syncWindowHost(fine));
    EXPECT_EQ(visibility(fine.windows), "010");
    EXPECT_EQ(WaitForSingleObject(release, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "all of it while the stalled thread was still held";

    // Once it pumps again it catches up: hide, show, hide.
    SetEvent(release);
    EXPECT_TRUE(syncWindowHost(stalled));
    EXPECT_EQ(visibility(stalled.windows), "0");

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_EQ(visibility(stalled.windows), "1");
    EXPECT_EQ(visibility(fine.windows), "111");
}

// However the event loop ends, the restore pass runs before WinMain returns.
TEST_F(ReliabilityTest, QuitFromOutsideShowsHiddenWindows) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host = addHost({"Alpha 1", "Beta", "Alpha 2"});
    start();
    ASSERT_TRUE(switchOnce());
    waitForRecord(2);
    syncHosts();
    ASSERT_EQ(visibility(host.windows), "010");

    ASSERT_TRUE(post(WM_QUIT, 0));
    EXPECT_EQ(waitForExit(app), 0u);
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "111");
    const HiddenRecord record = readHiddenRecord(profile());
    EXPECT_TRUE(record.present && record.value.empty()) << "record emptied: " << record.value;
    killProgram(app);

    // With nothing hidden, the way out is just as clean.
    start();
    ASSERT_TRUE(post(WM_QUIT, 0));
    EXPECT_EQ(waitForExit(app), 0u);
    EXPECT_EQ(visibility(host.windows), "111");
}
