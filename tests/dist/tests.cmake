# The release archives, checked natively: the script packs both builds into
# a temporary folder, checks each zip, then unpacks each into a fresh folder
# and starts its exe there under Wine (dist_start_test). The 32-bit build is
# the sibling folder that `make build` makes (build/win32 beside build/win64).
if(HUSHDESK_ARCH STREQUAL "amd64")
  add_executable(dist_start_test dist/start_test.cpp)
  target_link_libraries(dist_start_test PRIVATE test_support gtest_main)
  add_test(NAME dist_archive
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/dist/check_dist.py
            ${HUSHDESK_WIN32_BUILD} ${CMAKE_BINARY_DIR} $<TARGET_FILE:dist_start_test>)
  set_tests_properties(dist_archive PROPERTIES TIMEOUT 300)
endif()
