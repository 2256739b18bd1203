#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs.h"
#include "e2e_fixture.h"
#include "hidden_record.h"
#include "processes.h"
#include "resource.h"
#include "waiting.h"
#include "window_host.h"

using BurstTest = HushdeskE2e;

// The settings dialog opens only once every message posted before the
// request has been handled: the barrier after a burst of switches. Leaving
// it through "Hide this dialog" changes nothing that matters here.
static void awaitAllHandled(const Launched& app, const std::vector<WindowHost*>& hosts) {
    ASSERT_TRUE(postCommand(app, WM_USER, 0));
    const HWND dialog = findDialog("Hushdesk settings", app.processId, 60000);
    ASSERT_NE(dialog, nullptr) << "the burst was not worked through";
    for (const WindowHost* host : hosts) {
        EXPECT_TRUE(syncWindowHost(*host));
    }
    clickButton(dialog, IDC_HIDE_DIALOG);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
}

// Commands faster than the windows' threads carry out the shows and hides:
// after an even number all is visible, after an odd number exactly the
// matching windows are hidden.
TEST_F(BurstTest, ThousandSwitches) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host = addHost({"Alpha a", "Beta", "Alpha b"});
    start();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(switchOnce()) << "post " << i;
    }
    awaitAllHandled(app, {&host});
    EXPECT_EQ(visibility(host.windows), "111") << "after 1000 switches";

    for (int i = 0; i < 1001; ++i) {
        ASSERT_TRUE(switchOnce()) << "post " << i;
    }
    awaitAllHandled(app, {&host});
    EXPECT_EQ(visibility(host.windows), "010") << "after 1001 switches";
    std::vector<HiddenWindowEntry> entries =
        parseHiddenWindowEntries(readHiddenRecord(profile()).value);
    EXPECT_EQ(entries.size(), 2u);

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "111");
}
