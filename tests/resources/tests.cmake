# The resources as each built exe carries them, read through the system's
# resource and version functions.
hushdesk_exe_test(resources_test resources/resources_test.cpp)
if(TARGET resources_test)
  target_link_libraries(resources_test PRIVATE version)
endif()

# The PE image of each exe, from the Linux side with pefile: its kind, its
# imports, its manifest, and the same resources in both.
if(HUSHDESK_ARCH STREQUAL "amd64")
  # A plain command: CMake puts the emulator before target executables only.
  set(check_pe ${CMAKE_CURRENT_LIST_DIR}/check_pe.py)
  add_test(NAME resources_pe_win64
           COMMAND /usr/bin/python3 ${check_pe} --arch amd64 $<TARGET_FILE:Hushdesk>)
  add_test(NAME resources_pe_win32
           COMMAND /usr/bin/python3 ${check_pe} --arch x86 ${HUSHDESK_WIN32_BUILD}/Hushdesk.exe
                   --same-resources-as $<TARGET_FILE:Hushdesk>)
endif()
