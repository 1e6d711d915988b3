# Installing the program as a desktop program (cmake --install) and its Debian package
# (cpack -G DEB, from the build folder): the program (and its windows' half), its manual page, its offline pages,
# the icon, the desktop entry, the AppStream metainfo, the copyright file and the
# changelog under the usual prefixes; the package depends on the Debian packages whose
# libraries the program links. The README lists these files; the package test holds the
# package to that list and to lintian.
include(GNUInstallDirs)

set(TALBEX_MAINTAINER "Talbex Developers <maintainers@talbex.org>"
    CACHE STRING "The package's maintainer, NAME <ADDRESS>")

find_program(TALBEX_HELP2MAN help2man REQUIRED)
find_program(TALBEX_GZIP gzip REQUIRED)
set(package_dir ${PROJECT_BINARY_DIR}/packaging)

# The manual page is made from `talbex --help` at every build of the program, so the two
# cannot drift apart. Compressed without a time stamp, as Debian wants it.
add_custom_command(OUTPUT ${package_dir}/talbex.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
  COMMAND ${TALBEX_HELP2MAN} --no-info --section=1
          "--name=identify, set up and remote-control digital cameras"
          --output=${package_dir}/talbex.1 $<TARGET_FILE:talbex>
  COMMAND ${TALBEX_GZIP} -9nf ${package_dir}/talbex.1
  DEPENDS talbex
  COMMENT "Making the manual page talbex(1) from talbex --help"
  VERBATIM)

# The copyright file (Debian's machine-readable format) and the changelog name the
# maintainer; the changelog is compressed as the manual page is.
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${package_dir}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${package_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${package_dir}/changelog.gz
  COMMAND ${TALBEX_GZIP} -9nc ${package_dir}/changelog > ${package_dir}/changelog.gz
  DEPENDS ${package_dir}/changelog
  VERBATIM)
add_custom_target(talbex_package_files ALL
  DEPENDS ${package_dir}/talbex.1.gz ${package_dir}/changelog.gz)

install(TARGETS talbex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program with its Qt windows, which `talbex` becomes on a desktop.
install(TARGETS talbex-desktop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/talbex)
install(FILES ${package_dir}/talbex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/pages/index_cn.htm
              ${PROJECT_SOURCE_DIR}/resources/pages/index_en.htm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/talbex)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/talbex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME org.talbex.Talbex.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/org.talbex.Talbex.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/org.talbex.Talbex.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${package_dir}/copyright ${package_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/talbex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talbex)
set(CPACK_PACKAGE_VENDOR "The Talbex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Identify, set up and remote-control your digital camera")
# Debian wants the description's lines shorter than 80 characters, with the leading blank.
set(CPACK_PACKAGE_DESCRIPTION
    "Talbex is a bilingual (Simplified Chinese and English) desktop utility for\n\
digital cameras: it identifies an attached camera, shows and edits its\n\
parameters, sets its clock, and controls it remotely with live view,\n\
collecting the pictures into a folder of the user's choice.")
set(CPACK_PACKAGE_CONTACT "${TALBEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TALBEX_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # talbex_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends: from the libraries the program links
# Qt's own translations (the standard buttons in Chinese), Qt's Wayland support, the
# Chinese font the windows are drawn with, and the opener of web pages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, qt6-wayland, fonts-wqy-microhei, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
