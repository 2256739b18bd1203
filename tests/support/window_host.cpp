#include "window_host.h"

#include "waiting.h"

static const UINT kHostCreate = WM_APP + 1;   // lParam: CreateRequest*
static const UINT kHostDestroy = WM_APP + 2;  // lParam: HWND
static const UINT kHostStall = WM_APP + 3;    // wParam: milliseconds
static const UINT kHostRun = WM_APP + 4;      // lParam: RunRequest*
static const char kHostClass[] = "HushdeskHostWindow";

struct CreateRequest {
    const char* title;
    bool visible;
    HWND window;
    volatile LONG done;
};

struct RunRequest {
    void (*function)(void*);
    void* context;
    volatile LONG done;
};

struct HostStart {
    std::vector<std::string> titles;
    HostOptions options;
    WindowHost* host;
    HANDLE ready;
};

// Where the host's `cell`-th window goes.
static HWND createHostWindow(const char* title, bool visible, bool offScreen, int cell) {
    const DWORD shown = visible ? WS_VISIBLE : 0;
    if (offScreen) {
        return CreateWindowExA(0, kHostClass, title, WS_POPUP | shown, -4000 + 90 * (cell % 16),
                               60 * (cell / 16), 80, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static int offset = 0;
    offset = (offset + 7) % 400;
    return CreateWindowExA(0, kHostClass, title, WS_OVERLAPPEDWINDOW | shown, 40 + offset,
                           40 + offset, 240, 120, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

static DWORD WINAPI hostThread(void* parameter) {
    HostStart* start = static_cast<HostStart*>(parameter);
    const bool offScreen = start->options.offScreen;
    int cells = 0;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the queue now
    for (const std::string& title : start->titles) {
        start->host->windows.push_back(
            createHostWindow(title.c_str(), start->options.visible, offScreen, cells++));
    }
    SetEvent(start->ready);  // `start` is gone from here on
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr) {
            if (message.message == kHostCreate) {
                CreateRequest* request = reinterpret_cast<CreateRequest*>(message.lParam);
                request->window =
                    createHostWindow(request->title, request->visible, offScreen, cells++);
                InterlockedExchange(&request->done, 1);
                continue;
            }
            if (message.message == kHostDestroy) {
                DestroyWindow(reinterpret_cast<HWND>(message.lParam));
                continue;
            }
            if (message.message == kHostStall) {
                Sleep(static_cast<DWORD>(message.wParam));
                continue;
            }
            if (message.message == kHostRun) {
                RunRequest* request = reinterpret_cast<RunRequest*>(message.lParam);
                request->function(request->context);
                InterlockedExchange(&request->done, 1);
                continue;
            }
        }
        DispatchMessageA(&message);
    }
    return 0;
}

WindowHost startWindowHost(const std::vector<std::string>& titles, const HostOptions& options) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kHostClass;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&windowClass);
        registered = true;
    }
    WindowHost host;
    HostStart start{titles, options, &host, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    host.thread = CreateThread(nullptr, 0, hostThread, &start, 0, &host.threadId);
    WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    return host;
}

HWND addHostWindow(const WindowHost& host, const std::string& title, bool visible) {
    CreateRequest request = {title.c_str(), visible, nullptr, 0};
    PostThreadMessageA(host.threadId, kHostCreate, 0, reinterpret_cast<LPARAM>(&request));
    waitFor([&] { return request.done != 0; }, 5000);
    return request.window;
}

void destroyHostWindow(const WindowHost& host, HWND window) {
    PostThreadMessageA(host.threadId, kHostDestroy, 0, reinterpret_cast<LPARAM>(window));
    waitFor([&] { return !IsWindow(window); }, 5000);
}

void stallWindowHost(const WindowHost& host, DWORD ms) {
    PostThreadMessageA(host.threadId, kHostStall, ms, 0);
}

bool runOnHostThread(const WindowHost& host, void (*function)(void*), void* context,
                     DWORD timeoutMs) {
    // Never freed if the host thread has not run it in time: it may still.
    RunRequest* request = new RunRequest{function, context, 0};
    if (!PostThreadMessageA(host.threadId, kHostRun, 0, reinterpret_cast<LPARAM>(request))) {
        delete request;
        return false;
    }
    if (!waitFor([&] { return request->done != 0; }, timeoutMs)) {
        return false;
    }
    delete request;
    return true;
}

void stopWindowHost(WindowHost& host) {
    if (!host.thread) {
        return;
    }
    for (HWND window : host.windows) {
        PostThreadMessageA(host.threadId, kHostDestroy, 0, reinterpret_cast<LPARAM>(window));
    }
    PostThreadMessageA(host.threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(host.thread, 10000);
    CloseHandle(host.thread);
    host = WindowHost();
}

bool syncWindowHost(const WindowHost& host, DWORD timeoutMs) {
    // Sent messages are taken in the order they were sent, so a reply to
    // this one means every earlier one has been handled.
    for (HWND window : host.windows) {
        if (IsWindow(window)) {
            DWORD_PTR result = 0;
            return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
        }
    }
    return false;
}

std::string visibility(const std::vector<HWND>& windows) {
    std::string result;
    for (HWND window : windows) {
        result += IsWindowVisible(window) ? '1' : '0';
    }
    return result;
}
