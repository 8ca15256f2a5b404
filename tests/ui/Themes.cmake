# Tests of the visual themes.
tilvane_add_test(test_ui_themes
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ThemesTest.cpp
  LIBS tilvane_gui)
