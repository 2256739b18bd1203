// The single-instance guard and the hand-off, end to end: real launches of
// Hushdesk.exe against a running one, against the named mutex held by this
// process, and all at once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked_files.h"
#include "dialogs.h"
#include "files.h"
#include "hidden_record.h"
#include "ini_reading.h"
#include "processes.h"
#include "session.h"
#include "waiting.h"
#include "window_host.h"

static std::string residentProfile(const std::string& internal = "") {
    std::string text;
    if (!internal.empty()) {
        text += "[Internal]\r\n" + internal;
    }
    text += "[General]\r\n";
    text += kHushProfileLine;
    text += "ShowSettingsOnStartup=0\r\nExcludeMode=0\r\n";
    return text;
}

static std::string recordedThreadId(const std::string& dir) {
    return iniValue(profileIn(dir), "Internal", "ThreadId");
}

static std::string idText(DWORD threadId) {
    return std::to_string(static_cast<int>(threadId));
}

// Holds the mutex the way a running Hushdesk does, for the Session's life.
static bool holdInstanceMutex(Session& session) {
    SetLastError(0);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Hushdesk");
    const DWORD error = GetLastError();
    if (!mutex) {
        return false;
    }
    session.handles.push_back(mutex);
    return error == 0;  // nobody else had it
}

static bool hideDialog(HWND dialog) {
    clickButton(dialog, kHideDialogButton);
    return waitFor([&] { return !IsWindow(dialog); });
}

static HWND alreadyRunningBox(DWORD processId, DWORD timeoutMs = 10000) {
    return findMessageBox("Hushdesk Error", kAlreadyRunning, processId, timeoutMs);
}

TEST(SingleInstance, ALaunchHandsOffToTheRunningOneAndEnds) {
    Session session;
    const std::string dir = newFolder(session, "si-handoff");
    writeFile(profileIn(dir), residentProfile());
    startHushWindows(session);
    const Launched first = startTracked(session, dir);
    ASSERT_TRUE(switchRoundTrip(session, first));
    EXPECT_EQ(recordedThreadId(dir), idText(first.threadId));
    // The restore pass empties the record right after asking for the shows,
    // which the windows may carry out first: wait for it before the snapshot.
    ASSERT_TRUE(waitFor([&] { return recordWrittenEmpty(profileIn(dir)); }));
    const std::string profileBefore = readFile(profileIn(dir));

    const Launched second = launchTracked(session, dir);
    EXPECT_EQ(waitForExit(second), 0u);
    const HWND dialog = findDialog(kSettingsCaption, first.processId);
    ASSERT_NE(dialog, nullptr) << "the running instance did not open its settings";
    EXPECT_EQ(countDialogs(kSettingsCaption), 1);
    EXPECT_EQ(countDialogs("Hushdesk Error"), 0);
    EXPECT_EQ(visibility(session.host.windows), kAllShown);
    EXPECT_EQ(readFile(profileIn(dir)), profileBefore) << "the second launch wrote the profile";

    // With the dialog already open a launch changes nothing.
    const Launched third = launchTracked(session, dir);
    EXPECT_EQ(waitForExit(third), 0u);
    EXPECT_EQ(countDialogs(kSettingsCaption), 1);
    EXPECT_EQ(countDialogs("Hushdesk Error"), 0);
    EXPECT_EQ(readFile(profileIn(dir)), profileBefore);

    // The hand-off that came while it was open was dropped, not kept for
    // later: after leaving, the loop runs and no dialog comes back.
    ASSERT_TRUE(hideDialog(dialog));
    ASSERT_TRUE(switchRoundTrip(session, first));
    EXPECT_EQ(countDialogs(kSettingsCaption), 0);
    EXPECT_EQ(waitForExit(first, 0), STILL_ACTIVE);
}

struct NoThreadId {
    const char* name;
    const char* internal;  // "" for no Internal section; nullptr for no profile
};

static const NoThreadId kNoThreadId[] = {
    {"no profile", nullptr},
    {"no ThreadId", ""},
    {"ThreadId 0", "ThreadId=0\r\n"},
};

