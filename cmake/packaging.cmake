# Installation and the Debian package:
#   cmake --build build --target package    (or ./package.sh)
# gives build-package/kalvex_VERSION_ARCH.deb with kalvex and kalvex-cli in /usr/bin,
# their man pages, the desktop entry and the icon.
include(GNUInstallDirs)
if(KALVEX_SANITIZE)
  return()  # a sanitizer build is for tests, never shipped
endif()

if(WIN32)
  include(cmake/windows_packaging.cmake)
  return()  # no Debian parts
endif()
install(TARGETS kalvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages, compressed as Debian wants them.
set(KALVEX_MAN_PAGES kalvex-cli.1)
if(KALVEX_GUI)
  list(APPEND KALVEX_MAN_PAGES kalvex.1)
endif()
set(KALVEX_MAN_OUTPUTS)
foreach(page ${KALVEX_MAN_PAGES})
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/${page} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${page} VERBATIM)
  list(APPEND KALVEX_MAN_OUTPUTS ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(kalvex_man ALL DEPENDS ${KALVEX_MAN_OUTPUTS})

# /usr/share/doc/kalvex: the copyright in Debian's machine-readable form and
# the changelog, compressed as Debian wants it (a native package's name).
set(KALVEX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kalvex)
configure_file(packaging/copyright ${CMAKE_BINARY_DIR}/doc/copyright @ONLY)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog VERBATIM)
add_custom_target(kalvex_doc ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DESTINATION ${KALVEX_DOC_DIR})

if(KALVEX_GUI)
  install(TARGETS kalvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/kalvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/kalvex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # The bitmap sizes are drawn at build time from the same geometry.
  add_executable(kalvex-render-icon packaging/render_icon.cpp)
  target_link_libraries(kalvex-render-icon PRIVATE Qt6::Gui)
  set(KALVEX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  add_custom_command(OUTPUT ${KALVEX_ICON_DIR}/256x256/apps/kalvex.png
    COMMAND kalvex-render-icon ${KALVEX_ICON_DIR}
    DEPENDS kalvex-render-icon VERBATIM)
  add_custom_target(kalvex_icons ALL DEPENDS ${KALVEX_ICON_DIR}/256x256/apps/kalvex.png)
  install(DIRECTORY ${KALVEX_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvex)
set(CPACK_PACKAGE_VENDOR "Brenvik")
set(CPACK_PACKAGE_CONTACT "${KALVEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KALVEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Reads live engine data and fault codes of 17 car makes over KWP2000\n(K-line and CAN) through ELM327 and Kesta-mini serial adapters, and clears\nthe fault codes. A Qt window (kalvex) and a command-line tool (kalvex-cli)\nwith a built-in simulator.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kalvex_1.5_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The libraries the binaries link, found by dpkg-shlibdeps; the font is
# loaded by name (Cyrillic captions at the window's pixel sizes).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations make its dialogs and buttons Russian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
