# The release archives, checked natively (no Wine): the script packs both
# builds into a temporary folder first. The 32-bit build is the sibling
# folder that `make build` makes (build/win32 beside build/win64).
if(HUSHDESK_ARCH STREQUAL "amd64")
  add_test(NAME dist_archive
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/dist/check_dist.py
            ${HUSHDESK_WIN32_BUILD} ${CMAKE_BINARY_DIR})
  set_tests_properties(dist_archive PROPERTIES TIMEOUT 120)
endif()
