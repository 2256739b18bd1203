#pragma once

// What every end-to-end test of the switcher shares: a fresh folder with the
// real Hushdesk.exe, windows on host threads, and a teardown that always ends
// the program and the hosts, whatever failed.

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "core/recovery.h"
#include "settings/settings.h"
#include "test_support.h"

// The profile of a run that opens no dialog at start-up.
inline std::string quietProfile(const std::string& windows, const std::string& excludeMode) {
    return "[General]\r\nWindows=" + windows +
           "\r\nShowSettingsOnStartup=0\r\nExcludeMode=" + excludeMode + "\r\n";
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
            killHushdesk(app);
        }
    }

    std::string profile() const { return profileIn(dir); }
    void writeProfile(const std::string& text) { writeFile(profile(), text); }

    // deque: references stay valid as hosts are added.
    WindowHost& addHost(const std::vector<std::string>& titles, bool visible = true) {
        hosts.push_back(startWindowHost(titles, visible));
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

    // A hide pass that hid something has ended once its record is written.
    std::vector<HiddenWindowEntry> waitForRecord(size_t atLeast = 1) {
        std::vector<HiddenWindowEntry> entries;
        const bool seen = waitFor([&] {
            const HiddenRecord record = readHiddenRecord(profile());
            entries = parseHiddenWindowEntries(record.value);
            return record.readable && entries.size() >= atLeast;
        });
        EXPECT_TRUE(seen) << "no record of at least " << atLeast << " hidden window(s)";
        return entries;
    }

    // A restore pass has ended once the record is emptied.
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
