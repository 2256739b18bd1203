# The -posix compilers: GoogleTest needs std::mutex, which the win32 thread
# model lacks. Everything links statically, so nothing of it is shipped.
set(CMAKE_C_COMPILER ${HUSHDESK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HUSHDESK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HUSHDESK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HUSHDESK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs built here run under Wine (ctest, benchmarks).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
