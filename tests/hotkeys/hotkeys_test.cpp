// The two global hot keys end to end: the real Hushdesk.exe registers the
// combinations of its profile, SendInput presses them, and the system's
// hot key table is probed from this process to see what is held when.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_files.h"
#include "dialogs.h"
#include "ini_reading.h"
#include "keyboard.h"
#include "processes.h"
#include "session.h"
#include "waiting.h"
#include "window_host.h"

// A profile that keeps the dialog closed at start, selects the "Hush"
// windows, and carries `hotkeys` (lines of the Hotkeys section, or "").
static std::string residentProfile(const std::string& hotkeys) {
    std::string text = "[General]\r\n";
    text += kHushProfileLine;
    text += "ShowSettingsOnStartup=0\r\nExcludeMode=0\r\n";
    if (!hotkeys.empty()) {
        text += "[Hotkeys]\r\n" + hotkeys;
    }
    return text;
}

struct Combination {
    UINT modifiers;
    UINT key;
};

static const Combination kCtrlF8 = {MOD_CONTROL, VK_F8};
static const Combination kCtrlAltF8 = {MOD_CONTROL | MOD_ALT, VK_F8};

static void press(const Session& session, const Combination& combination) {
    settleKeyboard(session);
    std::vector<WORD> keys;
    if (combination.modifiers & MOD_CONTROL) {
        keys.push_back(VK_CONTROL);
    }
    if (combination.modifiers & MOD_SHIFT) {
        keys.push_back(VK_SHIFT);
    }
    if (combination.modifiers & MOD_ALT) {
        keys.push_back(VK_MENU);
    }
    keys.push_back(static_cast<WORD>(combination.key));
    pressKeys(keys);
}

static bool taken(const Combination& combination) {
    return combinationTaken(combination.modifiers, combination.key);
}

static bool windowsAre(const Session& session, const char* expected) {
    return waitFor([&] { return visibility(session.host.windows) == expected; });
}

// Presses the switch combination twice: hidden, then shown again.
static void expectSwitchWorks(const Session& session, const Combination& switchKeys) {
    press(session, switchKeys);
    EXPECT_TRUE(windowsAre(session, kHushHidden)) << "the switch hot key did not hide";
    press(session, switchKeys);
    EXPECT_TRUE(windowsAre(session, kAllShown)) << "the switch hot key did not restore";
}

// Leaves the dialog through "Hide this dialog"; by the time the dialog is
// destroyed the program has saved and registered its hot keys again.
static bool hideDialog(HWND dialog) {
    clickButton(dialog, kHideDialogButton);
    return waitFor([&] { return !IsWindow(dialog); });
}

TEST(HotKeys, DefaultsSwitchAndOpenTheDialogWhichReleasesThem) {
    Session session;
    const std::string dir = newFolder(session, "hk-defaults");
    writeFile(profileIn(dir), residentProfile(""));
    startHushWindows(session);
    const Launched app = startTracked(session, dir);
    ASSERT_TRUE(switchRoundTrip(session, app));
    EXPECT_TRUE(taken(kCtrlF8));
    EXPECT_TRUE(taken(kCtrlAltF8));

    expectSwitchWorks(session, kCtrlF8);

    press(session, kCtrlAltF8);
    const HWND dialog = findDialog(kSettingsCaption, app.processId);
    ASSERT_NE(dialog, nullptr) << "Ctrl+Alt+F8 did not open the settings";
    // While it is open both combinations are free for anybody.
    EXPECT_FALSE(taken(kCtrlF8));
    EXPECT_FALSE(taken(kCtrlAltF8));
    press(session, kCtrlF8);
    pumpFor(500);
    EXPECT_EQ(visibility(session.host.windows), kAllShown);
    EXPECT_EQ(countDialogs(kSettingsCaption), 1);

    ASSERT_TRUE(hideDialog(dialog));
    EXPECT_TRUE(taken(kCtrlF8));
    EXPECT_TRUE(taken(kCtrlAltF8));
    expectSwitchWorks(session, kCtrlF8);
    press(session, kCtrlAltF8);
    const HWND again = findDialog(kSettingsCaption, app.processId);
    ASSERT_NE(again, nullptr) << "the settings hot key was not registered again";
    EXPECT_TRUE(hideDialog(again));
}

struct ProfileKeys {
    const char* name;
    const char* hotkeys;  // the Hotkeys section's lines
    Combination switchKeys;
    Combination settingsKeys;
};

