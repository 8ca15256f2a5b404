# Tests of the main window, its buttons and their decisions.
tilvane_add_test(test_ui_main_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MainWindowFixture.cpp
          ${CMAKE_CURRENT_LIST_DIR}/UpdateCheckTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramDialogsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ServerWaitTest.cpp ${PROJECT_SOURCE_DIR}/tests/server/FailingPorts.cpp
  LIBS tilvane_gui tilvane_update_test_support)
