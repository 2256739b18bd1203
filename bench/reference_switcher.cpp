#include "reference_switcher.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "target_windows.h"

static const char kReadyEvent[] = "HushdeskBenchReferenceReady";

struct ReferencePass {
    const char* sentence;
    std::vector<HWND> hidden;
};

// The bare hide pass: the same tests in the same order as Hushdesk's.
static BOOL CALLBACK referenceHide(HWND window, LPARAM parameter) {
    ReferencePass* pass = reinterpret_cast<ReferencePass*>(parameter);
    char title[1024];
    if (GetWindowTextA(window, title, sizeof title) <= 0) {
        return TRUE;
    }
    if (std::strstr(title, pass->sentence) == nullptr || !IsWindowVisible(window)) {
        return TRUE;
    }
    ShowWindowAsync(window, SW_HIDE);
    pass->hidden.push_back(window);
    return TRUE;
}

int runReference(const char* sentence, const char* readyEvent) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    ReferencePass pass = {sentence, {}};
    pass.hidden.reserve(1024);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
    if (ready) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    bool shown = true;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message != WM_USER || message.wParam != 1) {
            continue;
        }
        if (shown) {
            EnumWindows(referenceHide, reinterpret_cast<LPARAM>(&pass));
        } else {
            for (HWND window : pass.hidden) {
                ShowWindowAsync(window, SW_SHOW);
            }
            pass.hidden.clear();
        }
        shown = !shown;
    }
    return 0;
}

bool startReference(Program& reference) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
    reference.arguments = std::string(" --reference \"") + kSentence + "\" " + kReadyEvent;
    const bool started = launch(reference) && WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0;
    if (!started) {
        std::printf("the reference switcher did not start\n");
    }
    CloseHandle(ready);
    return started;
}
