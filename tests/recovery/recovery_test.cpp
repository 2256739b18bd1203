// Crash recovery, end to end: the real Hushdesk.exe lists in Internal/
// HiddenWindows every window of a hide pass before the first one goes, and
// empties it once a restore pass has asked for the shows; a first instance
// shows what a killed one left hidden, but only windows that are still the
// recorded ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "checked_files.h"
#include "core/recovery.h"
#include "dialogs.h"
#include "exe_under_test.h"
#include "files.h"
#include "hidden_record.h"
#include "ini_reading.h"
#include "instrumented_windows.h"
#include "processes.h"
#include "resource.h"
#include "waiting.h"
#include "window_host.h"

namespace {

const char kSettings[] = "[General]\r\nWindows=Recov|\r\nShowSettingsOnStartup=0\r\n";
const char kDialogCaption[] = "Hushdesk settings";

// One record entry as the program writes it: HANDLE in hex (at least 8
// digits), a colon, the owner's pid in decimal.
std::string entryFor(HWND window, unsigned long long processId = GetCurrentProcessId()) {
    char text[64];
    std::snprintf(text, sizeof text, "%08llX:%llu",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)),
                  processId);
    return text;
}

std::string entriesFor(const std::vector<HWND>& windows) {
    std::string text;
    for (HWND window : windows) {
        text += (text.empty() ? "" : ",") + entryFor(window);
    }
    return text;
}

struct Among {
    const std::vector<HWND>* candidates;
    std::vector<HWND> found;
};

BOOL CALLBACK collectInOrder(HWND window, LPARAM parameter) {
    Among* among = reinterpret_cast<Among*>(parameter);
    for (HWND candidate : *among->candidates) {
        if (candidate == window) {
            among->found.push_back(window);
        }
    }
    return TRUE;
}

// The windows in the order a hide pass meets them (EnumWindows order).
std::vector<HWND> enumerationOrder(const std::vector<HWND>& windows) {
    Among among{&windows, {}};
    EnumWindows(collectInOrder, reinterpret_cast<LPARAM>(&among));
    return among.found;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The file's text without the record's line and, when the comparison
// spans two runs, without the thread id each new instance writes.
std::string withoutRunLines(const std::string& text, bool acrossRuns = false) {
    std::string rest;
    for (const std::string& line : linesOf(text)) {
        const bool threadId = line.compare(0, 9, "ThreadId=") == 0;
        if (line.compare(0, 14, "HiddenWindows=") != 0 && !(acrossRuns && threadId)) {
            rest += line + "\n";
        }
    }
    return rest;
}

std::string recordedIn(const std::string& profile) {
    return iniValue(profile, "Internal", "HiddenWindows");
}

void writeRecord(const std::string& profile, const std::string& record) {
    writeFile(profile, "[Internal]\r\nHiddenWindows=" + record + "\r\n" + kSettings);
}

void hideByHand(const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        ShowWindow(window, SW_HIDE);
    }
}

bool stillRunning(const Launched& app) {
    return waitForExit(app, 0) == STILL_ACTIVE;
}

// Opens the settings dialog by the hand-off message and waits for it: once
// it shows, everything posted before has been handled.
bool settle(const Launched& app) {
    return postCommand(app, WM_USER, 0) && findDialog(kDialogCaption, app.processId) != nullptr;
}

}  // namespace