static const ProfileKeys kProfileKeys[] = {
    // Ctrl+Shift+H and Ctrl+Alt+S instead of the defaults.
    {"custom",
     "Switch=840\r\nShowSettings=1619\r\n",
     {MOD_CONTROL | MOD_SHIFT, 'H'},
     {MOD_CONTROL | MOD_ALT, 'S'}},
    // No modifier at all is a bare key; Shift alone is kept.
    {"bare key", "Switch=120\r\nShowSettings=376\r\n", {0, VK_F9}, {MOD_SHIFT, VK_F9}},
    // The extended flag, flags 0x10-0x80 and bits above 15 are dropped.
    {"extra bits", "Switch=68215\r\nShowSettings=63095\r\n", kCtrlF8, kCtrlAltF8},
};

TEST(HotKeys, TheProfilesCombinationsAreTheOnesRegistered) {
    for (const ProfileKeys& row : kProfileKeys) {
        SCOPED_TRACE(row.name);
        Session session;
        const std::string dir = newFolder(session, "hk-profile");
        writeFile(profileIn(dir), residentProfile(row.hotkeys));
        startHushWindows(session);
        const Launched app = startTracked(session, dir);
        ASSERT_TRUE(switchRoundTrip(session, app)) << "a message box is holding the program";
        EXPECT_TRUE(taken(row.switchKeys));
        EXPECT_TRUE(taken(row.settingsKeys));
        if (row.switchKeys.key != VK_F8) {
            EXPECT_FALSE(taken(kCtrlF8)) << "the default switch key was registered";
            EXPECT_FALSE(taken(kCtrlAltF8)) << "the default settings key was registered";
        }

        expectSwitchWorks(session, row.switchKeys);
        press(session, row.settingsKeys);
        const HWND dialog = findDialog(kSettingsCaption, app.processId);
        ASSERT_NE(dialog, nullptr) << "the settings hot key did not open the dialog";
        EXPECT_FALSE(taken(row.switchKeys));
        EXPECT_FALSE(taken(row.settingsKeys));
        EXPECT_TRUE(hideDialog(dialog));
    }
}

struct HeldElsewhere {
    const char* name;
    Combination held;
    const char* refusal;   // the box for the command whose key is held
    const char* otherBox;  // the box that must not appear
};

static const HeldElsewhere kHeldElsewhere[] = {
    {"switch key held", kCtrlF8, kSwitchKeyRefused, kSettingsKeyRefused},
    {"settings key held", kCtrlAltF8, kSettingsKeyRefused, kSwitchKeyRefused},
};

TEST(HotKeys, ACombinationHeldElsewhereIsReportedAndTheOtherStillWorks) {
    for (const HeldElsewhere& row : kHeldElsewhere) {
        SCOPED_TRACE(row.name);
        Session session;
        const std::string dir = newFolder(session, "hk-held");
        writeFile(profileIn(dir), residentProfile(""));
        startHushWindows(session);
        ASSERT_TRUE(holdHotKey(session, 0x4001, row.held.modifiers, row.held.key));
        const Launched app = startTracked(session, dir);

        const HWND box = findMessageBox("Error", row.refusal, app.processId);
        ASSERT_NE(box, nullptr) << "no refusal box";
        EXPECT_TRUE(boxSays(box, row.refusal));
        EXPECT_EQ(findMessageBox("Error", row.otherBox, app.processId, 0), nullptr);
        if (row.held.key == kCtrlAltF8.key && row.held.modifiers == kCtrlAltF8.modifiers) {
            // The box is modal: the switch key is not registered until it goes.
            EXPECT_FALSE(taken(kCtrlF8));
        }
        dismissBox(box);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
        ASSERT_TRUE(switchRoundTrip(session, app)) << "the program did not go on";
        EXPECT_EQ(countDialogs("Error", app.processId), 0);

        if (row.refusal == kSwitchKeyRefused) {
            press(session, kCtrlF8);  // reaches this thread, not the program
            pumpFor(500);
            EXPECT_EQ(visibility(session.host.windows), kAllShown);
            press(session, kCtrlAltF8);
            const HWND dialog = findDialog(kSettingsCaption, app.processId);
            ASSERT_NE(dialog, nullptr) << "the settings hot key was lost";
            // Leaving the dialog tries again, and is refused again; the box
            // is up before the dialog's modal loop has let it go.
            clickButton(dialog, kHideDialogButton);
            const HWND again = findMessageBox("Error", kSwitchKeyRefused, app.processId);
            ASSERT_NE(again, nullptr) << "the second refusal was not reported";
            dismissBox(again);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
            ASSERT_TRUE(switchRoundTrip(session, app));
        } else {
            expectSwitchWorks(session, kCtrlF8);
        }
    }
}

