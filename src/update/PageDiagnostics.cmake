# Page diagnostics windows.
tilvane_add_library(tilvane_pagediag_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnknownModPageFM.cpp ${CMAKE_CURRENT_LIST_DIR}/ShowWhatWasFoundFM.cpp
  LIBS tilvane_server tilvane_common_gui Qt6::Widgets)
