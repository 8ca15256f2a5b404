# Tests of the new and edit mod folder dialog and the button files.
tilvane_add_test(test_ui_mod_folder_dialog
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/NewModFolderTest.cpp
          ${PROJECT_SOURCE_DIR}/tests/server/FailingPorts.cpp
  LIBS tilvane_gui tilvane_update_test_support)
