#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "exe_under_test.h"
#include "files.h"
#include "hidden_record.h"
#include "instrumented_windows.h"
#include "processes.h"
#include "waiting.h"
#include "window_host.h"

using SwitchTest = HushdeskE2e;

// The windows of this process that `titles` would pick, in the order the
// system enumerates top-level windows.
struct EnumOrder {
    std::vector<HWND> mine;
    std::vector<HWND> order;
};

static BOOL CALLBACK collectMine(HWND window, LPARAM parameter) {
    EnumOrder* search = reinterpret_cast<EnumOrder*>(parameter);
    if (std::find(search->mine.begin(), search->mine.end(), window) != search->mine.end()) {
        search->order.push_back(window);
    }
    return TRUE;
}

static std::vector<HWND> enumerationOrder(const std::vector<HWND>& windows) {
    EnumOrder search{windows, {}};
    EnumWindows(collectMine, reinterpret_cast<LPARAM>(&search));
    return search.order;
}

static std::vector<HWND> handlesOf(const std::vector<HiddenWindowEntry>& entries) {
    std::vector<HWND> handles;
    for (const HiddenWindowEntry& entry : entries) {
        handles.push_back(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.handle)));
    }
    return handles;
}

static std::vector<HWND> eventsOf(const std::vector<ShowEvent>& log, bool shown) {
    std::vector<HWND> windows;
    for (const ShowEvent& event : log) {
        if (event.shown == shown) {
            windows.push_back(event.window);
        }
    }
    return windows;
}

struct Junk {
    UINT message;
    WPARAM wParam;
};

// Only WM_USER and WM_HOTKEY with wParam 1 switch. Each odd message is put
// in front of a real switch: had it switched too (or opened the dialog,
// which swallows thread messages), the state that follows would be wrong.
TEST_F(SwitchTest, DispatchTable) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host = addHost({"Alpha one", "Beta"});
    start();

    ASSERT_TRUE(post(WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; })) << "WM_USER 1";
    ASSERT_TRUE(post(WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; })) << "WM_USER 1 again";
    ASSERT_TRUE(post(WM_HOTKEY, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; })) << "WM_HOTKEY 1";
    ASSERT_TRUE(post(WM_HOTKEY, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; })) << "WM_HOTKEY 1 again";

    const Junk junk[] = {
        {WM_USER, 2},        {WM_USER, 3},
        {WM_USER, 0xFFFF},   {WM_USER, static_cast<WPARAM>(-1)},
        {WM_HOTKEY, 2},      {WM_HOTKEY, 1000},
        {WM_USER + 1, 1},    {WM_USER - 1, 1},
        {WM_HOTKEY - 1, 1},  {WM_HOTKEY + 1, 1},
        {WM_APP, 1},         {WM_NULL, 1},
        {WM_COMMAND, 1},     {WM_TIMER, 1},
        {WM_KEYDOWN, VK_F8}, {WM_CLOSE, 1},
        {WM_SHOWWINDOW, 1},
    };
    if (hushdeskIs64Bit()) {
        // The whole wParam counts, not its low half. (Posted to a 32-bit
        // program, the system cuts it to the low half on the way.)
        ASSERT_TRUE(post(WM_USER, static_cast<WPARAM>(0x100000001ull)));
        ASSERT_TRUE(post(WM_USER, 1));
        EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; }))
            << "WM_USER with 1 in the low half only";
        ASSERT_TRUE(post(WM_USER, 1));
        EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; }));
    }
    for (const Junk& j : junk) {
        ASSERT_TRUE(post(j.message, j.wParam));
        ASSERT_TRUE(switchOnce());
        EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; }))
            << "after message " << j.message << " wParam " << j.wParam;
        ASSERT_TRUE(post(j.message, j.wParam));
        ASSERT_TRUE(switchOnce());
        EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; }))
            << "after message " << j.message << " wParam " << j.wParam;
    }
    endHushdesk();
}

struct ModeCase {
    const char* windows;
    const char* excludeMode;  // as written in the profile
    const char* expected;     // visibility after the hide pass
};

