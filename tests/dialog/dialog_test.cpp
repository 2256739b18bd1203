// The settings dialog of the real Hushdesk.exe, driven from outside: its
// controls read and set with messages sent across processes, its buttons
// clicked, keys typed through SendInput, and the INI it leaves checked.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "checked_files.h"
#include "dialogs.h"
#include "exe_under_test.h"
#include "files.h"
#include "hushdesk_version.h"
#include "ini_reading.h"
#include "keyboard.h"
#include "processes.h"
#include "readiness.h"
#include "waiting.h"
#include "window_host.h"

static const char kCaption[] = "Hushdesk settings";
static const char kBanner[] = " \\_o< ~ Hushdesk " HUSHDESK_RELEASE;

// Control ids of the dialog, as the program's resources number them.
static const int kHideDialog = 1005;
static const int kQuit = 1006;
static const int kMode = 1001;
static const int kTitles = 1004;
static const int kSwitchHotKey = 1007;
static const int kSettingsHotKey = 1008;
static const int kShowOnStartup = 1009;
static const int kHelp = 1010;

// HotKeyWords: virtual key in the low byte, HOTKEYF_ flags in the high one.
static const int kCtrlF8 = 0x0277;
static const int kCtrlAltF8 = 0x0677;
static const int kCtrlShiftF9 = (HOTKEYF_CONTROL | HOTKEYF_SHIFT) << 8 | VK_F9;
static const int kAltShiftF10 = (HOTKEYF_ALT | HOTKEYF_SHIFT) << 8 | VK_F10;

// ---- reading and driving the dialog --------------------------------------

static LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

static LRESULT sendToItem(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return sendTo(GetDlgItem(dialog, id), message, wParam, lParam);
}

static std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

static void setItemText(HWND dialog, int id, const std::string& text) {
    sendToItem(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The combo's items, read with the wide message: Wine hands the ANSI one back
// in UTF-16 across processes.
static std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    const int count = static_cast<int>(sendTo(combo, CB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length);
        std::string item;
        for (const wchar_t* c = text; *c; ++c) {
            item += static_cast<char>(*c);  // the items are plain ASCII
        }
        items.push_back(item);
    }
    return items;
}

static HWND statusBarOf(HWND dialog) {
    return FindWindowExA(dialog, nullptr, STATUSCLASSNAMEA, nullptr);
}

static HWND focusOf(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

static bool running(const Launched& app) {
    return WaitForSingleObject(app.process, 0) == WAIT_TIMEOUT;
}

// Section names of an INI file, or its key names in one section, in file
// order and joined with commas.
static std::string joinedList(const std::vector<char>& buffer, bool keysOnly) {
    std::string result;
    for (const char* entry = buffer.data(); *entry; entry += std::strlen(entry) + 1) {
        std::string name = entry;
        if (keysOnly) {
            name = name.substr(0, name.find('='));
        }
        result += (result.empty() ? "" : ",") + name;
    }
    return result;
}

static std::string iniSections(const std::string& path) {
    std::vector<char> buffer(8192);
    GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    return joinedList(buffer, false);
}

static std::string iniKeys(const std::string& path, const char* section) {
    std::vector<char> buffer(8192);
    GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()),
                              path.c_str());
    return joinedList(buffer, true);
}

// What the five settings keys of a profile hold.
struct SavedSettings {
    std::string windows;
    std::string showSettingsOnStartup;
    std::string excludeMode;
    std::string switchHotKey;
    std::string showSettingsHotKey;
};

static SavedSettings savedIn(const std::string& profile) {
    return {iniValue(profile, "General", "Windows"),
            iniValue(profile, "General", "ShowSettingsOnStartup"),
            iniValue(profile, "General", "ExcludeMode"), iniValue(profile, "Hotkeys", "Switch"),
            iniValue(profile, "Hotkeys", "ShowSettings")};
}

