# The new and edit mod folder dialog and the export of a button file. Their
# widget-free decisions go into tilvane_ui_logic.
target_sources(tilvane_ui_logic PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/NewModFolderLogic.cpp ${CMAKE_CURRENT_LIST_DIR}/NewModFolderLogic.h
  ${CMAKE_CURRENT_LIST_DIR}/ModFolderButtonExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModFolderButtonExport.h)
target_sources(tilvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/NewModFolderFM.cpp ${CMAKE_CURRENT_LIST_DIR}/NewModFolderFM.h
  ${CMAKE_CURRENT_LIST_DIR}/NewModFolderFM.ui)
