# Pure logic, in-process: no window, no file.
hushdesk_test(unit_logic_test
  unit/title_list_test.cpp
  unit/should_hide_test.cpp
  unit/hotkey_word_test.cpp
  unit/hidden_record_test.cpp
)
