# The profile file, in-process: real INI files in a temporary folder.
hushdesk_test(profile_test profile/profile_test.cpp)
