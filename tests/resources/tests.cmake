# The resources as the built exes carry them.
hushdesk_test(resources_test resources/resources_test.cpp)
target_link_libraries(resources_test PRIVATE version)

# From the Linux side with pefile, since the 32-bit exe cannot run here.
# A plain command: CMake puts the emulator before target executables only.
set(HUSHDESK_WIN32_EXE "${CMAKE_BINARY_DIR}/../win32/Hushdesk.exe" CACHE FILEPATH
    "The 32-bit Hushdesk.exe that the resource checks compare with this build's")
set(check_pe ${CMAKE_CURRENT_LIST_DIR}/check_pe.py)
add_test(NAME resources_pe_win64
         COMMAND /usr/bin/python3 ${check_pe} --arch amd64 $<TARGET_FILE:Hushdesk>)
add_test(NAME resources_pe_win32
         COMMAND /usr/bin/python3 ${check_pe} --arch x86 ${HUSHDESK_WIN32_EXE}
                 --same-resources-as $<TARGET_FILE:Hushdesk>)
# Skipped (exit 77) when the 32-bit build is not there.
set_tests_properties(resources_pe_win64 resources_pe_win32 PROPERTIES SKIP_RETURN_CODE 77)
