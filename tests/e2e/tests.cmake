hushdesk_test(e2e_switch_test e2e/switch_test.cpp)
