# Hushdesk.chm, compiled from help/ with chmcmd (Debian's fp-utils) and
# placed beside the exe. chmcmd writes into its working folder and reads
# the pages relative to the project file. Skipped where chmcmd or Python 3
# is missing.
find_program(HUSHDESK_CHMCMD chmcmd)
find_package(Python3 COMPONENTS Interpreter)
if(HUSHDESK_CHMCMD AND Python3_Interpreter_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp)
  file(GLOB HUSHDESK_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
  # chmcmd stamps the file with the time of day it ran; chm_stamps.py turns
  # that into a value of the contents, so the same sources give the same file.
  set(stamps ${CMAKE_SOURCE_DIR}/cmake/chm_stamps.py)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Hushdesk.chm
    COMMAND ${CMAKE_COMMAND} -E rm -f Hushdesk.chm
    COMMAND ${HUSHDESK_CHMCMD} ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp > chmcmd.log 2>&1
    COMMAND ${Python3_EXECUTABLE} ${stamps} Hushdesk.chm
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS ${HUSHDESK_HELP_SOURCES} ${stamps}
    COMMENT "Compiling Hushdesk.chm")
  add_custom_target(hushdesk_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Hushdesk.chm)
else()
  message(STATUS "Hushdesk.chm is not built: it needs chmcmd (Free Pascal) and Python 3")
endif()