// Titles: a match, two non-matches (one differs only in case), an untitled
// window, and a match that lies past the first 1023 characters of its title.
TEST_F(SwitchTest, ModesAndTitles) {
    const std::string pastTheCut = std::string(1030, 'x') + "Alpha";
    WindowHost& host = addHost({"Alpha one", "Beta", "alpha lower", "", pastTheCut});
    instrumentWindows(host.windows);
    const ModeCase cases[] = {
        {"Alpha|", "0", "01111"},   // containing
        {"Alpha|", "1", "10010"},   // except those containing
        {"Alpha|", "-1", "10010"},  // any nonzero value
        {"Alpha|", "7", "10010"},
        {"Alpha|", "2147483647", "10010"},  // huge
        {"Alpha|", "zzz", "01111"},         // not a number: 0
        {"", "1", "00010"},                 // empty list: every titled window
        {"|Beta|Alpha|", "0", "00111"},
        {"", "0", "11111"},  // empty list, containing: nothing
    };
    for (const ModeCase& c : cases) {
        const std::string note =
            std::string("Windows=") + c.windows + " ExcludeMode=" + c.excludeMode;
        writeProfile(quietProfile(c.windows, c.excludeMode));
        start();
        takeShowLog();
        ASSERT_TRUE(switchOnce()) << note;
        if (std::string(c.expected).find('0') == std::string::npos) {
            // Nothing to hide: no record is written. Ending the program is
            // the barrier, and no window may have been hidden on the way.
            endHushdesk();
            syncHosts();
            EXPECT_TRUE(takeShowLog().empty()) << note;
            EXPECT_FALSE(readHiddenRecord(profile()).present) << note << readFile(profile());
            EXPECT_EQ(visibility(host.windows), c.expected) << note;
            continue;
        }
        waitForRecord();
        syncHosts();
        EXPECT_EQ(visibility(host.windows), c.expected) << note;
        ASSERT_TRUE(switchOnce()) << note;
        waitForEmptyRecord();
        syncHosts();
        EXPECT_EQ(visibility(host.windows), "11111") << note << ": restored";
        PostThreadMessageA(app.threadId, WM_QUIT, 0, 0);
        EXPECT_EQ(waitForExit(app), 0u) << note;
        killProgram(app);
    }
}

// A window that is invisible at the hide pass is not the switcher's: it is
// neither recorded nor shown by the restore.
TEST_F(SwitchTest, AlreadyInvisibleWindowIsLeftAlone) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host = addHost({"Alpha shown", "Alpha shown too"});
    const HWND invisible = addHostWindow(host, "Alpha invisible", false);
    instrumentWindows({host.windows[0], host.windows[1], invisible});
    start();
    takeShowLog();

    ASSERT_TRUE(switchOnce());
    const std::vector<HWND> recorded = handlesOf(waitForRecord());
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "00");
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), invisible), 0);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), host.windows[0]), 1);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), host.windows[1]), 1);

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "11");
    EXPECT_FALSE(IsWindowVisible(invisible));
    for (const ShowEvent& event : takeShowLog()) {
        EXPECT_NE(event.window, invisible) << "the invisible window was shown or hidden";
    }
}

// Hide in enumeration order, restore in the same order, hide again; the
// profile lists the hidden windows with their owner while they are hidden.
TEST_F(SwitchTest, RestoreOrderRecordAndThirdSwitch) {
    writeProfile(quietProfile("Alpha|", "0"));
    WindowHost& host =
        addHost({"Alpha 1", "Beta 1", "Alpha 2", "Alpha 3", "Beta 2", "Alpha 4", "Alpha 5"});
    instrumentWindows(host.windows);
    const std::vector<HWND> matching = {host.windows[0], host.windows[2], host.windows[3],
                                        host.windows[5], host.windows[6]};
    start();
    takeShowLog();
    const std::vector<HWND> order = enumerationOrder(matching);
    ASSERT_EQ(order.size(), matching.size());

    ASSERT_TRUE(switchOnce());
    const std::vector<HiddenWindowEntry> entries = waitForRecord(matching.size());
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "0100100");
    const std::vector<ShowEvent> hideLog = takeShowLog();
    EXPECT_EQ(eventsOf(hideLog, true).size(), 0u);
    const std::vector<HWND> hidden = eventsOf(hideLog, false);
    EXPECT_EQ(hidden, order) << "hidden in enumeration order";
    EXPECT_EQ(handlesOf(entries), order) << "recorded in the order hidden";
    for (const HiddenWindowEntry& entry : entries) {
        EXPECT_EQ(entry.processId, GetCurrentProcessId());
    }

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "1111111");
    const std::vector<ShowEvent> showLog = takeShowLog();
    EXPECT_EQ(eventsOf(showLog, false).size(), 0u);
    EXPECT_EQ(eventsOf(showLog, true), hidden) << "shown in the order hidden";

    // Nothing changed in between: the third switch hides the same windows.
    ASSERT_TRUE(switchOnce());
    std::vector<HWND> again = handlesOf(waitForRecord(matching.size()));
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "0100100");
    std::sort(again.begin(), again.end());
    std::vector<HWND> expected = matching;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(again, expected);

    ASSERT_TRUE(switchOnce());
    waitForEmptyRecord();
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "1111111");
}