static void expectSaved(const std::string& profile, const SavedSettings& expected) {
    const SavedSettings saved = savedIn(profile);
    EXPECT_EQ(saved.windows, expected.windows);
    EXPECT_EQ(saved.showSettingsOnStartup, expected.showSettingsOnStartup);
    EXPECT_EQ(saved.excludeMode, expected.excludeMode);
    EXPECT_EQ(saved.switchHotKey, expected.switchHotKey);
    EXPECT_EQ(saved.showSettingsHotKey, expected.showSettingsHotKey);
}

// Every test starts from no Hushdesk at all and leaves none behind, even
// when an assertion stops it half-way.
class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        killStrayHushdesks();
        dir = makeTempDir("dialog");
        profile = profileIn(dir);
    }
    void TearDown() override {
        killProgram(app);
        stopWindowHost(host);
        for (int id : ownHotKeys) {
            UnregisterHotKey(nullptr, id);
        }
        removeTree(dir);
    }

    // Starts Hushdesk on `ini` (none when empty); the profile must make it
    // open the dialog at start-up.
    HWND launchWithDialog(const std::string& ini) {
        if (ini.empty()) {
            DeleteFileA(profile.c_str());
        } else {
            writeFile(profile, ini);
        }
        app = launchHushdesk(dir);
        if (!app.process) {
            return nullptr;
        }
        HWND dialog = findDialog(kCaption, app.processId);
        if (dialog) {
            WaitForInputIdle(app.process, 5000);
        }
        return dialog;
    }

    // Starts Hushdesk on a profile with ShowSettingsOnStartup=0 and opens the
    // dialog through the hand-off message.
    HWND startThenOpenDialog(const std::string& ini) {
        writeFile(profile, ini);
        app = startHushdesk(dir);
        if (!app.process || !postCommand(app, WM_USER, 0)) {
            return nullptr;
        }
        HWND dialog = findDialog(kCaption, app.processId);
        if (dialog) {
            WaitForInputIdle(app.process, 5000);
        }
        return dialog;
    }

    bool dialogIsForeground(HWND dialog) {
        return waitFor([&] { return GetForegroundWindow() == dialog; }, 5000);
    }

    // Moves the focus inside the dialog (posted, as the dialog manager wants)
    // and waits until it is there.
    bool focusItem(HWND dialog, int id) {
        HWND item = GetDlgItem(dialog, id);
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
        return waitFor([&] { return focusOf(app.threadId) == item; }, 5000);
    }

    bool dialogEnded(HWND dialog) {
        return waitFor([&] { return !IsWindow(dialog); });
    }

    std::string dir;
    std::string profile;
    Launched app;
    WindowHost host;
    std::vector<int> ownHotKeys;
};

// ---- what the dialog shows -----------------------------------------------

struct ContentsCase {
    const char* name;
    const char* ini;     // "" for no profile at all
    bool openAtStartUp;  // else opened with WM_USER 0 from a running copy
    // What the controls show:
    const char* titles;
    int mode;
    int switchHotKey;
    int settingsHotKey;
    bool showOnStartup;
    // What leaving it unchanged through "Hide this dialog" saves:
    SavedSettings saved;
};

static const ContentsCase kContentsCases[] = {
    {"every key set",
     "[General]\r\nWindows=Notepad|Word|\r\nShowSettingsOnStartup=1\r\nExcludeMode=1\r\n"
     "[Hotkeys]\r\nSwitch=888\r\nShowSettings=1401\r\n",
     true,
     "Notepad\r\nWord\r\n",
     1,
     kCtrlShiftF9,
     kAltShiftF10,
     true,
     {"Notepad|Word|", "1", "1", "888", "1401"}},
    // An out-of-range mode selects nothing and is saved as -1; empty runs
    // of bars give no sentence; absent hot keys take their defaults.
    {"odd values, opened by hand-off",
     "[General]\r\nWindows=||a||b\r\nShowSettingsOnStartup=0\r\nExcludeMode=5\r\n",
     false,
     "a\r\nb\r\n",
     -1,
     kCtrlF8,
     kCtrlAltF8,
     false,
     {"a|b|", "0", "-1", "631", "1655"}},
    {"no profile", "", true, "", 0, kCtrlF8, kCtrlAltF8, true, {"", "1", "0", "631", "1655"}},
};

