# What `cmake --install` puts in place and the packages CPack builds from it.
# The parts each operating system adds sit in a file of their own, included
# below before CPack reads the settings.
include(GNUInstallDirs)

# Installing and packaging need the program only, not every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS tilvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME "tilvane")
set(CPACK_PACKAGE_VENDOR "Tilvane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Mod folders for Farming Simulator, kept in line with a dedicated server")
set(CPACK_PACKAGE_DESCRIPTION
    "Tilvane keeps named mod folders for Farming Simulator 19, 22 and 25 and switches the game to one with a click. A folder can follow a dedicated server's mod list: before the game starts, archives the server no longer lists are removed and missing ones downloaded. A log viewer follows the game's log and lists its warnings and errors.")
set(CPACK_PACKAGE_CONTACT "Tilvane developers <tilvane@localhost>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TILVANE_WEBSITE_URL}")

# Each system's part: its files to install and its CPack generator.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
elseif(UNIX AND NOT APPLE)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingLinux.cmake)
endif()

include(CPack)
