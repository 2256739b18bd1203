# The version lives in project() in CMakeLists.txt and nowhere else. Every
# other mention is generated from it here: the version block and the status
# bar (through hushdesk_version.h), the README.txt that ships, the help
# pages (cmake/help.cmake) and the archive names (scripts/dist.sh reads the
# header).
#
# The release name is major.minor, and more only when there is more to say:
# 0.2.0 is "0.2", 0.2.1 is "0.2.1", 1.0.0.3 is "1.0.0.3".
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    set(HUSHDESK_VERSION_${part} 0)
  else()
    set(HUSHDESK_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()
set(HUSHDESK_RELEASE "${HUSHDESK_VERSION_MAJOR}.${HUSHDESK_VERSION_MINOR}")
if(NOT HUSHDESK_VERSION_TWEAK EQUAL 0)
  string(APPEND HUSHDESK_RELEASE ".${HUSHDESK_VERSION_PATCH}.${HUSHDESK_VERSION_TWEAK}")
elseif(NOT HUSHDESK_VERSION_PATCH EQUAL 0)
  string(APPEND HUSHDESK_RELEASE ".${HUSHDESK_VERSION_PATCH}")
endif()
# The version block's text form of the four numbers: "0, 2, 0, 0".
set(HUSHDESK_VERSION_TEXT
    "${HUSHDESK_VERSION_MAJOR}, ${HUSHDESK_VERSION_MINOR}, ${HUSHDESK_VERSION_PATCH}, ${HUSHDESK_VERSION_TWEAK}")

set(HUSHDESK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/res/hushdesk_version.h.in
               ${HUSHDESK_GENERATED_DIR}/hushdesk_version.h @ONLY)

# README.txt for the download, beside the exe: Notepad wants CR LF, and the
# title's underline is as long as the title.
set(HUSHDESK_README_TITLE "Hushdesk ${HUSHDESK_RELEASE}")
string(LENGTH "${HUSHDESK_README_TITLE}" title_length)
string(REPEAT "=" ${title_length} HUSHDESK_README_UNDERLINE)
configure_file(${CMAKE_SOURCE_DIR}/docs/README.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
