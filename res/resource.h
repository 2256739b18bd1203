#pragma once

// Icons
#define IDI_APP 101

// Dialogs
#define IDD_SETTINGS 102

// Controls of IDD_SETTINGS
#define IDC_MODE 1001
#define IDC_TITLES 1004
#define IDC_HIDE_DIALOG 1005
#define IDC_QUIT 1006
#define IDC_SWITCH_HOTKEY 1007
#define IDC_SETTINGS_HOTKEY 1008
#define IDC_SHOW_ON_STARTUP 1009
#define IDC_HELP_BUTTON 1010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
