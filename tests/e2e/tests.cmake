# The real Hushdesk.exe driven from outside, with windows of the test's own.
hushdesk_exe_test(e2e_switch_test e2e/switch_test.cpp)
hushdesk_exe_test(e2e_reliability_test e2e/reliability_test.cpp)
hushdesk_exe_test(e2e_bad_profile_test e2e/bad_profile_test.cpp)
hushdesk_exe_test(e2e_burst_test e2e/burst_test.cpp)
