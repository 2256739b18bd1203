#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/switcher.h"
#include "dialogs.h"
#include "e2e_fixture.h"
#include "exe_under_test.h"
#include "files.h"
#include "ini_reading.h"
#include "instrumented_windows.h"
#include "processes.h"
#include "settings/profile.h"
#include "waiting.h"
#include "window_host.h"

using BadProfileTest = HushdeskE2e;

// A fixed pseudo-random generator: the same bytes on every run.
static std::string noiseBytes(size_t count, unsigned seed) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>((seed >> 16) & 0xFF);
    }
    return bytes;
}

static std::string longValueEndingIn(const std::string& last, size_t length) {
    std::string value;
    for (int i = 0; value.size() + last.size() + 1 < length; ++i) {
        value += "filler " + std::to_string(i) + "|";
    }
    value.resize(length - last.size() - 1, 'f');
    return value + "|" + last;
}

// A refused hot key is reported in a box the program waits on; close each.
static int closeHotKeyBoxes(const Launched& app) {
    int closed = 0;
    while (closed < 2) {
        const HWND box = findMessageBox("Error", "Hot key", app.processId, 1000);
        if (!box) {
            break;
        }
        clickButton(box, IDOK);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
        ++closed;
    }
    return closed;
}

struct BadCase {
    const char* note;
    std::string content;
    const char* expected;  // visibility after a switch; null: as the reader reads the file
};

static const std::vector<std::string> kTitles = {"Alpha one", "Beta", "Tail window"};

// What the program should do with a file: the profile reader decides what it
// holds, the title test what that means.
static std::string expectedFromReader(const std::string& path, bool& dialog) {
    g_settings = Settings();
    loadSettingsFrom(path);
    dialog = g_settings.showSettingsOnStartup != 0;
    std::string expected;
    for (const std::string& title : kTitles) {
        expected += shouldHide(title.c_str()) ? '0' : '1';
    }
    g_settings = Settings();
    return expected;
}

// Whatever the profile holds, the program starts, acts on what it read,
// and neither crashes nor hangs.
TEST_F(BadProfileTest, StartsAndSwitchesWhateverTheProfileHolds) {
    const std::string settings =
        "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n";
    const BadCase cases[] = {
        {"garbage numbers",
         "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=no\r\nExcludeMode=zzz\r\n"
         "[Hotkeys]\r\nSwitch=abc\r\nShowSettings=@@\r\n",
         "011"},
        {"negative numbers",
         "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=-1\r\n"
         "[Hotkeys]\r\nSwitch=-1\r\nShowSettings=-631\r\n",
         "100"},
        {"huge numbers",
         "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=2147483647\r\n"
         "[Hotkeys]\r\nSwitch=99999999999\r\nShowSettings=4294967295\r\n",
         "100"},
        {"huge hot keys that still mean Ctrl+F8 and Ctrl+Alt+F8",
         "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n"
         "[Hotkeys]\r\nSwitch=66167\r\nShowSettings=67191\r\n",
         "011"},
        {"a 100,000-character Windows value",
         "[General]\r\nWindows=" + longValueEndingIn("Tail|", 100000) +
             "\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n",
         "110"},
        {"NUL and control bytes",
         "[General]\r\nWindows=Al\x01\x7f|Tail\r\n" + std::string("\0\0\0zz\r\n", 7) +
             "ShowSettingsOnStartup=0\r\nExcludeMode=0\r\n",
         "110"},
        {"noise after the settings", settings + noiseBytes(2000, 7), nullptr},
        {"noise before the settings", noiseBytes(2000, 8) + "\r\n" + settings, nullptr},
        {"noise only", noiseBytes(4096, 9), nullptr},
    };
    for (const BadCase& c : cases) {
        writeProfile(c.content);
        bool dialog = false;
        const std::string copy = dir + "\\oracle.ini";
        ASSERT_TRUE(CopyFileA(profile().c_str(), copy.c_str(), FALSE));
        std::string expected = expectedFromReader(copy, dialog);
        DeleteFileA(copy.c_str());
        if (c.expected) {
            ASSERT_FALSE(dialog) << c.note;
            ASSERT_EQ(expected, c.expected) << c.note << ": what the reader makes of it";
        }
        WindowHost& host = addHost(kTitles);
        start();
        ASSERT_NE(app.process, nullptr) << c.note;
        const int boxes = closeHotKeyBoxes(app);
        RecordProperty(std::string("boxes ") + c.note, boxes);
        if (dialog) {
            EXPECT_NE(findDialog("Hushdesk settings", app.processId), nullptr) << c.note;
        } else {
            instrumentWindows(host.windows);
            takeShowLog();
            ASSERT_TRUE(switchOnce()) << c.note;
            if (expected.find('0') != std::string::npos) {
                waitForRecord();
                syncHosts();
                EXPECT_EQ(visibility(host.windows), expected) << c.note;
                ASSERT_TRUE(switchOnce()) << c.note;
                waitForEmptyRecord();
                syncHosts();
                EXPECT_EQ(visibility(host.windows), "111") << c.note << ": restored";
            } else {
                // Nothing to hide, so no record: ending the program is the
                // barrier, and no window may have been hidden on the way.
                PostThreadMessageA(app.threadId, WM_QUIT, 0, 0);
                EXPECT_EQ(waitForExit(app), 0u) << c.note;
                syncHosts();
                EXPECT_TRUE(takeShowLog().empty()) << c.note;
            }
        }
        PostThreadMessageA(app.threadId, WM_QUIT, 0, 0);
        EXPECT_EQ(waitForExit(app), 0u) << c.note;
        killProgram(app);
        stopWindowHost(host);
        hosts.pop_back();
    }
}

