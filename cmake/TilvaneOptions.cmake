# Options every target of the project shares. Link `tilvane_options` instead of
# repeating flags per target.
add_library(tilvane_options INTERFACE)

if(MSVC)
  # Sources are UTF-8; __cplusplus tells the truth; standard conformance.
  target_compile_options(tilvane_options INTERFACE /W3 /utf-8 /permissive- /Zc:__cplusplus)
else()
  target_compile_options(tilvane_options INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
endif()

if(WIN32)
  # The wide-character API throughout; Windows 10 is the oldest system Qt 6
  # runs on; min/max stay the standard library's.
  target_compile_definitions(tilvane_options INTERFACE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00)
endif()

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

if(TILVANE_SANITIZE AND NOT WIN32)
  target_compile_options(tilvane_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tilvane_options INTERFACE -fsanitize=address,undefined)
endif()

# Stack traces for the crash report need line information even in release
# builds. Windows reports frames as module and offset: the build's symbol file
# (.pdb) turns them into functions and lines.
if(MSVC)
  target_compile_options(tilvane_options INTERFACE $<$<CONFIG:Release>:/Zi>)
  target_link_options(tilvane_options INTERFACE "$<$<CONFIG:Release>:/DEBUG;/OPT:REF;/OPT:ICF>")
else()
  target_compile_options(tilvane_options INTERFACE $<$<CONFIG:Release>:-g1>)
endif()

# Adds a static library of the project: `tilvane_add_library(name SOURCES ... LIBS ...)`.
function(tilvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC tilvane_options ${ARG_LIBS})
endfunction()
