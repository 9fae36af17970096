# What makes the game one of the desktop's programs: the menu entry, the icons, the software
# centre's metadata, the manual pages and Debian's documents; then CPack's Debian package of it
# all (./package.sh). Included from the top-level CMakeLists.txt.
set(VANTOR_APP_ID org.vantorsprint.VantorSprint)
# Where the project publishes itself; the software centre's screenshot is the README's, from there.
set(VANTOR_HOMEPAGE https://vantorsprint.org/)
set(VANTOR_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VANTOR_PACKAGING_BINARY_DIR ${PROJECT_BINARY_DIR}/packaging)

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

# Manual pages: each written once, with the version and date filled in, installed compressed.
# gzip -n keeps no name or time stamp, so the same page gives the same file.
set(VANTOR_MAN_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${VANTOR_INSTALL_DATA_DIR})
set(VANTOR_MAN_PAGES vantor-sprint.6 vantor-model-check.1 vantor-model-import.1 vantor-model-view.1)
set(VANTOR_COMPRESSED_DOCS)
foreach(page ${VANTOR_MAN_PAGES})
  configure_file(${VANTOR_PACKAGING_DIR}/man/${page}.in ${VANTOR_PACKAGING_BINARY_DIR}/man/${page} @ONLY)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  add_custom_command(OUTPUT ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9nkf ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}
    DEPENDS ${VANTOR_PACKAGING_BINARY_DIR}/man/${page} VERBATIM)
  list(APPEND VANTOR_COMPRESSED_DOCS ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz)
  install(FILES ${VANTOR_PACKAGING_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# Debian's documents: the copyright file as it is, the changelog compressed.
add_custom_command(OUTPUT ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${VANTOR_PACKAGING_DIR}/changelog > ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  DEPENDS ${VANTOR_PACKAGING_DIR}/changelog)
list(APPEND VANTOR_COMPRESSED_DOCS ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz)
add_custom_target(vantor-docs ALL DEPENDS ${VANTOR_COMPRESSED_DOCS})
install(FILES ${VANTOR_PACKAGING_DIR}/copyright ${VANTOR_PACKAGING_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantor-sprint)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor-sprint)
set(CPACK_PACKAGE_VENDOR "The Vantor Sprint developers")
set(CPACK_PACKAGE_CONTACT "The Vantor Sprint developers <developers@vantorsprint.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "racing game against the clock with a grapple beam")
# The long description, a line at a time as the control file shows it; CPack indents it and marks
# the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantor Sprint is a small single-player 3D racing game. Drive along a track of
floating blocks, fire a grapple beam at the points hanging over the gaps to
fly across them, and reach the finish as fast as you can.

The package also holds the modders' tools: vantor-model-check reads a model
as the game does and says what it would drop, vantor-model-import makes a
model exported from a 3D program ready for the game, and vantor-model-view
shows a model as the game draws it.")
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
