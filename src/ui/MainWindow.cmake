# The main window and its mod folder buttons; their widget-free decisions go
# into tilvane_ui_logic.
target_sources(tilvane_ui_logic PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModFolderButtonLogic.cpp)
target_sources(tilvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MainFM.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFM.h
  ${CMAKE_CURRENT_LIST_DIR}/MainFM.ui
  ${CMAKE_CURRENT_LIST_DIR}/ModFolderFR.cpp ${CMAKE_CURRENT_LIST_DIR}/ModFolderFR.h
  ${CMAKE_CURRENT_LIST_DIR}/ModFolderFR.ui
  ${CMAKE_CURRENT_LIST_DIR}/ProgramDialogs.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramDialogs.h)
