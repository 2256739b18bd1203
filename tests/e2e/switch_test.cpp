#include <gtest/gtest.h>

#include "test_support.h"

TEST(Smoke, HidesAndRestoresThroughWmUser) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("smoke");
    writeFile(profileIn(dir),
              "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n");
    WindowHost host = startWindowHost({"Alpha one", "Beta", "Alpha two"});
    Launched app = startHushdesk(dir);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "010"; }));
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "111"; }));
    killHushdesk(app);
    stopWindowHost(host);
    removeTree(dir);
}
