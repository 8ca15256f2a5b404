# The visual themes the program offers.
target_sources(tilvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Themes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Themes.h)
