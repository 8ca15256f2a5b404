# Tests of the settings dialog and the developer listing.
tilvane_add_test(test_ui_settings_dialogs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfoTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/GameSandbox.cpp ${CMAKE_CURRENT_LIST_DIR}/GameSandbox.h
  LIBS tilvane_gui)
