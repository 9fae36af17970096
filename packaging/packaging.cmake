# What makes the game one of the desktop's programs: the menu entry, the icons, the software
# centre's metadata, the manual pages and Debian's documents; then CPack's Debian package of it
# all (./package.sh). Included from the top-level CMakeLists.txt, after packaging/changelog.cmake.
#
# Each text is written once and filled in wherever it is shown: the release (version, date, who
# made it, what it brought) in the changelog; what each command is for, in one line, in its manual
# page's NAME section; the rest of what tells the game, here.
set(VANTOR_NAME "Vantor Sprint")
set(VANTOR_APP_ID org.vantorsprint.VantorSprint)
# Where the project publishes itself; the software centre's screenshot is the README's, from there.
set(VANTOR_HOMEPAGE https://vantorsprint.org/)
set(VANTOR_CATEGORIES Game ActionGame)
# The long description, a paragraph a string; the modders' tools are listed after it, each with
# its manual page's line.
set(VANTOR_DESCRIPTION
  "Vantor Sprint is a small single-player 3D racing game. Drive along a track of floating blocks, \
fire a grapple beam at the points hanging over the gaps to fly across them, and reach the finish \
as fast as you can. Touch down off the track and the race is lost."
  "Modders can replace the car, the buildings, the grapple points and the ground with models of \
their own, with the tools that come with the game:")
set(VANTOR_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VANTOR_PACKAGING_BINARY_DIR ${PROJECT_BINARY_DIR}/packaging)

# Manual pages: one a command, the game's in section 6, the tools' in section 1.
file(GLOB VANTOR_MAN_SOURCES CONFIGURE_DEPENDS ${VANTOR_PACKAGING_DIR}/man/*.in)
set(VANTOR_TOOLS)
foreach(source ${VANTOR_MAN_SOURCES})
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX REPLACE "\\.[0-9]$" "" command ${page})
  # The line after ".SH NAME": "command \- what it is for", plain words only.
  file(STRINGS ${source} name_line REGEX "^${command} \\\\- ")
  if(NOT name_line MATCHES "^${command} \\\\- ([^\\\\]+)$")
    message(FATAL_ERROR "${source}: no NAME line \"${command} \\- what it is for\" in plain words")
  endif()
  set(VANTOR_SUMMARY_${command} "${CMAKE_MATCH_1}")
  if(NOT command STREQUAL vantor-sprint)
    list(APPEND VANTOR_TOOLS ${command})
  endif()
endforeach()
if(NOT DEFINED VANTOR_SUMMARY_vantor-sprint)
  message(FATAL_ERROR "${VANTOR_PACKAGING_DIR}/man: no manual page for vantor-sprint, whose line is the game's summary")
endif()
# Debian's synopsis keeps the manual page's lower case; the desktop's summary starts a sentence.
string(SUBSTRING "${VANTOR_SUMMARY_vantor-sprint}" 0 1 first)
string(SUBSTRING "${VANTOR_SUMMARY_vantor-sprint}" 1 -1 rest)
string(TOUPPER "${first}" first)
set(VANTOR_SUMMARY "${first}${rest}")

# The description as the software centre shows it.
set(VANTOR_DESCRIPTION_XML "")
foreach(paragraph IN LISTS VANTOR_DESCRIPTION)
  vantor_xml_text(paragraph "${paragraph}")
  string(APPEND VANTOR_DESCRIPTION_XML "    <p>${paragraph}</p>\n")
endforeach()
string(APPEND VANTOR_DESCRIPTION_XML "    <ul>\n")
foreach(tool ${VANTOR_TOOLS})
  vantor_xml_text(item "${tool}: ${VANTOR_SUMMARY_${tool}}")
  string(APPEND VANTOR_DESCRIPTION_XML "      <li>${item}</li>\n")
endforeach()
string(APPEND VANTOR_DESCRIPTION_XML "    </ul>\n")
set(VANTOR_CATEGORIES_XML "")
set(VANTOR_DESKTOP_CATEGORIES "")
foreach(category ${VANTOR_CATEGORIES})
  string(APPEND VANTOR_CATEGORIES_XML "    <category>${category}</category>\n")
  string(APPEND VANTOR_DESKTOP_CATEGORIES "${category};")
endforeach()

# TEXT's words in lines of at most 76 characters, as a Debian control file holds them (CPack puts a
# space before each): the first line starts with FIRST, the others with NEXT.
function(vantor_wrap out text first next)
  string(REPLACE " " ";" words "${text}")
  set(wrapped "")
  set(line "${first}")
  set(fresh TRUE)
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(fresh)
      string(APPEND line "${word}")
      set(fresh FALSE)
    elseif(length GREATER 76)
      string(APPEND wrapped "${line}\n")
      set(line "${next}${word}")
    else()
      string(APPEND line " ${word}")
    endif()
  endforeach()
  set(${out} "${wrapped}${line}" PARENT_SCOPE)
endfunction()

# The menu starts the command by its whole path: /usr/games, where the package puts it, is on a
# player's PATH but not on every session's.
set(VANTOR_LAUNCHER_PATH ${CMAKE_INSTALL_PREFIX}/${VANTOR_INSTALL_LAUNCHER_DIR}/vantor-sprint)
configure_file(${VANTOR_PACKAGING_DIR}/${VANTOR_APP_ID}.desktop.in ${VANTOR_PACKAGING_BINARY_DIR}/${VANTOR_APP_ID}.desktop @ONLY)
install(FILES ${VANTOR_PACKAGING_BINARY_DIR}/${VANTOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${VANTOR_PACKAGING_DIR}/${VANTOR_APP_ID}.metainfo.xml.in
  ${VANTOR_PACKAGING_BINARY_DIR}/${VANTOR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${VANTOR_PACKAGING_BINARY_DIR}/${VANTOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icons, drawn from the game's car by packaging/make_icons.sh, one a size: drawn once and kept
# in the tree, since a drawing depends on the machine's renderer and needs a display; ./test.sh
# checks that the script still draws them.
file(GLOB VANTOR_ICONS CONFIGURE_DEPENDS ${VANTOR_PACKAGING_DIR}/icons/*x*.png)
foreach(icon ${VANTOR_ICONS})
  get_filename_component(size ${icon} NAME_WE)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps RENAME ${VANTOR_APP_ID}.png)
endforeach()

# Manual pages, with the version and date filled in, installed compressed. gzip -n keeps no name or
# time stamp, so the same page gives the same file.
set(VANTOR_MAN_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${VANTOR_INSTALL_DATA_DIR})
set(VANTOR_COMPRESSED_DOCS)
foreach(source ${VANTOR_MAN_SOURCES})
  get_filename_component(page ${source} NAME_WLE)
  configure_file(${source} ${VANTOR_PACKAGING_BINARY_DIR}/man/${page} @ONLY)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  add_custom_command(OUTPUT ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9nkf ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}
    DEPENDS ${VANTOR_PACKAGING_BINARY_DIR}/man/${page} VERBATIM)
  list(APPEND VANTOR_COMPRESSED_DOCS ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz)
  install(FILES ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# Debian's documents: the copyright file, the changelog compressed.
add_custom_command(OUTPUT ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${VANTOR_PACKAGING_DIR}/changelog > ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  DEPENDS ${VANTOR_PACKAGING_DIR}/changelog)
list(APPEND VANTOR_COMPRESSED_DOCS ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz)
add_custom_target(vantor-docs ALL DEPENDS ${VANTOR_COMPRESSED_DOCS})
configure_file(${VANTOR_PACKAGING_DIR}/copyright.in ${VANTOR_PACKAGING_BINARY_DIR}/copyright @ONLY)
install(FILES ${VANTOR_PACKAGING_BINARY_DIR}/copyright ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantor-sprint)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor-sprint)
set(CPACK_PACKAGE_VENDOR "${VANTOR_DEVELOPERS}")
set(CPACK_PACKAGE_CONTACT "${VANTOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VANTOR_SUMMARY_vantor-sprint}")
# The long description, a line at a time as the control file shows it; CPack indents it and marks
# the empty lines. The tools' lines are indented further, which shows them as they are: a list.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "")
foreach(paragraph IN LISTS VANTOR_DESCRIPTION)
  vantor_wrap(lines "${paragraph}" "" "")
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "${lines}\n\n")
endforeach()
string(REGEX REPLACE "\n\n$" "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
foreach(tool ${VANTOR_TOOLS})
  vantor_wrap(lines "${tool}: ${VANTOR_SUMMARY_${tool}}" " * " "   ")
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "${lines}\n")
endforeach()
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VANTOR_HOMEPAGE})
# The libraries it needs are read off its executables.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${VANTOR_PACKAGING_DIR}/strip.cmake)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# A native package: its version is the game's, with no Debian revision.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VANTOR_DEB_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(CPACK_DEBIAN_FILE_NAME vantor-sprint_${PROJECT_VERSION}_${VANTOR_DEB_ARCH}.deb)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
include(CPack)
