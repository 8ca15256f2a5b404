# Update engine: archive inspection and the update task
# (widget-free), and the window that runs the task.
set(_update_dir ${CMAKE_CURRENT_LIST_DIR})
tilvane_add_library(tilvane_update
  SOURCES
    ${_update_dir}/ModArchiveReader.cpp
    ${_update_dir}/ArchiveHash.cpp
    ${_update_dir}/ArchiveFactsCache.cpp
    ${_update_dir}/UpdateProgressModel.cpp
    ${_update_dir}/UpdateModsTask.cpp
    ${_update_dir}/UpdateModsTaskArchives.cpp
    ${_update_dir}/DownloadCheck.cpp
    ${_update_dir}/HashingFileSink.cpp
    ${_update_dir}/ModFolderLock.cpp
    ${_update_dir}/ModFolderKey.cpp
    ${_update_dir}/UiHandOver.cpp
    ${_update_dir}/HandOverPromptService.cpp
  LIBS tilvane_http tilvane_game tilvane_server PkgConfig::LIBZIP pugixml::pugixml OpenSSL::Crypto Qt6::Core)

# The window. tilvane_app links tilvane_update itself, so only this library
# may depend on the data module.
tilvane_add_library(tilvane_update_gui
  SOURCES ${_update_dir}/UpdatingModsFM.cpp ${_update_dir}/UpdatingModsFM.h
  LIBS tilvane_update tilvane_app tilvane_common_gui tilvane_pagediag_gui Qt6::Widgets)