TEST_F(SettingsDialog, ShowsTheSettingsAndSavesThemUnchanged) {
    for (const ContentsCase& c : kContentsCases) {
        SCOPED_TRACE(c.name);
        HWND dialog = c.openAtStartUp ? launchWithDialog(c.ini) : startThenOpenDialog(c.ini);
        ASSERT_NE(dialog, nullptr);

        EXPECT_EQ(itemText(dialog, kTitles), c.titles);
        EXPECT_EQ(comboItems(GetDlgItem(dialog, kMode)),
                  (std::vector<std::string>{"containing", "except those containing"}));
        EXPECT_EQ(sendToItem(dialog, kMode, CB_GETCURSEL), c.mode);
        EXPECT_EQ(sendToItem(dialog, kSwitchHotKey, HKM_GETHOTKEY), c.switchHotKey);
        EXPECT_EQ(sendToItem(dialog, kSettingsHotKey, HKM_GETHOTKEY), c.settingsHotKey);
        EXPECT_EQ(sendToItem(dialog, kShowOnStartup, BM_GETCHECK),
                  c.showOnStartup ? BST_CHECKED : BST_UNCHECKED);

        // No system menu, so no close button.
        const LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_EQ(style & WS_SYSMENU, 0);
        // The program's icon in the dialog. (Its taskbar icon cannot be read
        // from here: Wine 8 fails WM_GETICON sent from another process.)
        HWND iconControl = nullptr;
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                char className[32] = {};
                GetClassNameA(child, className, sizeof className);
                if (_stricmp(className, "Static") == 0) {
                    iconControl = child;
                }
            }
        }
        ASSERT_NE(iconControl, nullptr);
        EXPECT_NE(sendTo(iconControl, STM_GETICON), 0);

        // The status bar: one part along the whole bottom edge, the banner
        // first. WM_GETTEXT on a status bar gives its part 0.
        HWND statusBar = statusBarOf(dialog);
        ASSERT_NE(statusBar, nullptr);
        EXPECT_EQ(sendTo(statusBar, SB_GETPARTS), 1);
        const std::string status = windowText(statusBar);
        EXPECT_EQ(status.substr(0, sizeof kBanner), std::string(kBanner) + " ") << status;
        EXPECT_GT(status.size(), sizeof kBanner) << "a notice follows the banner";
        RECT client = {};
        RECT bar = {};
        GetClientRect(dialog, &client);
        GetWindowRect(statusBar, &bar);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bar), 2);
        EXPECT_EQ(bar.left, client.left);
        EXPECT_EQ(bar.right, client.right);
        EXPECT_EQ(bar.bottom, client.bottom);

        // Read back unchanged, the dialog gives the same settings.
        clickButton(dialog, kHideDialog);
        ASSERT_TRUE(dialogEnded(dialog));
        expectSaved(profile, c.saved);
        killProgram(app);
    }
}

// Lists far beyond the 1024-byte buffers of the text forms: the box shows
// the whole list and is read back whole, however long.
TEST_F(SettingsDialog, LongListsAreShownAndSavedWhole) {
    std::string profileForm;
    std::string dialogForm;
    for (int i = 0; i < 150; ++i) {
        const std::string sentence = "Window title number " + std::to_string(i);
        profileForm += sentence + "|";
        dialogForm += sentence + "\r\n";
    }
    ASSERT_GT(profileForm.size(), 2048u);
    HWND dialog =
        launchWithDialog("[General]\r\nWindows=" + profileForm + "\r\nShowSettingsOnStartup=1\r\n");
    ASSERT_NE(dialog, nullptr);
    HWND titles = GetDlgItem(dialog, kTitles);
    std::vector<char> shown(static_cast<size_t>(sendTo(titles, WM_GETTEXTLENGTH)) + 1);
    sendTo(titles, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(shown.data()));
    EXPECT_EQ(std::string(shown.data()), dialogForm);

    // Twice as long again on screen, the last sentence without a line break.
    std::string typed = dialogForm + dialogForm + "The last one";
    setItemText(dialog, kTitles, typed);
    clickButton(dialog, kHideDialog);
    ASSERT_TRUE(dialogEnded(dialog));
    EXPECT_EQ(iniValue(profile, "General", "Windows"), profileForm + profileForm + "The last one|");
}