TEST(Recovery, KilledInstanceLeavesRecordAndNextStartShowsWindows) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-kill");
    const std::string profile = profileIn(dir);
    writeFile(profile, kSettings);
    WindowHost host = startWindowHost({"Recov one", "Other", "Recov two", "Recov three"});
    const std::vector<HWND> hidOrder =
        enumerationOrder({host.windows[0], host.windows[2], host.windows[3]});
    ASSERT_EQ(hidOrder.size(), 3u);

    Launched app = startHushdesk(dir);
    const std::string started = readFile(profile);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(waitFor([&] { return visibility(host.windows) == "0100"; }));
    EXPECT_TRUE(waitFor([&] { return recordedIn(profile) == entriesFor(hidOrder); }))
        << "recorded: " << recordedIn(profile) << "\nexpected: " << entriesFor(hidOrder);
    EXPECT_EQ(withoutRunLines(readFile(profile)), withoutRunLines(started))
        << "nothing but HiddenWindows changes";

    killProgram(app);  // TerminateProcess: none of the program's code runs
    pumpFor(300);
    EXPECT_EQ(visibility(host.windows), "0100");
    EXPECT_EQ(recordedIn(profile), entriesFor(hidOrder));

    app = startHushdesk(dir);
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "1111"; }));
    EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
    EXPECT_EQ(withoutRunLines(readFile(profile), true), withoutRunLines(started, true));

    // The recovering instance starts like any other: the next switch hides.
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "0100"; }));
    killProgram(app);
    stopWindowHost(host);
    removeTree(dir);
}

// Every entry that no longer names the window that was hidden is dropped:
// only the last one, still ours and still hidden, is shown. It comes last,
// so once it shows every earlier show request would have been handled.
TEST(Recovery, LeavesAloneWhatIsNoLongerTheRecordedHiddenWindow) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-alone");
    const std::string profile = profileIn(dir);
    WindowHost host = startWindowHost({"Recov gone", "Recov foreign", "Recov shown", "Recov ours"});
    HWND gone = host.windows[0];
    HWND foreign = host.windows[1];
    HWND shownAgain = host.windows[2];
    HWND ours = host.windows[3];
    destroyHostWindow(host, gone);
    ASSERT_FALSE(IsWindow(gone));
    hideByHand({foreign, ours});
    ASSERT_EQ(visibility({foreign, shownAgain, ours}), "010");
    writeRecord(profile, entryFor(gone) + "," +
                             entryFor(foreign, GetCurrentProcessId() + 4) +  // another owner
                             "," + entryFor(shownAgain) + "," + entryFor(ours));

    Launched app = startHushdesk(dir);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(ours) != 0; }));
    EXPECT_EQ(visibility({foreign, shownAgain, ours}), "011");
    EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
    EXPECT_TRUE(stillRunning(app));
    // It is still at work: the switch hides what the sentences select.
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility({foreign, shownAgain, ours}) == "000"; }));
    killProgram(app);
    stopWindowHost(host);
    removeTree(dir);
}

// A damaged record is read entry by entry. In each row the windows marked
// '1' must come back and those marked '0' stay hidden; the last window is
// always a good entry, so its showing up means the pass is over.
TEST(Recovery, DamagedRecordRestoresEachGoodEntryAndNothingElse) {
    struct Row {
        const char* what;
        int windows;
        std::string (*record)(const std::vector<HWND>&);
        const char* expected;
    };
    const Row rows[] = {
        {"garbage between and after good entries", 2,
         [](const std::vector<HWND>& w) {
             return "zz:12," + entryFor(w[0]) + ",0001:,:5," + entryFor(w[1]) + ";junk, 123";
         },
         "11"},
        {"blanks, stray commas and bytes beyond ASCII", 2,
         [](const std::vector<HWND>& w) {
             return std::string(",, \xff\xfe:1,\x01,") + "  " + entryFor(w[0]) + " ,," +
                    entryFor(w[1]) + ",";
         },
         "11"},
        {"a pid beyond 32 bits must not wrap round to the real owner", 2,
         [](const std::vector<HWND>& w) {
             return entryFor(w[0], GetCurrentProcessId() + 0x100000000ull) + "," + entryFor(w[1]);
         },
         "01"},
        {"a handle beyond 64 bits must not be cut to the real one", 2,
         [](const std::vector<HWND>& w) {
             char wide[32];
             std::snprintf(wide, sizeof wide, "1%016llX",
                           static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w[0])));
             return std::string(wide) + ":" + std::to_string(GetCurrentProcessId()) + "," +
                    entryFor(w[1]);
         },
         "01"},
        {"a record cut short in its last entry", 2,
         [](const std::vector<HWND>& w) {
             const std::string last = entryFor(w[1]);
             return entryFor(w[0]) + "," + last + "," + last.substr(0, 5);
         },
         "11"},
        {"a record longer than any fixed buffer", 1,
         [](const std::vector<HWND>& w) {
             // 200 entries naming no window of ours, then the good one.
             std::string text;
             for (int i = 0; i < 200; ++i) {
                 char item[32];
                 std::snprintf(item, sizeof item, "7FFE%04X:1,", i);
                 text += item;
             }
             return text + entryFor(w[0]);
         },
         "1"},
    };
    killStrayHushdesks();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string dir = makeTempDir("recov-damaged");
        const std::string profile = profileIn(dir);
        std::vector<std::string> titles;
        for (int i = 0; i < row.windows; ++i) {
            titles.push_back("Recov damaged " + std::to_string(i));
        }
        WindowHost host = startWindowHost(titles);
        hideByHand(host.windows);
        writeRecord(profile, row.record(host.windows));

        Launched app = startHushdesk(dir);
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(host.windows.back()) != 0; }))
            << "recorded: " << recordedIn(profile);
        EXPECT_EQ(visibility(host.windows), row.expected);
        EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
        EXPECT_TRUE(stillRunning(app));
        killProgram(app);
        stopWindowHost(host);
        removeTree(dir);
    }
}

