# What the crash report needs from the system: call stacks (captured when an
# error is raised, named when a report is built), the machine and the process,
# and the last words of a process that a fatal signal ends.
set(_crash_platform_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(tilvane_platform PRIVATE
  ${_crash_platform_dir}/StackTrace.h ${_crash_platform_dir}/StackFrameFormat.cpp
  ${_crash_platform_dir}/SystemInfo.h ${_crash_platform_dir}/FatalSignals.h
  ${_crash_platform_dir}/SignalSafeText.h)
if(MSVC)
  target_sources(tilvane_platform PRIVATE ${_crash_platform_dir}/TypeNames_msvc.cpp)
else()
  target_sources(tilvane_platform PRIVATE ${_crash_platform_dir}/TypeNames_gnu.cpp)
endif()

if(WIN32)
  # Frames are named by module and offset: the names are in the build's
  # symbol file, not in the installed program.
  target_sources(tilvane_platform PRIVATE
    ${_crash_platform_dir}/StackTrace_win.cpp ${_crash_platform_dir}/SystemInfo_win.cpp
    ${_crash_platform_dir}/FatalSignals_win.cpp)
  return()
endif()

target_sources(tilvane_platform PRIVATE
  ${_crash_platform_dir}/StackTrace_linux.cpp ${_crash_platform_dir}/StackSymbols_linux.cpp
  ${_crash_platform_dir}/SystemInfo_linux.cpp
  ${_crash_platform_dir}/LinuxSystemInfoParsing.h ${_crash_platform_dir}/LinuxSystemInfoParsing.cpp
  ${_crash_platform_dir}/FatalSignals_linux.cpp)

# GCC ships libbacktrace with its runtime (libgcc-N-dev): it reads the debug
# information and the full symbol tables, so that stack frames get function
# names, files and lines even for functions the program does not export.
# Its header sits among GCC's own, which another compiler must not see: clang
# (the fuzzers) goes without it, and frames then carry what the dynamic loader
# knows.
set(_libbacktrace "")
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libbacktrace.a
    OUTPUT_VARIABLE _libbacktrace OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
get_filename_component(_libbacktrace_dir "${_libbacktrace}" DIRECTORY)
if(IS_ABSOLUTE "${_libbacktrace}" AND EXISTS "${_libbacktrace}"
   AND EXISTS "${_libbacktrace_dir}/include/backtrace.h")
  target_compile_definitions(tilvane_platform PRIVATE TILVANE_HAVE_LIBBACKTRACE)
  target_link_libraries(tilvane_platform PUBLIC "${_libbacktrace}")
else()
  message(STATUS "libbacktrace not found: stack frames of the crash report carry exported names only")
endif()