// ---- leaving the dialog ----------------------------------------------------

TEST_F(SettingsDialog, HideSavesWhatIsOnScreenAndArmsTheNewHotKeys) {
    host = startWindowHost({"Notepad - notes.txt", "Calculator", "Word - letter.doc"});
    HWND dialog = launchWithDialog(
        "[General]\r\nWindows=Old|\r\nShowSettingsOnStartup=1\r\nExcludeMode=1\r\n");
    ASSERT_NE(dialog, nullptr);

    // Blank lines, a lone LF and a sentence holding the profile's own
    // delimiter, then other hot keys and options.
    setItemText(dialog, kTitles, "Notepad\r\n\r\n\r\na|b\nWord");
    sendToItem(dialog, kMode, CB_SETCURSEL, 0);
    sendToItem(dialog, kSwitchHotKey, HKM_SETHOTKEY, kCtrlShiftF9);
    sendToItem(dialog, kSettingsHotKey, HKM_SETHOTKEY, kAltShiftF10);
    sendToItem(dialog, kShowOnStartup, BM_SETCHECK, BST_UNCHECKED);
    clickButton(dialog, kHideDialog);

    ASSERT_TRUE(dialogEnded(dialog));
    EXPECT_TRUE(running(app));
    expectSaved(profile, {"Notepad|a|b|Word|", "0", "0", "888", "1401"});

    // The new switch combination hides the matching windows...
    waitUntilIdle(app);
    pressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "010"; }))
        << visibility(host.windows);
    // ...and the new settings combination brings the dialog back, built
    // afresh from what was saved.
    pressKeys({VK_MENU, VK_SHIFT, VK_F10});
    dialog = findDialog(kCaption, app.processId);
    ASSERT_NE(dialog, nullptr);
    WaitForInputIdle(app.process, 5000);
    EXPECT_EQ(itemText(dialog, kTitles), "Notepad\r\na|b\r\nWord\r\n");
    EXPECT_EQ(sendToItem(dialog, kMode, CB_GETCURSEL), 0);
    EXPECT_EQ(sendToItem(dialog, kSwitchHotKey, HKM_GETHOTKEY), kCtrlShiftF9);
    EXPECT_EQ(sendToItem(dialog, kSettingsHotKey, HKM_GETHOTKEY), kAltShiftF10);
    EXPECT_EQ(sendToItem(dialog, kShowOnStartup, BM_GETCHECK), BST_UNCHECKED);
}

TEST_F(SettingsDialog, QuitShowsHiddenWindowsSavesAndEndsTheProgram) {
    host = startWindowHost({"Alpha one", "Beta", "Alpha two"});
    writeFile(profile,
              "[General]\r\nWindows=Alpha|\r\nShowSettingsOnStartup=0\r\nExcludeMode=0\r\n");
    app = startHushdesk(dir);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(waitFor([&] { return visibility(host.windows) == "010"; }));
    ASSERT_TRUE(postCommand(app, WM_USER, 0));
    HWND dialog = findDialog(kCaption, app.processId);
    ASSERT_NE(dialog, nullptr);

    // On screen: other sentences (the last without a line break), no mode
    // selected, a cleared hot key field, the start-up box checked.
    setItemText(dialog, kTitles, "Gamma\r\nDelta");
    sendToItem(dialog, kMode, CB_SETCURSEL, static_cast<WPARAM>(-1));
    sendToItem(dialog, kSettingsHotKey, HKM_SETHOTKEY, 0);
    sendToItem(dialog, kShowOnStartup, BM_SETCHECK, BST_CHECKED);
    clickButton(dialog, kQuit);

    EXPECT_EQ(waitForExit(app), 0u);
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "111"; }))
        << visibility(host.windows);
    expectSaved(profile, {"Gamma|Delta|", "1", "-1", "631", "0"});
}

