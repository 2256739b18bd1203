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

  # The release built twice from HEAD in two fresh clones, compared byte for
  # byte; and a clone whose project() version alone is changed, which must
  # then show everywhere. Natively too, each `make dist` in its clone taking
  # 15-25 s on 2 cores; skipped (77) outside a git checkout.
  foreach(check reproducible version)
    add_test(NAME dist_${check}
      COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/dist/check_${check}.py)
    set_tests_properties(dist_${check} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
  endforeach()
endif()