// Showing a recorded window must not wait for its owner: with the owner's
// thread held, the new instance still gets to its work (it hides another
// program's window); the recorded window shows once its owner runs again.
TEST(Recovery, ShowsWithoutWaitingForTheOwnerThread) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-async");
    const std::string profile = profileIn(dir);
    WindowHost held = startWindowHost({"Recov held"});
    WindowHost other = startWindowHost({"Recov other"});
    hideByHand(held.windows);
    writeRecord(profile, entriesFor(held.windows));
    instrumentWindows(held.windows);
    const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(holdWindowThread(held.windows[0], release));

    Launched app = startHushdesk(dir);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    EXPECT_TRUE(waitFor([&] { return visibility(other.windows) == "0"; }))
        << "the start-up waits for the owner of a recorded window";
    EXPECT_EQ(visibility(held.windows), "0");
    SetEvent(release);
    EXPECT_TRUE(waitFor([&] { return visibility(held.windows) == "1"; }));
    CloseHandle(release);
    killProgram(app);
    stopWindowHost(other);
    stopWindowHost(held);
    removeTree(dir);
}

TEST(Recovery, HideAndRestoreLeaveTheKeyEmptyAndEmptyPassesWriteNothing) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-cycle");
    const std::string profile = profileIn(dir);
    writeFile(profile, kSettings);

    // Nothing to hide: neither pass writes the file.
    Launched app = startHushdesk(dir);
    const std::string started = readFile(profile);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(settle(app));
    EXPECT_EQ(readFile(profile), started);
    killProgram(app);

    WindowHost host = startWindowHost({"Recov a", "Recov b"});
    instrumentWindows(host.windows);
    app = startHushdesk(dir);
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE(cycle);
        // Each show activates its window, and the stacking order settles
        // only some time after the restore: take the order the windows go in.
        takeShowLog();
        ASSERT_TRUE(postCommand(app, WM_USER, 1));
        ASSERT_TRUE(waitFor([&] { return visibility(host.windows) == "00"; }));
        ASSERT_TRUE(syncWindowHost(host));
        std::vector<HWND> hidOrder;
        for (const ShowEvent& event : takeShowLog()) {
            if (!event.shown) {
                hidOrder.push_back(event.window);
            }
        }
        EXPECT_EQ(hidOrder.size(), 2u);
        EXPECT_EQ(recordedIn(profile), entriesFor(hidOrder));
        ASSERT_TRUE(postCommand(app, WM_USER, 1));
        ASSERT_TRUE(waitFor([&] { return visibility(host.windows) == "11"; }));
        EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
        EXPECT_EQ(withoutRunLines(readFile(profile), true), withoutRunLines(started, true));
    }
    killProgram(app);

    // An emptied key holds nothing to recover: the next start leaves it.
    const std::string stopped = readFile(profile);
    app = startHushdesk(dir);
    ASSERT_TRUE(settle(app));
    EXPECT_EQ(withoutRunLines(readFile(profile), true), withoutRunLines(stopped, true));
    EXPECT_TRUE(recordWrittenEmpty(profile));
    killProgram(app);
    stopWindowHost(host);
    removeTree(dir);
}