// Esc and every kind of close request end up as IDCANCEL, which does
// nothing: the dialog stays and nothing is written.
TEST_F(SettingsDialog, EscAndCloseRequestsLeaveItOpenAndSaveNothing) {
    HWND dialog = launchWithDialog("[General]\r\nWindows=Kept|\r\nShowSettingsOnStartup=1\r\n");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialogIsForeground(dialog));
    const std::string before = readFile(profile);
    setItemText(dialog, kTitles, "Changed\r\n");
    HWND hide = GetDlgItem(dialog, kHideDialog);
    HWND quit = GetDlgItem(dialog, kQuit);
    ASSERT_EQ(focusOf(app.threadId), hide);

    struct Request {
        const char* name;
        void (*send)(HWND dialog);
    };
    const Request requests[] = {
        {"IDCANCEL", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
        {"Esc key", [](HWND) { pressKeys({VK_ESCAPE}); }},
        {"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }},
        {"SC_CLOSE", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4",
         [](HWND) {
             pressKeys({VK_MENU, VK_F4});
         }},
    };
    bool forward = true;
    for (const Request& request : requests) {
        SCOPED_TRACE(request.name);
        request.send(dialog);
        // Tab (or Shift+Tab) after it: once the focus has moved, the request
        // and whatever it posted have been handled, by a dialog still alive.
        if (forward) {
            pressKeys({VK_TAB});
        } else {
            pressKeys({VK_SHIFT, VK_TAB});
        }
        HWND expected = forward ? quit : hide;
        forward = !forward;
        ASSERT_TRUE(waitFor([&] { return focusOf(app.threadId) == expected; }, 5000));
        EXPECT_TRUE(IsWindowVisible(dialog));
    }
    EXPECT_TRUE(running(app));
    EXPECT_EQ(itemText(dialog, kTitles), "Changed\r\n");
    EXPECT_EQ(readFile(profile), before);
}

// Enter leaves the dialog as "Hide this dialog" does, wherever the focus is
// but in the sentences box.
TEST_F(SettingsDialog, EnterActsAsHideThisDialog) {
    const int focusCases[] = {kHideDialog, kMode, kShowOnStartup};
    for (int focus : focusCases) {
        SCOPED_TRACE(focus);
        host = startWindowHost({"Target window", "Bystander"});
        HWND dialog = launchWithDialog("[General]\r\nWindows=Target|\r\nExcludeMode=0\r\n");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialogIsForeground(dialog));
        if (focus == kHideDialog) {
            // Where the dialog puts it when it opens.
            ASSERT_EQ(focusOf(app.threadId), GetDlgItem(dialog, kHideDialog));
        } else {
            ASSERT_TRUE(focusItem(dialog, focus));
        }
        pressKeys({VK_RETURN});

        ASSERT_TRUE(dialogEnded(dialog));
        EXPECT_TRUE(running(app));
        expectSaved(profile, {"Target|", "1", "0", "631", "1655"});
        // The hot keys are armed.
        waitUntilIdle(app);
        pressKeys({VK_CONTROL, VK_F8});
        EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "01"; }))
            << visibility(host.windows);
        killProgram(app);
        stopWindowHost(host);
        DeleteFileA(profile.c_str());
    }
}

TEST_F(SettingsDialog, EnterInTheSentencesBoxAddsALine) {
    HWND dialog = launchWithDialog("[General]\r\nWindows=One|\r\nShowSettingsOnStartup=1\r\n");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialogIsForeground(dialog));
    const std::string before = readFile(profile);
    ASSERT_TRUE(focusItem(dialog, kTitles));
    // The focus selected the whole text: put the caret after "One" instead.
    sendToItem(dialog, kTitles, EM_SETSEL, 3, 3);
    pressKeys({VK_RETURN});
    pressKeys({'T'});
    EXPECT_TRUE(waitFor([&] { return itemText(dialog, kTitles) == "One\r\nt\r\n"; }, 5000))
        << itemText(dialog, kTitles);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(readFile(profile), before);

    // What Enter made is what "Hide this dialog" saves.
    clickButton(dialog, kHideDialog);
    ASSERT_TRUE(dialogEnded(dialog));
    EXPECT_EQ(iniValue(profile, "General", "Windows"), "One|t|");
}

// ---- help ------------------------------------------------------------------

