# The real Hushdesk.exe killed at any moment, then started again.
hushdesk_exe_test(crash_kill_anywhere_test crash/kill_anywhere_test.cpp)
