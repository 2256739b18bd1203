#pragma once

// What every end-to-end test of the switcher shares: a fresh folder with the
// real Hushdesk.exe, windows on host threads, and a teardown that always ends
// the program and the hosts, whatever failed.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "checked_files.h"
#include "core/recovery.h"
#include "exe_under_test.h"
#include "files.h"
#include "hidden_record.h"
#include "ini_reading.h"
#include "processes.h"
#include "settings/settings.h"
#include "waiting.h"
#include "window_host.h"

// The profile of a run that opens no dialog at start-up.
inline std::string quietProfile(const std::string& windows, const std::string& excludeMode) {
    return "[General]\r\nWindows=" + windows +
           "\r\nShowSettingsOnStartup=0\r\nExcludeMode=" + excludeMode + "\r\n";
}

inline HWND handleOf(const HiddenWindowEntry& entry) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.handle));
}

class HushdeskE2e : public ::testing::Test {
protected:
    void SetUp() override {
        killStrayHushdesks();
        dir = makeTempDir("e2e");
    }

    void TearDown() override {
        endHushdesk();
        for (HANDLE release : holds) {
            SetEvent(release);
        }
        for (WindowHost& host : hosts) {
            stopWindowHost(host);
        }
        for (HANDLE release : holds) {
            CloseHandle(release);
        }
        holds.clear();
        removeTree(dir);
    }

    // Its own way out shows whatever it hid; TerminateProcess only if that
    // does not end it.
    void endHushdesk() {
        if (app.process) {
            PostThreadMessageA(app.threadId, WM_QUIT, 0, 0);
            waitForExit(app, 5000);
            killProgram(app);
        }
    }

    std::string profile() const { return profileIn(dir); }
    void writeProfile(const std::string& text) { writeFile(profile(), text); }

    // deque: references stay valid as hosts are added.
    WindowHost& addHost(const std::vector<std::string>& titles, bool visible = true) {
        hosts.push_back(startWindowHost(titles, HostOptions{visible}));
        return hosts.back();
    }

    // A manual-reset event that TearDown sets, so no host stays held.
    HANDLE newHold() {
        holds.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        return holds.back();
    }

    void start() { app = startHushdesk(dir); }

    bool post(UINT message, WPARAM wParam) { return postCommand(app, message, wParam); }
    bool switchOnce() { return post(WM_USER, 1); }

    // A hide pass writes its record before it hides a window: it has ended
    // once the record lists at least `atLeast` windows and every one of the
    // test's own windows on it has gone, but those in `held` (their thread is
    // held, so they go only once it runs again).
    std::vector<HiddenWindowEntry> waitForRecord(size_t atLeast = 1,
                                                 const std::vector<HWND>& held = {}) {
        std::vector<HiddenWindowEntry> entries;
        const bool seen = waitFor([&] {
            const HiddenRecord record = readHiddenRecord(profile());
            entries = parseHiddenWindowEntries(record.value);
            if (!record.readable || entries.size() < atLeast) {
                return false;
            }
            for (const HiddenWindowEntry& entry : entries) {
                const HWND window = handleOf(entry);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == GetCurrentProcessId() && IsWindowVisible(window) &&
                    std::find(held.begin(), held.end(), window) == held.end()) {
                    return false;
                }
            }
            return true;
        });
        EXPECT_TRUE(seen) << "no record of at least " << atLeast
                          << " window(s) with the test's own ones on it gone";
        return entries;
    }

    // A restore pass asks for every show before it empties the record: it
    // has ended once the record is empty (syncHosts then sees the shows done).
    void waitForEmptyRecord() {
        EXPECT_TRUE(waitFor([&] {
            const HiddenRecord record = readHiddenRecord(profile());
            return record.readable && record.present && record.value.empty();
        })) << "the record of hidden windows was not emptied";
    }

    // Every show or hide Hushdesk has asked for so far has been carried out.
    void syncHosts() {
        for (const WindowHost& host : hosts) {
            EXPECT_TRUE(syncWindowHost(host));
        }
    }

    std::string dir;
    Launched app;
    std::deque<WindowHost> hosts;
    std::vector<HANDLE> holds;
};
