# Hushdesk.chm, compiled from help/ with chmcmd (Debian's fp-utils) and
# placed beside the exe. Skipped where chmcmd or Python 3 is missing.
#
# The pages and the project file name the version as @HUSHDESK_RELEASE@:
# they are configured into help/ in the build folder first, together with
# the committed screenshot of the settings dialog (docs/screenshot.png, which
# `make screenshot` redraws), and chmcmd compiles that copy. chmcmd writes
# into its working folder and reads the pages relative to the project file.
find_program(HUSHDESK_CHMCMD chmcmd)
find_package(Python3 COMPONENTS Interpreter)
if(HUSHDESK_CHMCMD AND Python3_Interpreter_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/help/Hushdesk.hhp)
  set(help_dir ${CMAKE_BINARY_DIR}/help)
  file(GLOB help_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
  set(help_files)
  foreach(source ${help_sources})
    get_filename_component(name ${source} NAME)
    if(name MATCHES "\\.(html|hhp)$")
      configure_file(${source} ${help_dir}/${name} @ONLY)
    else()
      configure_file(${source} ${help_dir}/${name} COPYONLY)
    endif()
    list(APPEND help_files ${help_dir}/${name})
  endforeach()
  configure_file(${CMAKE_SOURCE_DIR}/docs/screenshot.png ${help_dir}/screenshot.png COPYONLY)
  list(APPEND help_files ${help_dir}/screenshot.png)

  # chmcmd stamps the file with the time of day it ran; chm_stamps.py turns
  # that into a value of the contents, so the same sources give the same file.
  set(stamps ${CMAKE_SOURCE_DIR}/cmake/chm_stamps.py)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Hushdesk.chm
    COMMAND ${CMAKE_COMMAND} -E rm -f Hushdesk.chm
    COMMAND ${HUSHDESK_CHMCMD} ${help_dir}/Hushdesk.hhp > chmcmd.log 2>&1
    COMMAND ${Python3_EXECUTABLE} ${stamps} Hushdesk.chm
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS ${help_files} ${stamps} ${CMAKE_SOURCE_DIR}/cmake/chm_listing.py
    COMMENT "Compiling Hushdesk.chm")
  add_custom_target(hushdesk_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Hushdesk.chm)
else()
  message(STATUS "Hushdesk.chm is not built: it needs chmcmd (Free Pascal) and Python 3")
endif()
