#include "dialogs.h"

#include <cstring>

#include "waiting.h"

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

void clickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
