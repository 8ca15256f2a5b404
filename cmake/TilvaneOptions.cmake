# Options every target of the project shares. Link `tilvane_options` instead of
# repeating flags per target.
add_library(tilvane_options INTERFACE)

target_compile_options(tilvane_options INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
# The program's version in four parts; parts the project version leaves out are 0.
foreach(part MAJOR MINOR PATCH TWEAK)
  set(TILVANE_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(TILVANE_VERSION_${part} STREQUAL "")
    set(TILVANE_VERSION_${part} 0)
  endif()
endforeach()

target_compile_definitions(tilvane_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  TILVANE_VERSION_MAJOR=${TILVANE_VERSION_MAJOR}
  TILVANE_VERSION_MINOR=${TILVANE_VERSION_MINOR}
  TILVANE_VERSION_PATCH=${TILVANE_VERSION_PATCH}
  TILVANE_VERSION_BUILD=${TILVANE_VERSION_TWEAK})

if(TILVANE_SANITIZE)
  target_compile_options(tilvane_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tilvane_options INTERFACE -fsanitize=address,undefined)
endif()

# Stack traces for the crash report need line information even in release builds.
target_compile_options(tilvane_options INTERFACE $<$<CONFIG:Release>:-g1>)

# Adds a static library of the project: `tilvane_add_library(name SOURCES ... LIBS ...)`.
function(tilvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC tilvane_options ${ARG_LIBS})
endfunction()
