hushdesk_test(recovery_test recovery/recovery_test.cpp)
