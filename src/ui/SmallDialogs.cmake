# The small dialogs (delete confirmation, starting notice, about box, server
# URL instructions) and the program's pictures.
set(_small_dialogs_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(tilvane_ui PRIVATE
  ${_small_dialogs_dir}/DeleteModFolderFM.cpp ${_small_dialogs_dir}/DeleteModFolderFM.h
  ${_small_dialogs_dir}/DeleteModFolderFM.ui
  ${_small_dialogs_dir}/StartingFSFM.cpp ${_small_dialogs_dir}/StartingFSFM.h
  ${_small_dialogs_dir}/StartingFSFM.ui
  ${_small_dialogs_dir}/AboutFM.cpp ${_small_dialogs_dir}/AboutFM.h
  ${_small_dialogs_dir}/AboutFM.ui
  ${_small_dialogs_dir}/ServerURLInstructionFM.cpp ${_small_dialogs_dir}/ServerURLInstructionFM.h
  ${_small_dialogs_dir}/ServerURLInstructionFM.ui)

# The pictures are compiled into an object library whose object every program
# linking tilvane_ui links directly. Inside the static library the resource
# object would be dropped by the linker, since no code refers to it, and the
# pictures would be missing without a word.
add_library(tilvane_ui_pictures OBJECT ${_small_dialogs_dir}/pictures/pictures.qrc)
target_link_libraries(tilvane_ui_pictures PRIVATE Qt6::Core)
set_target_properties(tilvane_ui_pictures PROPERTIES AUTOMOC OFF AUTOUIC OFF)
target_sources(tilvane_ui INTERFACE $<TARGET_OBJECTS:tilvane_ui_pictures>)

# The program's web site: scheme and host, for example "https://example.org".
# The about box links to it and shows its supporters page; left empty, the box
# links nowhere and fetches nothing.
set(TILVANE_WEBSITE_URL "" CACHE STRING "The program's web site (scheme and host); empty for none")
target_compile_definitions(tilvane_ui PRIVATE TILVANE_WEBSITE_URL="${TILVANE_WEBSITE_URL}")