// A profile the program can read but not write (held open by another
// program that denies writers, in a read-only folder): it starts and
// switches all the same, and leaves the file as it was.
TEST_F(BadProfileTest, UnwritableProfile) {
    const std::string content = quietProfile("Alpha|", "0");
    writeProfile(content);
    ASSERT_TRUE(CopyFileA(hushdeskExe().c_str(), (dir + "\\Hushdesk.exe").c_str(), FALSE));
    ASSERT_TRUE(SetFileAttributesA(profile().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_READONLY));
    struct Lock {
        HANDLE file;
        ~Lock() { CloseHandle(file); }
    } lock{CreateFileA(profile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                       nullptr)};
    ASSERT_NE(lock.file, INVALID_HANDLE_VALUE);

    WindowHost& host = addHost({"Alpha one", "Beta"});
    app = launchHushdesk(dir);
    ASSERT_NE(app.process, nullptr);
    // No thread id can be recorded: post until its queue takes the message.
    EXPECT_TRUE(waitFor([&] { return switchOnce(); }));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; }));
    ASSERT_TRUE(switchOnce());
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; }));
    ASSERT_TRUE(switchOnce());
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; }));
    EXPECT_EQ(readFile(profile()), content) << "nothing could be written";

    ASSERT_TRUE(post(WM_QUIT, 0));
    EXPECT_EQ(waitForExit(app), 0u);
    syncHosts();
    EXPECT_EQ(visibility(host.windows), "11");
}

// The profile follows the exe's name: Hide.exe reads Hide.ini and does not
// see Hushdesk.ini beside it. Without a profile of its own it starts with
// the defaults (the dialog opens) and records nothing but its thread id.
TEST_F(BadProfileTest, ProfileFollowsTheExeName) {
    const std::string other = quietProfile("Alpha|", "1");
    writeProfile(other);
    app = startHushdesk(dir, "Hide.exe");
    ASSERT_NE(app.process, nullptr);
    EXPECT_NE(findDialog("Hushdesk settings", app.processId), nullptr);
    const std::string own = profileIn(dir, "Hide.exe");
    std::vector<std::string> lines;
    splitTokens(readFile(own), "\r\n", lines);
    ASSERT_EQ(lines.size(), 2u) << readFile(own);
    EXPECT_EQ(lines[0], "[Internal]");
    EXPECT_EQ(lines[1], "ThreadId=" + std::to_string(app.threadId));
    EXPECT_EQ(readFile(profile()), other);
    ASSERT_TRUE(post(WM_QUIT, 0));
    EXPECT_EQ(waitForExit(app), 0u);
}