TEST(HotKeys, AKeyTakenWhileTheDialogIsOpenIsReportedWhenItIsLeft) {
    Session session;
    const std::string dir = newFolder(session, "hk-rearm");
    writeFile(profileIn(dir), residentProfile(""));
    startHushWindows(session);
    const Launched app = startTracked(session, dir);
    ASSERT_TRUE(switchRoundTrip(session, app));
    press(session, kCtrlAltF8);
    const HWND dialog = findDialog(kSettingsCaption, app.processId);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(holdHotKey(session, 0x4002, kCtrlF8.modifiers, kCtrlF8.key));

    clickButton(dialog, kHideDialogButton);
    const HWND box = findMessageBox("Error", kSwitchKeyRefused, app.processId);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "reported before the dialog was ended";
    dismissBox(box);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && !IsWindow(box); }));
    ASSERT_TRUE(switchRoundTrip(session, app));

    // Given back, the combination is registered at the next leaving.
    releaseHotKey(session, 0x4002);
    press(session, kCtrlAltF8);
    const HWND reopened = findDialog(kSettingsCaption, app.processId);
    ASSERT_NE(reopened, nullptr);
    ASSERT_TRUE(hideDialog(reopened));
    expectSwitchWorks(session, kCtrlF8);
}

TEST(HotKeys, TheSameCombinationForBothGoesToTheSettings) {
    Session session;
    const std::string dir = newFolder(session, "hk-same");
    writeFile(profileIn(dir), residentProfile("Switch=1655\r\nShowSettings=1655\r\n"));
    startHushWindows(session);
    const Launched app = startTracked(session, dir);

    const HWND box = findMessageBox("Error", kSwitchKeyRefused, app.processId);
    ASSERT_NE(box, nullptr) << "the switch registration was not refused";
    EXPECT_EQ(findMessageBox("Error", kSettingsKeyRefused, app.processId, 0), nullptr);
    dismissBox(box);
    ASSERT_TRUE(switchRoundTrip(session, app));

    press(session, kCtrlAltF8);
    const HWND dialog = findDialog(kSettingsCaption, app.processId);
    ASSERT_NE(dialog, nullptr) << "the combination did not open the settings";
    EXPECT_EQ(visibility(session.host.windows), kAllShown);
    clickButton(dialog, kHideDialogButton);
    // Registered again on leaving: the same collision, the same report.
    const HWND again = findMessageBox("Error", kSwitchKeyRefused, app.processId);
    ASSERT_NE(again, nullptr);
    dismissBox(again);
    ASSERT_TRUE(switchRoundTrip(session, app));
}

struct ZeroWord {
    const char* name;
    const char* hotkeys;
    const char* refusal;  // shown if the system refuses key 0
    Combination otherKeys;
    bool otherIsSwitch;
};

static const ZeroWord kZeroWords[] = {
    {"switch 0", "Switch=0\r\n", kSwitchKeyRefused, kCtrlAltF8, false},
    {"settings 0", "ShowSettings=0\r\n", kSettingsKeyRefused, kCtrlF8, true},
};

TEST(HotKeys, AWordOfZeroIsOfferedAsItIs) {
    for (const ZeroWord& row : kZeroWords) {
        SCOPED_TRACE(row.name);
        Session session;
        const std::string dir = newFolder(session, "hk-zero");
        writeFile(profileIn(dir), residentProfile(row.hotkeys));
        startHushWindows(session);
        // The system decides about key 0 without modifiers; ask it first.
        const bool systemRefuses = taken({0, 0});
        RecordProperty("refusesKeyZero", systemRefuses ? "yes" : "no");
        const Launched app = startTracked(session, dir);
        if (systemRefuses) {
            const HWND box = findMessageBox("Error", row.refusal, app.processId);
            ASSERT_NE(box, nullptr) << "key 0 was refused without a report";
            dismissBox(box);
        }
        // Reaching the event loop proves there is no box left to close.
        ASSERT_TRUE(switchRoundTrip(session, app));
        if (row.otherIsSwitch) {
            expectSwitchWorks(session, row.otherKeys);
        } else {
            press(session, row.otherKeys);
            const HWND dialog = findDialog(kSettingsCaption, app.processId);
            ASSERT_NE(dialog, nullptr);
            clickButton(dialog, kHideDialogButton);
            if (systemRefuses) {
                // Reported again from inside the dialog's last command.
                const HWND again = findMessageBox("Error", row.refusal, app.processId);
                ASSERT_NE(again, nullptr);
                dismissBox(again);
            }
            EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
            ASSERT_TRUE(switchRoundTrip(session, app));
        }
        EXPECT_EQ(waitForExit(app, 0), STILL_ACTIVE);
    }
}
