# The release archives, checked natively (no Wine): the script packs both
# builds into a temporary folder first. The 32-bit build is the sibling
# folder that `make build` makes (build/win32 beside build/win64).
add_test(NAME dist_archive
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/dist/check_dist.py
          ${CMAKE_BINARY_DIR}/../win32 ${CMAKE_BINARY_DIR})
set_tests_properties(dist_archive PROPERTIES TIMEOUT 120)

# The release built twice from HEAD in two fresh clones, compared byte for
# byte; and a clone whose project() version alone is changed, which must
# then show everywhere. Natively too, each `make dist` in its clone taking
# 15-25 s on 2 cores; skipped (77) outside a git checkout.
foreach(check reproducible version)
  add_test(NAME dist_${check}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/dist/check_${check}.py)
  set_tests_properties(dist_${check} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
endforeach()
