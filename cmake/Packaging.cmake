# Installing the program as a desktop program (cmake --install) and its Debian package
# (cpack -G DEB, from the build folder): the program, its offline pages, the icon, the
# desktop entry and the AppStream metainfo under the usual prefixes; the package depends
# on the Debian packages whose libraries the program links.
include(GNUInstallDirs)

install(TARGETS talbex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talbex)
set(CPACK_PACKAGE_VENDOR "The Talbex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Identify, set up and remote-control your digital camera")
set(CPACK_PACKAGE_DESCRIPTION
    "Talbex is a bilingual (Simplified Chinese and English) desktop utility for digital\n\
cameras: it identifies an attached camera, shows and edits its parameters, sets its\n\
clock, and controls it remotely with live view, collecting the pictures into a folder\n\
of the user's choice.")
set(CPACK_PACKAGE_CONTACT "The Talbex developers <talbex@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # talbex_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends: from the libraries the program links
# The Chinese font the windows are drawn with, and the opener of web pages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
