# Tests of the update engine.
set(_update_tests ${CMAKE_CURRENT_LIST_DIR})
tilvane_add_library(tilvane_update_test_support
  SOURCES ${_update_tests}/UpdateTestSupport.cpp ${PROJECT_SOURCE_DIR}/tests/server/FailingPorts.cpp
  LIBS tilvane_core tilvane_server_kit)
target_include_directories(tilvane_update_test_support PUBLIC ${_update_tests} ${PROJECT_SOURCE_DIR}/tests)
tilvane_add_test(tilvane_update_tests
  SOURCES
    ${_update_tests}/ModArchiveReaderTest.cpp
    ${_update_tests}/ArchiveHashTest.cpp
    ${_update_tests}/ArchiveFactsCacheTest.cpp
    ${_update_tests}/UpdateProgressModelTest.cpp
    ${_update_tests}/UpdateModsTaskTest.cpp
    ${_update_tests}/UpdateModsTaskIntegrityTest.cpp
    ${_update_tests}/UpdateModsTaskVerifyTest.cpp
    ${_update_tests}/UpdateModsTaskPropertyTest.cpp
  LIBS tilvane_core tilvane_update_test_support)
target_compile_definitions(tilvane_update_tests
  PRIVATE TILVANE_UPDATE_GOLDEN_DIR="${_update_tests}/golden")

tilvane_add_test(tilvane_update_window_tests
  SOURCES ${_update_tests}/UpdatingModsWindowTest.cpp
  LIBS tilvane_gui tilvane_update_test_support)
