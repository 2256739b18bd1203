#include "session.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "checked_files.h"
#include "dialogs.h"
#include "exe_under_test.h"
#include "files.h"
#include "waiting.h"

Session::Session() {
    killStrayHushdesks();
}

Session::~Session() {
    for (Launched& app : launched) {
        killProgram(app);
    }
    // Boxes of killed processes are gone with them; only now is it safe to
    // give the combinations back without a Hushdesk grabbing them.
    for (int id : heldHotKeyIds) {
        UnregisterHotKey(nullptr, id);
    }
    for (HANDLE handle : handles) {
        CloseHandle(handle);
    }
    stopWindowHost(host);
    for (const std::string& dir : folders) {
        removeTree(dir);
    }
}

std::string newFolder(Session& session, const char* tag) {
    session.folders.push_back(makeTempDir(tag));
    return session.folders.back();
}

void startHushWindows(Session& session) {
    session.host = startWindowHost({"Hush one", "Stays here", "Hush two"});
}

Launched launchTracked(Session& session, const std::string& dir) {
    const Launched app = launchHushdesk(dir);
    if (app.process) {
        session.launched.push_back(app);
    }
    return app;
}

Launched startTracked(Session& session, const std::string& dir) {
    const Launched app = startHushdesk(dir);
    if (app.process) {
        session.launched.push_back(app);
    }
    return app;
}

void killTracked(Session& session, const Launched& app) {
    for (Launched& tracked : session.launched) {
        if (tracked.process && tracked.processId == app.processId) {
            killProgram(tracked);
        }
    }
}

bool holdHotKey(Session& session, int id, UINT modifiers, UINT virtualKey) {
    if (!RegisterHotKey(nullptr, id, modifiers, virtualKey)) {
        return false;
    }
    session.heldHotKeyIds.push_back(id);
    return true;
}

void releaseHotKey(Session& session, int id) {
    UnregisterHotKey(nullptr, id);
    std::vector<int>& ids = session.heldHotKeyIds;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) {
            ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
}

bool combinationTaken(UINT modifiers, UINT virtualKey) {
    const int probeId = 0xBEEF;
    if (!RegisterHotKey(nullptr, probeId, modifiers, virtualKey)) {
        return true;
    }
    UnregisterHotKey(nullptr, probeId);
    return false;
}

bool switchRoundTrip(const Session& session, const Launched& app) {
    if (!postCommand(app, WM_USER, 1) ||
        !waitFor([&] { return visibility(session.host.windows) == kHushHidden; })) {
        return false;
    }
    return postCommand(app, WM_USER, 1) &&
           waitFor([&] { return visibility(session.host.windows) == kAllShown; });
}

void settleKeyboard(const Session& session) {
    if (session.host.windows.empty()) {
        return;
    }
    for (int round = 0; round < 3; ++round) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(session.host.windows.front(), WM_NULL, 0, 0, SMTO_NORMAL, 2000,
                            &ignored);
        pumpFor(5);
    }
}

void dismissBox(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

struct DialogCount {
    const char* caption;
    DWORD processId;
    int count;
};

static BOOL CALLBACK countMatchingDialog(HWND window, LPARAM parameter) {
    DialogCount* search = reinterpret_cast<DialogCount*>(parameter);
    if (isDialog(window, search->caption, search->processId)) {
        ++search->count;
    }
    return TRUE;
}

int countDialogs(const char* caption, DWORD processId) {
    DialogCount search = {caption, processId, 0};
    EnumWindows(countMatchingDialog, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

struct ExactText {
    const char* text;
    bool found;
};

static BOOL CALLBACK matchExactText(HWND child, LPARAM parameter) {
    ExactText* search = reinterpret_cast<ExactText*>(parameter);
    if (windowText(child) == search->text) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool boxSays(HWND box, const char* text) {
    ExactText search = {text, false};
    EnumChildWindows(box, matchExactText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
