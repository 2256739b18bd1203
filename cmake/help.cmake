# Hushdesk.chm, compiled from help/ with chmcmd (Debian's fp-utils) and
# placed beside the exe. chmcmd writes into its working folder and reads
# the pages relative to the project file. Skipped where chmcmd is missing.
find_program(HUSHDESK_CHMCMD chmcmd)
if(HUSHDESK_CHMCMD AND EXISTS ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp)
  file(GLOB HUSHDESK_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Hushdesk.chm
    COMMAND ${CMAKE_COMMAND} -E rm -f Hushdesk.chm
    COMMAND ${HUSHDESK_CHMCMD} ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp > chmcmd.log 2>&1
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS ${HUSHDESK_HELP_SOURCES}
    COMMENT "Compiling Hushdesk.chm")
  add_custom_target(hushdesk_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Hushdesk.chm)
endif()
