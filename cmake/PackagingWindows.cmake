# The Windows installer: NSIS builds TilvaneSetup.exe, the file name the
# update check downloads and starts. Included before include(CPack) when
# WIN32. Built by `cpack --preset windows-msvc-release` after a release build.

# The program with what it needs beside it: the libraries it links (Qt,
# curl, libzip, pugixml and theirs, as vcpkg built them), then Qt's plugins
# and the compiler's runtime through Qt's deployment script, which expects
# the program in the standard bin folder.
# (The program itself is installed by Packaging.cmake.)
install(FILES $<TARGET_RUNTIME_DLLS:tilvane> DESTINATION ${CMAKE_INSTALL_BINDIR})
qt_generate_deploy_app_script(TARGET tilvane OUTPUT_SCRIPT _tilvane_deploy_script
  NO_TRANSLATIONS NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${_tilvane_deploy_script})

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Tilvane)
set(CPACK_PACKAGE_FILE_NAME TilvaneSetup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tilvane)
# The Start menu entry "Tilvane" starts tilvane.exe.
set(CPACK_PACKAGE_EXECUTABLES tilvane Tilvane)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tilvane)
set(CPACK_NSIS_DISPLAY_NAME Tilvane)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/gui/pictures/tilvane.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/src/gui/pictures/tilvane.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/tilvane.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The update check starts the installer and ends the program: the installer
# then writes over the same folder, and offers to start the new version.
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tilvane.exe)
if(TILVANE_WEBSITE_URL)
  set(CPACK_NSIS_URL_INFO_ABOUT "${TILVANE_WEBSITE_URL}")
endif()
