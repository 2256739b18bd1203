#include "ui/settings_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/app_instance.h"
#include "core/switcher.h"
#include "hotkeys/hotkeys.h"
#include "hushdesk_version.h"
#include "resource.h"
#include "settings/profile.h"
#include "settings/settings.h"

// IDD_SETTINGS, in tab order:
//   IDC_HIDE_DIALOG      default button: read, save, close, arm the hot keys
//   IDC_QUIT             read, show hidden windows, save, end the program
//   IDC_MODE             "containing" / "except those containing"
//   IDC_TITLES           the sentences, one per line
//   IDC_SHOW_ON_STARTUP  open this dialog at start-up
//   IDC_SWITCH_HOTKEY    hot key fields (HotKeyWord)
//   IDC_SETTINGS_HOTKEY
//   IDC_HELP_BUTTON      opens Hushdesk.chm, like F1
// No system menu and no WM_CLOSE handling: Esc and Alt+F4 become IDCANCEL,
// which does nothing, so the dialog is left only through its two buttons.

static const char kStatusText[] =
    " \\_o< ~ Hushdesk " HUSHDESK_RELEASE
    " Leave with \"Hide this dialog\" to arm the hot keys; F1 for help.";

static void readDialogIntoSettings(HWND dialog) {
    // Read the box whole: what the user typed is what gets saved.
    HWND titlesBox = GetDlgItem(dialog, IDC_TITLES);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(titlesBox)) + 1);
    GetDlgItemTextA(dialog, IDC_TITLES, text.data(), static_cast<int>(text.size()));
    g_settings.titles.clear();
    splitTokens(text.data(), kDialogDelimiters, g_settings.titles);

    g_settings.switchHotKey =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_SWITCH_HOTKEY, HKM_GETHOTKEY, 0, 0));
    g_settings.showSettingsHotKey =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_SETTINGS_HOTKEY, HKM_GETHOTKEY, 0, 0));
    g_settings.showSettingsOnStartup =
        IsDlgButtonChecked(dialog, IDC_SHOW_ON_STARTUP) == BST_CHECKED ? 1 : 0;
    g_settings.excludeMode =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_MODE, CB_GETCURSEL, 0, 0));
}

static void setUpHotKeyField(HWND dialog, int id, int word) {
    // No rules: every combination is allowed and no modifier is added.
    SendDlgItemMessageA(dialog, id, HKM_SETRULES, 0, 0);
    SendDlgItemMessageA(dialog, id, HKM_SETHOTKEY, static_cast<WPARAM>(word), 0);
}

static void createStatusBar(HWND dialog) {
    HWND statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                     0, dialog, nullptr, appInstance(), nullptr);
    int rightEdge = -1;
    SendMessageA(statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&rightEdge));
    SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kStatusText));
}

// The taskbar button of an ownerless dialog shows the program's icon. Each
// size is loaded once (the small one from its own 16x16 image, not scaled
// down from 32x32) and kept for every later opening.
static void setDialogIcons(HWND dialog) {
    static HICON bigIcon = nullptr;
    static HICON smallIcon = nullptr;
    if (bigIcon == nullptr) {
        bigIcon = LoadIconA(appInstance(), MAKEINTRESOURCEA(IDI_APP));
        smallIcon = static_cast<HICON>(LoadImageA(appInstance(), MAKEINTRESOURCEA(IDI_APP),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    }
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

static void initialiseDialog(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_TITLES, joinDialogForm(g_settings.titles).c_str());

    SendDlgItemMessageA(dialog, IDC_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("containing"));
    SendDlgItemMessageA(dialog, IDC_MODE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>("except those containing"));
    SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, static_cast<WPARAM>(g_settings.excludeMode),
                        0);

    setUpHotKeyField(dialog, IDC_SWITCH_HOTKEY, g_settings.switchHotKey);
    setUpHotKeyField(dialog, IDC_SETTINGS_HOTKEY, g_settings.showSettingsHotKey);
    CheckDlgButton(dialog, IDC_SHOW_ON_STARTUP,
                   g_settings.showSettingsOnStartup != 0 ? BST_CHECKED : BST_UNCHECKED);
    createStatusBar(dialog);

    setDialogIcons(dialog);

    SetForegroundWindow(dialog);
}

static void onCommand(HWND dialog, int id) {
    switch (id) {
        case IDC_HIDE_DIALOG:
            readDialogIntoSettings(dialog);
            saveSettings();
            EndDialog(dialog, 0);
            activateHotKeys(true);
            break;
        case IDC_QUIT:
            readDialogIntoSettings(dialog);
            restoreHiddenWindows();
            saveSettings();
            // Ends the modal loop, which hands the quit on to the event loop.
            PostQuitMessage(0);
            break;
        case IDC_HELP_BUTTON:
            SendMessageA(dialog, WM_HELP, 0, 0);
            break;
        default:  // IDCANCEL (Esc, Alt+F4) included: nothing
            break;
    }
}

// comctl32 and shell32 serve the dialog alone, so they are loaded when it
// first needs them, not at start-up: the waiting program would carry them for
// nothing (under Wine, a fifth more working set and half more private
// bytes). Looked up by name, they leave no import slot for a linker to get
// wrong, as an i686 delay-load stub once did.
// Each call looks the function up afresh: once loaded, the DLL stays for the
// rest of the run and a second LoadLibraryA only finds it. (A function-local
// static would bring in the runtime's guarded initialisation and nearly
// treble the exe.)
static FARPROC dialogFunction(const char* dll, const char* name) {
    HMODULE module = LoadLibraryA(dll);  // never freed
    return module ? GetProcAddress(module, name) : nullptr;
}

template <typename Function>
static Function functionFrom(const char* dll, const char* name) {
    // Through void*: the generic FARPROC type does not match the real one.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(dialogFunction(dll, name)));
}

static void initCommonControls() {
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const InitFunction init = functionFrom<InitFunction>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_HOTKEY_CLASS | ICC_BAR_CLASSES};
    if (init) {
        init(&controls);
    }
}

static HINSTANCE shellOpen(HWND dialog, const char* file) {
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const ShellExecuteFunction shellExecute =
        functionFrom<ShellExecuteFunction>("shell32.dll", "ShellExecuteA");
    if (!shellExecute) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    }
    return shellExecute(dialog, "open", file, nullptr, nullptr, SW_SHOWNORMAL);
}

static void openHelp(HWND dialog) {
    // Relative on purpose: the help file is looked for in the current folder.
    const HINSTANCE result = shellOpen(dialog, "Hushdesk.chm");
    if (reinterpret_cast<INT_PTR>(result) == SE_ERR_FNF) {
        MessageBoxA(dialog, "Hushdesk.chm not found", "Error", MB_ICONERROR);
    }
}

static INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            initialiseDialog(dialog);
            return TRUE;  // focus on the first tab stop, "Hide this dialog"
        case WM_COMMAND:
            onCommand(dialog, LOWORD(wParam));
            return TRUE;
        case WM_HELP:
            openHelp(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

void openSettingsDialog() {
    activateHotKeys(false);
    initCommonControls();
    DialogBoxParamA(appInstance(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, settingsDialogProc, 0);
}
