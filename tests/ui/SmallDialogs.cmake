# Tests of the small dialogs and the program's pictures.
tilvane_add_test(test_ui_small_dialogs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SmallDialogsTest.cpp
          ${PROJECT_SOURCE_DIR}/tests/server/FailingPorts.cpp
  LIBS tilvane_gui tilvane_server_kit)
target_compile_definitions(test_ui_small_dialogs PRIVATE
  TILVANE_TEST_PROJECT_VERSION="${TILVANE_VERSION_MAJOR}.${TILVANE_VERSION_MINOR}.${TILVANE_VERSION_PATCH}.${TILVANE_VERSION_TWEAK}")
