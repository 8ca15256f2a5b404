# Page diagnostics windows, and the viewer through which the data module shows
# them (src/server/ServerPageViewer.h).
tilvane_add_library(tilvane_pagediag_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnknownModPageFM.cpp ${CMAKE_CURRENT_LIST_DIR}/ShowWhatWasFoundFM.cpp
          ${CMAKE_CURRENT_LIST_DIR}/UnknownModPageViewer.cpp
  LIBS tilvane_server tilvane_common_gui Qt6::Widgets)
