# Hushdesk.chm, compiled from help/ with chmcmd (Debian's fp-utils) and
# placed beside the exe. Skipped where chmcmd is not available.
find_program(HUSHDESK_CHMCMD chmcmd)
if(HUSHDESK_CHMCMD AND EXISTS ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp)
  file(GLOB HUSHDESK_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Hushdesk.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/help-src
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/help-src
    COMMAND ${HUSHDESK_CHMCMD} Hushdesk.hhp > chmcmd.log
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/help-src/Hushdesk.chm ${CMAKE_BINARY_DIR}/Hushdesk.chm
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/help-src
    DEPENDS ${HUSHDESK_HELP_SOURCES}
    COMMENT "Compiling Hushdesk.chm")
  add_custom_target(help ALL DEPENDS ${CMAKE_BINARY_DIR}/Hushdesk.chm)
endif()