// Each target window, at the moment it disappears, reads the record from
// the file on its own thread: a hide pass must have listed it, and every
// other window of the pass, before the first one went.
struct Disappearance {
    HWND window;
    std::string record;  // the record as the file held it then
};

SRWLOCK disappearancesLock = SRWLOCK_INIT;
std::vector<Disappearance> disappearances;
std::string watchedProfile;
const char kWatchProc[] = "RecovWatchOldProc";

LRESULT CALLBACK readRecordOnDisappearing(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(window, kWatchProc));
    if (message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0) {
        const Disappearance seen{window, readHiddenRecord(watchedProfile).value};
        AcquireSRWLockExclusive(&disappearancesLock);
        disappearances.push_back(seen);
        ReleaseSRWLockExclusive(&disappearancesLock);
    }
    return CallWindowProcA(old, window, message, wParam, lParam);
}

void watchDisappearances(const std::vector<HWND>& windows, const std::string& profile) {
    watchedProfile = profile;
    for (HWND window : windows) {
        SetPropA(window, kWatchProc,
                 reinterpret_cast<HANDLE>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
        SetWindowLongPtrA(window, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(readRecordOnDisappearing));
    }
}

std::vector<Disappearance> takeDisappearances() {
    AcquireSRWLockExclusive(&disappearancesLock);
    std::vector<Disappearance> taken;
    taken.swap(disappearances);
    ReleaseSRWLockExclusive(&disappearancesLock);
    return taken;
}

// Write ahead: whatever the size of the pass, each window finds the whole
// pass on record when it disappears, in every cycle (so an emptying that
// lagged behind the restore before would show too). Restore, then forget:
// once the windows are back, the record is empty.
TEST(Recovery, EveryWindowOfAPassIsOnRecordBeforeTheFirstDisappears) {
    struct Row {
        const char* what;
        int matching;
        int others;
        size_t hidden;  // how many a pass hides
    };
    const Row rows[] = {
        {"a few windows among others", 3, 2, 3},
        {"more matches than the 256 slots", 300, 0, 256},
    };
    killStrayHushdesks();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string dir = makeTempDir("recov-ahead");
        const std::string profile = profileIn(dir);
        writeFile(profile, kSettings);
        std::vector<std::string> titles;
        for (int i = 0; i < row.matching + row.others; ++i) {
            titles.push_back((i < row.matching ? "Recov ahead " : "Other ") + std::to_string(i));
        }
        WindowHost host = startWindowHost(titles);
        const std::vector<HWND> matching(host.windows.begin(), host.windows.begin() + row.matching);
        watchDisappearances(host.windows, profile);
        Launched app = startHushdesk(dir);
        for (int cycle = 0; cycle < 2; ++cycle) {
            SCOPED_TRACE(cycle);
            takeDisappearances();
            ASSERT_TRUE(postCommand(app, WM_USER, 1));
            std::vector<Disappearance> seen;
            EXPECT_TRUE(waitFor([&] {
                for (const Disappearance& one : takeDisappearances()) {
                    seen.push_back(one);
                }
                return seen.size() >= row.hidden;
            })) << seen.size()
                << " windows went";
            ASSERT_TRUE(syncWindowHost(host));
            for (const Disappearance& one : takeDisappearances()) {
                seen.push_back(one);
            }
            // The pass's windows, in its order, as it has left them on record.
            const std::string recorded = recordedIn(profile);
            std::vector<HWND> onRecord;
            for (const HiddenWindowEntry& entry : parseHiddenWindowEntries(recorded)) {
                onRecord.push_back(
                    reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.handle)));
            }
            EXPECT_EQ(onRecord.size(), row.hidden);
            for (HWND window : onRecord) {
                EXPECT_NE(std::find(matching.begin(), matching.end(), window), matching.end());
            }
            std::vector<HWND> gone;
            int early = 0;
            std::string first;
            for (const Disappearance& one : seen) {
                gone.push_back(one.window);
                if (one.record != recorded && early++ == 0) {
                    first = entryFor(one.window) + " found \"" + one.record.substr(0, 100) + "\"";
                }
            }
            EXPECT_EQ(early, 0) << "windows gone before the whole pass was on record; the first: "
                                << first;
            EXPECT_EQ(gone, onRecord) << "gone in the order of the record";

            ASSERT_TRUE(postCommand(app, WM_USER, 1));
            EXPECT_TRUE(waitFor(
                [&] { return visibility(host.windows) == std::string(host.windows.size(), '1'); }));
            EXPECT_TRUE(waitFor([&] { return recordWrittenEmpty(profile); })) << readFile(profile);
        }
        killProgram(app);
        stopWindowHost(host);
        removeTree(dir);
    }
}

