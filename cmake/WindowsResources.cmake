# The version resource of a Windows executable: the fixed file version that
# GetBuildInfo reads, the texts Explorer shows, and optionally the icon.
#   tilvane_add_version_resource(<target> VERSION a.b.c.d DESCRIPTION <text>
#                                [PRODUCT_VERSION a.b.c.d] [ICON <file.ico>])
# The product version is the file version unless given.

# The four numbers of a version, missing ones 0, joined with `join`.
function(_tilvane_version_parts version join out)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  string(REPLACE ";" "${join}" joined "${parts}")
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

function(tilvane_add_version_resource target)
  cmake_parse_arguments(ARG "" "VERSION;PRODUCT_VERSION;DESCRIPTION;ICON" "" ${ARGN})
  if(NOT ARG_PRODUCT_VERSION)
    set(ARG_PRODUCT_VERSION "${ARG_VERSION}")
  endif()
  _tilvane_version_parts("${ARG_VERSION}" "," RC_VERSION_COMMAS)
  _tilvane_version_parts("${ARG_VERSION}" "." RC_VERSION_TEXT)
  _tilvane_version_parts("${ARG_PRODUCT_VERSION}" "," RC_PRODUCT_VERSION_COMMAS)
  _tilvane_version_parts("${ARG_PRODUCT_VERSION}" "." RC_PRODUCT_VERSION_TEXT)
  set(RC_DESCRIPTION "${ARG_DESCRIPTION}")
  set(RC_NAME "${target}")
  # The first icon in the file is the one Explorer shows for the program.
  set(RC_ICON "")
  if(ARG_ICON)
    set(RC_ICON "1 ICON \"${ARG_ICON}\"")
  endif()
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/VersionResource.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
