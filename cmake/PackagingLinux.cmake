# Linux: the desktop entry, the icon in the hicolor theme and the AppStream
# metainfo under one application id, and a .deb for Debian 12.
set(TILVANE_APP_ID "org.tilvane.Tilvane")
set(_linux_files ${PROJECT_SOURCE_DIR}/packaging/linux)

install(FILES ${_linux_files}/${TILVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/gui/pictures/tilvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TILVANE_APP_ID}.svg)
string(TIMESTAMP TILVANE_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${_linux_files}/${TILVANE_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${TILVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${TILVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The libraries the program links, Qt's among them, come from dpkg-shlibdeps;
# in Debian they carry the platform plugins (the window system, offscreen) and
# the SVG image plugin the pictures need. What the program starts by name is
# declared here: xdg-open, which starts the game and opens folders and pages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
# Windows without a desktop's fonts would show no text.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")

# The desktop entry and the metainfo as software centres read them.
if(TILVANE_BUILD_TESTS)
  find_program(TILVANE_APPSTREAMCLI appstreamcli REQUIRED)
  find_program(TILVANE_DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
  add_test(NAME package_metainfo
           COMMAND ${TILVANE_APPSTREAMCLI} validate --no-net
                   ${CMAKE_CURRENT_BINARY_DIR}/${TILVANE_APP_ID}.metainfo.xml)
  add_test(NAME package_desktop_entry
           COMMAND ${TILVANE_DESKTOP_FILE_VALIDATE} ${_linux_files}/${TILVANE_APP_ID}.desktop)
endif()
