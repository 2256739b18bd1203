# Crash recovery of the real Hushdesk.exe, driven from outside.
hushdesk_exe_test(recovery_test recovery/recovery_test.cpp)