// The settings dialog runs a loop of its own: while it is open the hidden
// windows are on record all the same, and "Quit Hushdesk" shows them and
// empties the record before the program ends.
TEST(Recovery, HiddenWindowsStayOnRecordWhileTheDialogIsOpenAndQuitEmptiesIt) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-dialog");
    const std::string profile = profileIn(dir);
    writeFile(profile, kSettings);
    WindowHost host = startWindowHost({"Recov under dialog", "Other", "Recov too"});
    const std::vector<HWND> hidOrder = enumerationOrder({host.windows[0], host.windows[2]});
    Launched app = startHushdesk(dir);
    ASSERT_TRUE(postCommand(app, WM_USER, 1));
    ASSERT_TRUE(postCommand(app, WM_USER, 0));
    const HWND dialog = findDialog(kDialogCaption, app.processId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(recordedIn(profile), entriesFor(hidOrder));
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "010"; }));
    pumpFor(300);  // the dialog's loop is all that runs now: nothing changes
    EXPECT_EQ(recordedIn(profile), entriesFor(hidOrder));
    EXPECT_EQ(visibility(host.windows), "010");

    clickButton(dialog, IDC_QUIT);
    EXPECT_EQ(waitForExit(app), 0u);
    EXPECT_TRUE(recordWrittenEmpty(profile)) << readFile(profile);
    EXPECT_TRUE(waitFor([&] { return visibility(host.windows) == "111"; }));
    killProgram(app);
    stopWindowHost(host);
    removeTree(dir);
}

TEST(Recovery, FirstStartWithoutProfileWritesTheThreadIdAlone) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-fresh");
    const std::string profile = profileIn(dir);
    Launched app = startHushdesk(dir);
    ASSERT_NE(findDialog(kDialogCaption, app.processId), nullptr);  // start-up is over
    const std::vector<std::string> expected = {"[Internal]",
                                               "ThreadId=" + std::to_string(app.threadId)};
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(readFile(profile))) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    EXPECT_EQ(lines, expected);
    killProgram(app);
    removeTree(dir);
}

TEST(Recovery, SecondLaunchNeitherReadsNorWritesTheRecord) {
    killStrayHushdesks();
    const std::string dir = makeTempDir("recov-second");
    const std::string profile = profileIn(dir);
    writeFile(profile, kSettings);
    WindowHost host = startWindowHost({"Recov first", "Recov second"});
    Launched first = startHushdesk(dir);
    ASSERT_TRUE(postCommand(first, WM_USER, 1));
    ASSERT_TRUE(waitFor([&] { return visibility(host.windows) == "00"; }));
    ASSERT_TRUE(waitFor([&] { return !recordedIn(profile).empty(); }));
    const std::string recorded = readFile(profile);

    // The recorded windows are ours and hidden: reading the record would
    // show them.
    Launched second = launchHushdesk(dir);
    EXPECT_EQ(waitForExit(second, 20000), 0u);
    killProgram(second);
    // The hand-off opens the first instance's dialog: the second is done.
    EXPECT_NE(findDialog(kDialogCaption, first.processId), nullptr);
    EXPECT_EQ(visibility(host.windows), "00");
    EXPECT_EQ(readFile(profile), recorded);

    killProgram(first);
    stopWindowHost(host);
    removeTree(dir);
}
