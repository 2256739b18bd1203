# Windows of a program nobody here wrote (Wine's 64-bit Notepad), hidden,
# shown and recovered by each exe.
hushdesk_exe_test(foreign_program_test foreign/foreign_program_test.cpp)
