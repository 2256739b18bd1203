# The settings dialog of the real Hushdesk.exe, driven from outside.
hushdesk_exe_test(dialog_test dialog/dialog_test.cpp)
