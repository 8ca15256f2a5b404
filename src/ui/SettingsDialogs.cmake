# The settings dialog and the developer listing. What they decide without a
# widget goes into tilvane_ui_logic; the windows and their layouts into
# tilvane_ui.
target_sources(tilvane_ui_logic PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsLogic.cpp ${CMAKE_CURRENT_LIST_DIR}/SettingsLogic.h
  ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfo.cpp ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfo.h)
target_sources(tilvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFM.cpp ${CMAKE_CURRENT_LIST_DIR}/SettingsFM.h
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFM.ui
  ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfoFM.cpp ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfoFM.h
  ${CMAKE_CURRENT_LIST_DIR}/DeveloperInfoFM.ui)
