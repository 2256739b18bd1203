hushdesk_exe_test(hotkeys_registration_test hotkeys/hotkeys_test.cpp hotkeys/session.cpp)
hushdesk_exe_test(hotkeys_instance_test hotkeys/instance_test.cpp hotkeys/session.cpp)
