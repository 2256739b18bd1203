#include "test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "settings/settings.h"

// ---- files --------------------------------------------------------------

std::string makeTempDir(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned sequence = 0;
    for (;;) {
        char dir[MAX_PATH];
        std::snprintf(dir, sizeof dir, "%shushdesk-%s-%lu-%u", base, tag, GetCurrentProcessId(),
                      ++sequence);
        if (CreateDirectoryA(dir, nullptr)) {
            return dir;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << dir;
            return dir;
        }
    }
}

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

void writeFile(const std::string& path, const std::string& content) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

std::string readFile(const std::string& path) {
    std::string content;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return content;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        content.append(chunk, n);
    }
    std::fclose(file);
    return content;
}

HiddenRecord readHiddenRecord(const std::string& profile) {
    HiddenRecord record;
    std::vector<std::string> lines;
    splitTokens(readFile(profile), "\r\n", lines);
    bool internal = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '[') {
            internal = line == "[Internal]";
        } else if (internal && line.compare(0, 9, "ThreadId=") == 0) {
            record.readable = true;
        } else if (internal && line.compare(0, 14, "HiddenWindows=") == 0) {
            record.present = true;
            record.value = line.substr(14);
        }
    }
    return record;
}

bool recordWrittenEmpty(const std::string& profile) {
    const HiddenRecord record = readHiddenRecord(profile);
    return record.present && record.value.empty();
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string iniValue(const std::string& path, const char* section, const char* key) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(section, key, "", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 1 < buffer.size()) {
            return std::string(buffer.data(), n);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// ---- waiting ------------------------------------------------------------

void pumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        pumpFor(5);
    }
}

// ---- windows owned by the test ------------------------------------------

static const UINT kHostCreate = WM_APP + 1;   // lParam: CreateRequest*
static const UINT kHostDestroy = WM_APP + 2;  // lParam: HWND
static const UINT kHostStall = WM_APP + 3;    // wParam: milliseconds
static const char kHostClass[] = "HushdeskTestWindow";

struct CreateRequest {
    const char* title;
    bool visible;
    HWND window;
    volatile LONG done;
};

struct HostStart {
    std::vector<std::string> titles;
    bool visible;
    WindowHost* host;
    HANDLE ready;
};

