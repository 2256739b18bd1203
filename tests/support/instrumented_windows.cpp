#include "instrumented_windows.h"

static const char kOldProcProperty[] = "HushdeskTestOldProc";
static const UINT kHoldThread = WM_APP + 20;  // lParam: HoldRequest*
static SRWLOCK showLogLock = SRWLOCK_INIT;
static std::vector<ShowEvent> showLog;

struct HoldRequest {
    HANDLE held;
    HANDLE release;
};

static LRESULT CALLBACK instrumentedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProperty));
    if (message == WM_SHOWWINDOW) {
        AcquireSRWLockExclusive(&showLogLock);
        showLog.push_back({window, wParam != 0});
        ReleaseSRWLockExclusive(&showLogLock);
    } else if (message == kHoldThread) {
        HoldRequest* request = reinterpret_cast<HoldRequest*>(lParam);
        const HANDLE release = request->release;
        SetEvent(request->held);
        delete request;
        WaitForSingleObject(release, INFINITE);
        return 0;
    } else if (message == WM_NCDESTROY) {
        RemovePropA(window, kOldProcProperty);
    }
    return old ? CallWindowProcA(old, window, message, wParam, lParam)
               : DefWindowProcA(window, message, wParam, lParam);
}

void instrumentWindows(const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        if (GetPropA(window, kOldProcProperty)) {
            continue;
        }
        const LONG_PTR old = GetWindowLongPtrA(window, GWLP_WNDPROC);
        SetPropA(window, kOldProcProperty, reinterpret_cast<HANDLE>(old));
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instrumentedProc));
    }
}

std::vector<ShowEvent> takeShowLog() {
    AcquireSRWLockExclusive(&showLogLock);
    std::vector<ShowEvent> taken;
    taken.swap(showLog);
    ReleaseSRWLockExclusive(&showLogLock);
    return taken;
}

bool holdWindowThread(HWND window, HANDLE release, DWORD timeoutMs) {
    // The window procedure frees the request; the event is left open if the
    // thread never takes it.
    const HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HoldRequest* request = new HoldRequest{held, release};
    if (!PostMessageA(window, kHoldThread, 0, reinterpret_cast<LPARAM>(request))) {
        delete request;
        CloseHandle(held);
        return false;
    }
    if (WaitForSingleObject(held, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(held);
    return true;
}