TEST(SingleInstance, TheMutexHeldWithNoThreadIdSaysAlreadyRunning) {
    for (const NoThreadId& row : kNoThreadId) {
        SCOPED_TRACE(row.name);
        Session session;
        const std::string dir = newFolder(session, "si-noid");
        if (row.internal) {
            writeFile(profileIn(dir), residentProfile(row.internal));
        }
        const std::string profileBefore = readFile(profileIn(dir));
        ASSERT_TRUE(holdInstanceMutex(session));

        const Launched app = launchTracked(session, dir);
        const HWND box = alreadyRunningBox(app.processId);
        ASSERT_NE(box, nullptr) << "no \"already running\" box";
        EXPECT_TRUE(boxSays(box, kAlreadyRunning));
        EXPECT_EQ(waitForExit(app, 0), STILL_ACTIVE) << "ended before its box was closed";
        dismissBox(box);
        EXPECT_EQ(waitForExit(app), 0u);
        EXPECT_EQ(readFile(profileIn(dir)), profileBefore) << "a second launch wrote the profile";
        EXPECT_EQ(fileExists(profileIn(dir)), row.internal != nullptr);
    }
}

static DWORD WINAPI endAtOnce(void*) {
    return 0;
}

TEST(SingleInstance, TheMutexHeldWithAStaleThreadIdEndsSilently) {
    Session session;
    DWORD deadThreadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, endAtOnce, nullptr, 0, &deadThreadId);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);

    const std::string dir = newFolder(session, "si-stale");
    writeFile(profileIn(dir), residentProfile("ThreadId=" + idText(deadThreadId) + "\r\n"));
    ASSERT_TRUE(holdInstanceMutex(session));
    const Launched app = launchTracked(session, dir);
    // Ending by itself means no box was up: nobody closed one.
    EXPECT_EQ(waitForExit(app), 0u);
    EXPECT_EQ(alreadyRunningBox(0, 0), nullptr);
    EXPECT_EQ(recordedThreadId(dir), idText(deadThreadId));
}

TEST(SingleInstance, AfterTheFirstEndsTheNextLaunchTakesOver) {
    Session session;
    const std::string dir = newFolder(session, "si-next");
    writeFile(profileIn(dir), residentProfile());
    startHushWindows(session);
    const Launched first = startTracked(session, dir);
    ASSERT_TRUE(switchRoundTrip(session, first));
    killTracked(session, first);
    // Nothing removes the id of an instance that has ended.
    EXPECT_EQ(recordedThreadId(dir), idText(first.threadId));

    const Launched next = startTracked(session, dir);
    EXPECT_EQ(recordedThreadId(dir), idText(next.threadId));
    ASSERT_TRUE(switchRoundTrip(session, next)) << "the next launch did not stay resident";
    EXPECT_EQ(waitForExit(next, 0), STILL_ACTIVE);

    const Launched later = launchTracked(session, dir);
    EXPECT_EQ(waitForExit(later), 0u);
    const HWND dialog = findDialog(kSettingsCaption, next.processId);
    ASSERT_NE(dialog, nullptr) << "the hand-off did not reach the new first instance";
    EXPECT_TRUE(hideDialog(dialog));
}