static HWND createHostWindow(const char* title, bool visible) {
    static int offset = 0;
    offset = (offset + 7) % 400;
    return CreateWindowExA(0, kHostClass, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                           40 + offset, 40 + offset, 240, 120, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

static DWORD WINAPI hostThread(void* parameter) {
    HostStart* start = static_cast<HostStart*>(parameter);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the queue now
    for (const std::string& title : start->titles) {
        start->host->windows.push_back(createHostWindow(title.c_str(), start->visible));
    }
    SetEvent(start->ready);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr) {
            if (message.message == kHostCreate) {
                CreateRequest* request = reinterpret_cast<CreateRequest*>(message.lParam);
                request->window = createHostWindow(request->title, request->visible);
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
        }
        DispatchMessageA(&message);
    }
    return 0;
}

WindowHost startWindowHost(const std::vector<std::string>& titles, bool visible) {
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
    HostStart start{titles, visible, &host, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
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

std::string visibility(const std::vector<HWND>& windows) {
    std::string result;
    for (HWND window : windows) {
        result += IsWindowVisible(window) ? '1' : '0';
    }
    return result;
}

// ---- the real program ---------------------------------------------------

static std::string moduleDir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of("\\/"));
}

// The exe under test: HUSHDESK_EXE names it (ctest runs each test once per
// build); by default the build's own exe beside the tests' folder.
static std::string exeUnderTest() {
    char named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("HUSHDESK_EXE", named, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::string path = named;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
    }
    const std::string dir = moduleDir();
    return dir.substr(0, dir.find_last_of("\\/")) + "\\Hushdesk.exe";
}

std::string hushdeskExe() {
    static const std::string exe = [] {
        const std::string path = exeUnderTest();
        DWORD kind = 0;
        const char* bits = !GetBinaryTypeA(path.c_str(), &kind) ? "not found"
                           : kind == SCS_64BIT_BINARY           ? "64-bit"
                           : kind == SCS_32BIT_BINARY           ? "32-bit"
                                                                : "unknown kind";
        std::printf("[ exe      ] %s (%s)\n", path.c_str(), bits);
        std::fflush(stdout);
        return path;
    }();
    return exe;
}

bool hushdeskIs64Bit() {
    DWORD kind = 0;
    return GetBinaryTypeA(hushdeskExe().c_str(), &kind) && kind == SCS_64BIT_BINARY;
}

std::string profileIn(const std::string& dir, const char* exeName) {
    std::string path = dir + "\\" + exeName;
    return path.substr(0, path.size() - 3) + "ini";
}

Launched launchHushdesk(const std::string& dir, const char* exeName) {
    Launched launched;
    const std::string exe = dir + "\\" + exeName;
    if (!fileExists(exe) && !CopyFileA(hushdeskExe().c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << hushdeskExe() << " to " << exe;
        return launched;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << exe << " (error " << GetLastError() << ")";
        return launched;
    }
    CloseHandle(info.hThread);
    launched.process = info.hProcess;
    launched.processId = info.dwProcessId;
    launched.threadId = info.dwThreadId;
    return launched;
}

Launched startHushdesk(const std::string& dir, const char* exeName) {
    Launched launched = launchHushdesk(dir, exeName);
    if (!launched.process) {
        return launched;
    }
    const std::string profile = profileIn(dir, exeName);
    const std::string expected = std::to_string(static_cast<int>(launched.threadId));
    EXPECT_TRUE(waitFor([&] { return iniValue(profile, "Internal", "ThreadId") == expected; }))
        << "Hushdesk did not record its thread id";
    waitUntilIdle(launched);
    return launched;
}

void waitUntilIdle(const Launched& launched, DWORD timeoutMs) {
    // A thread that is waiting in GetMessage has an empty queue: the posted
    // probe is taken only once everything before it has been handled, and
    // the idle state is reached again right after.
    WaitForInputIdle(launched.process, timeoutMs);
    pumpFor(30);
}

DWORD waitForExit(const Launched& launched, DWORD timeoutMs) {
    if (WaitForSingleObject(launched.process, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(launched.process, &code);
    return code;
}

void killHushdesk(Launched& launched) {
    if (!launched.process) {
        return;
    }
    if (WaitForSingleObject(launched.process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(launched.process, 1);
        WaitForSingleObject(launched.process, 5000);
    }
    CloseHandle(launched.process);
    launched = Launched();
}

void killStrayHushdesks() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        const char* name = entry.szExeFile;
        const size_t length = std::strlen(name);
        const bool isHushdesk = _stricmp(name, "Hushdesk.exe") == 0 ||
                                (length > 4 && _stricmp(name + length - 4, ".exe") == 0 &&
                                 std::strncmp(name, "Hushdesk", 8) == 0);
        if (isHushdesk && entry.th32ProcessID != GetCurrentProcessId()) {
            HANDLE process =
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (process) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }
    CloseHandle(snapshot);
}

bool postCommand(const Launched& launched, UINT message, WPARAM wParam) {
    return PostThreadMessageA(launched.threadId, message, wParam, 0) != 0;
}

// ---- dialogs, message boxes, keys ---------------------------------------

std::string windowText(HWND window) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

struct DialogSearch {
    const char* caption;
    const char* text;
    DWORD processId;
    HWND found;
};

static BOOL CALLBACK matchChildText(HWND child, LPARAM parameter) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    if (windowText(child).find(search->text) != std::string::npos) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

bool isDialog(HWND window, const char* caption, DWORD processId) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) {
        return false;
    }
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (processId != 0 && owner != processId) {
        return false;
    }
    return windowText(window) == caption;
}

static BOOL CALLBACK matchDialog(HWND window, LPARAM parameter) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    if (!isDialog(window, search->caption, search->processId)) {
        return TRUE;
    }
    if (search->text) {
        DialogSearch inner = *search;
        inner.found = nullptr;
        EnumChildWindows(window, matchChildText, reinterpret_cast<LPARAM>(&inner));
        if (!inner.found) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

static HWND findDialogWith(const char* caption, const char* text, DWORD processId,
                           DWORD timeoutMs) {
    DialogSearch search = {caption, text, processId, nullptr};
    waitFor(
        [&] {
            search.found = nullptr;
            EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

HWND findDialog(const char* caption, DWORD processId, DWORD timeoutMs) {
    return findDialogWith(caption, nullptr, processId, timeoutMs);
}

HWND findMessageBox(const char* caption, const char* text, DWORD processId, DWORD timeoutMs) {
    return findDialogWith(caption, text, processId, timeoutMs);
}

void pressKeys(const std::vector<WORD>& virtualKeys) {
    std::vector<INPUT> inputs;
    for (WORD key : virtualKeys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// ---- watching and holding host windows ----------------------------------

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