// The harness starts Hushdesk in its temporary folder, where there is no
// Hushdesk.chm: both ways of asking for help report it, and the dialog stays.
TEST_F(SettingsDialog, HelpWithoutTheHelpFileSaysSo) {
    HWND dialog = launchWithDialog("[General]\r\nShowSettingsOnStartup=1\r\n");
    ASSERT_NE(dialog, nullptr);
    ASSERT_FALSE(fileExists(dir + "\\Hushdesk.chm"));
    const std::string before = readFile(profile);

    struct Ask {
        const char* name;
        void (*send)(HWND dialog);
    };
    const Ask asks[] = {
        {"Help button", [](HWND d) { clickButton(d, kHelp); }},
        {"F1", [](HWND) { pressKeys({VK_F1}); }},
    };
    for (const Ask& ask : asks) {
        SCOPED_TRACE(ask.name);
        ASSERT_TRUE(dialogIsForeground(dialog));
        ask.send(dialog);
        HWND box = findMessageBox("Error", "Hushdesk.chm not found", app.processId);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
        clickButton(box, IDOK);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_TRUE(running(app));
    }
    EXPECT_EQ(readFile(profile), before);
}

// Beside Hushdesk.chm, Help hands the file to the system's viewer (here
// Wine's hh.exe, through the .chm association) and reports nothing.
static std::vector<DWORD> helpViewers() {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "hh.exe") == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

static void endHelpViewers() {
    for (DWORD id : helpViewers()) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

TEST_F(SettingsDialog, HelpOpensTheHelpFileBesideIt) {
    const std::string exe = hushdeskExe();
    const std::string chm = exe.substr(0, exe.find_last_of('\\')) + "\\Hushdesk.chm";
    ASSERT_TRUE(fileExists(chm)) << chm << " is built beside the exe";
    ASSERT_TRUE(CopyFileA(chm.c_str(), (dir + "\\Hushdesk.chm").c_str(), FALSE));
    endHelpViewers();
    HWND dialog = launchWithDialog("[General]\r\nShowSettingsOnStartup=1\r\n");
    ASSERT_NE(dialog, nullptr);

    clickButton(dialog, kHelp);
    EXPECT_TRUE(waitFor([] { return !helpViewers().empty(); })) << "no help viewer started";
    EXPECT_EQ(findMessageBox("Error", "Hushdesk.chm not found", app.processId, 500), nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(running(app));
    endHelpViewers();
}

// ---- the dialog of the first start -------------------------------------------

TEST_F(SettingsDialog, FirstStartOpensItAndQuitNeverArmsTheHotKeys) {
    // A first start with no profile: the dialog opens, and as long as it is
    // not left only the thread id is written.
    HWND dialog = launchWithDialog("");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(iniSections(profile), "Internal");
    EXPECT_EQ(iniKeys(profile, "Internal"), "ThreadId");
    killProgram(app);
    EXPECT_EQ(iniSections(profile), "Internal");
    EXPECT_EQ(iniKeys(profile, "Internal"), "ThreadId");

    // Started again, it still has no settings: the dialog opens again.
    dialog = launchWithDialog("");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(iniValue(profile, "Internal", "ThreadId"),
              std::to_string(static_cast<int>(app.threadId)));
    // The default hot keys are free while the start-up dialog is open. Held
    // here from now on, they would make any registration by Hushdesk fail
    // with a message box that would keep it from ending.
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F8));
    ownHotKeys.push_back(1);
    ASSERT_TRUE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_ALT, VK_F8));
    ownHotKeys.push_back(2);

    clickButton(dialog, kQuit);
    EXPECT_EQ(waitForExit(app), 0u);
    EXPECT_EQ(iniSections(profile), "Internal,General,Hotkeys");
    EXPECT_EQ(iniKeys(profile, "Internal"), "ThreadId");
    EXPECT_EQ(iniKeys(profile, "General"), "Windows,ShowSettingsOnStartup,ExcludeMode");
    EXPECT_EQ(iniKeys(profile, "Hotkeys"), "Switch,ShowSettings");
    expectSaved(profile, {"", "1", "0", "631", "1655"});
}
