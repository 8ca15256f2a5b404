# Tests of the page diagnostics windows.
tilvane_add_test(test_pagediag
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PageDiagnosticsTest.cpp
  LIBS tilvane_gui)