TEST(SingleInstance, ACopyInAnotherFolderReadsItsOwnProfile) {
    Session session;
    const std::string dirA = newFolder(session, "si-copy-a");
    const std::string dirB = newFolder(session, "si-copy-b");
    writeFile(profileIn(dirA), residentProfile());
    writeFile(profileIn(dirB), residentProfile());
    startHushWindows(session);

    // An earlier run of copy B left its thread id behind.
    const Launched earlierB = startTracked(session, dirB);
    ASSERT_TRUE(switchRoundTrip(session, earlierB));
    killTracked(session, earlierB);
    const std::string staleB = idText(earlierB.threadId);

    const Launched a = startTracked(session, dirA);
    ASSERT_TRUE(switchRoundTrip(session, a));

    // B posts to its old id and ends without a word; A sees nothing.
    const Launched staleLaunch = launchTracked(session, dirB);
    EXPECT_EQ(waitForExit(staleLaunch), 0u);
    EXPECT_EQ(alreadyRunningBox(0, 0), nullptr);
    EXPECT_EQ(recordedThreadId(dirB), staleB);
    ASSERT_TRUE(switchRoundTrip(session, a));
    EXPECT_EQ(countDialogs(kSettingsCaption), 0);

    // With a fresh profile B has no id at all: "already running".
    DeleteFileA(profileIn(dirB).c_str());
    const Launched freshLaunch = launchTracked(session, dirB);
    const HWND box = alreadyRunningBox(freshLaunch.processId);
    ASSERT_NE(box, nullptr) << "no \"already running\" box for the fresh copy";
    dismissBox(box);
    EXPECT_EQ(waitForExit(freshLaunch), 0u);
    EXPECT_FALSE(fileExists(profileIn(dirB)));
    ASSERT_TRUE(switchRoundTrip(session, a));
    EXPECT_EQ(countDialogs(kSettingsCaption), 0);
    EXPECT_EQ(recordedThreadId(dirA), idText(a.threadId));
}

static bool running(const Launched& app) {
    return WaitForSingleObject(app.process, 0) == WAIT_TIMEOUT;
}

TEST(SingleInstance, OfManyLaunchesAtOnceExactlyOneStays) {
    Session session;
    const std::string dir = newFolder(session, "si-storm");
    writeFile(profileIn(dir), residentProfile());
    startHushWindows(session);
    launchTracked(session, dir);  // copies the exe, so the rest start at once
    for (int i = 1; i < 10; ++i) {
        launchTracked(session, dir);
    }
    ASSERT_EQ(session.launched.size(), 10u);
    const std::vector<Launched> apps = session.launched;

    // Losers that read the profile before the winner wrote its id wait
    // behind an "already running" box: close those as they come.
    const bool settled = waitFor(
        [&] {
            while (const HWND box = alreadyRunningBox(0, 0)) {
                dismissBox(box);
                if (!waitFor([&] { return !IsWindow(box); }, 5000)) {
                    break;
                }
            }
            int alive = 0;
            for (const Launched& app : apps) {
                alive += running(app) ? 1 : 0;
            }
            return alive <= 1;
        },
        40000);
    ASSERT_TRUE(settled) << "the losers did not all end";

    const Launched* survivor = nullptr;
    for (const Launched& app : apps) {
        if (running(app)) {
            EXPECT_EQ(survivor, nullptr);
            survivor = &app;
        } else {
            EXPECT_EQ(waitForExit(app, 0), 0u) << "a launch ended with another code";
        }
    }
    ASSERT_NE(survivor, nullptr) << "no launch stayed resident";
    EXPECT_EQ(recordedThreadId(dir), idText(survivor->threadId));

    // Losers that found the winner's id have handed off: the first of those
    // opened the dialog and the dialog swallowed the rest. Every post came
    // before this one, so either the dialog or the switch shows up.
    ASSERT_TRUE(postCommand(*survivor, WM_USER, 1));
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] {
        dialog = findDialog(kSettingsCaption, survivor->processId, 0);
        return dialog != nullptr || visibility(session.host.windows) == kHushHidden;
    }));
    if (dialog) {
        EXPECT_EQ(countDialogs(kSettingsCaption), 1);
        ASSERT_TRUE(hideDialog(dialog));
        ASSERT_TRUE(switchRoundTrip(session, *survivor));
    } else {
        ASSERT_TRUE(postCommand(*survivor, WM_USER, 1));
        ASSERT_TRUE(waitFor([&] { return visibility(session.host.windows) == kAllShown; }));
    }
    EXPECT_EQ(countDialogs(kSettingsCaption), 0);

    const Launched oneMore = launchTracked(session, dir);
    EXPECT_EQ(waitForExit(oneMore), 0u);
    const HWND handedOff = findDialog(kSettingsCaption, survivor->processId);
    ASSERT_NE(handedOff, nullptr) << "the hand-off did not reach the survivor";
    EXPECT_TRUE(hideDialog(handedOff));
    EXPECT_TRUE(running(*survivor));
}
