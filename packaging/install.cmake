# Installs the game the way Linux games are installed: the launcher and the
# headless simulator in bin/, the game itself in libexec/vantor/, the content
# in share/vantor/data/, a desktop menu entry with its icon and the manual
# pages. `cpack -G DEB` packs the same into a Debian package.
include(GNUInstallDirs)

# The content is generated at build time into the build folder and installed
# from there; it is made again only when the content tool changes. Leak
# reports of a sanitizer build must not fail the build here.
set(VANTOR_CONTENT_DIR ${CMAKE_BINARY_DIR}/content/data)
set(VANTOR_CONTENT_STAMP ${CMAKE_BINARY_DIR}/content/generated)
add_custom_command(OUTPUT ${VANTOR_CONTENT_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VANTOR_CONTENT_DIR}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:vantor-content> ${VANTOR_CONTENT_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${VANTOR_CONTENT_STAMP}
  DEPENDS vantor-content
  COMMENT "Generating the game content into ${VANTOR_CONTENT_DIR}"
  VERBATIM)
add_custom_target(vantor_content_data ALL DEPENDS ${VANTOR_CONTENT_STAMP})

# Installing and packing take what the build made and never start a build of
# the whole tree themselves (cpack runs the install step, which would): build
# first, then `cmake --install` or `cpack`.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The launcher finds the content and the game relative to its own folder.
set(VANTOR_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vantor)
set(VANTOR_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vantor)
file(RELATIVE_PATH VANTOR_SHARE_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VANTOR_SHARE_DIR})
file(RELATIVE_PATH VANTOR_GAME_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VANTOR_GAME_DIR}/vantor)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantor.in ${CMAKE_BINARY_DIR}/launcher/vantor @ONLY)

install(TARGETS vantor RUNTIME DESTINATION ${VANTOR_GAME_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/vantor DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vantor-sim)
  install(TARGETS vantor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${VANTOR_CONTENT_DIR} DESTINATION ${VANTOR_SHARE_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vantor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VANTOR_CONTENT_DIR}/gui/icon.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
  RENAME vantor.png)
install(FILES ${CMAKE_SOURCE_DIR}/man/vantor.6 ${CMAKE_SOURCE_DIR}/man/vantor-sim.6
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# Every Debian package carries its copyright under its own doc folder.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantor)

set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "Vantor")
set(CPACK_PACKAGE_CONTACT "Vantor developers <vantor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time-trial hover racer against the ghost of your best run")
# The summary above is the description's first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Drive a hovering ship around fifteen closed tracks against the clock and
against the translucent ghost of your fastest run. Tracks unlock by medals.
The simulation is deterministic, so a run is nothing but its control records.
Includes vantor-sim, the headless simulator that replays and verifies runs.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries the binaries link become the package's dependencies
# (dpkg-shlibdeps, from dpkg-dev), added to libgl1: SDL loads libGL.so.1 at run
# time, which no link names. GL needs a driver, which libgl1 only recommends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
