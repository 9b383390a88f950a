# trove_version_resource(TARGET FILE_NAME DESCRIPTION): gives a program or DLL
# of the product a VERSIONINFO resource with the project's version, which
# Windows shows in the file's properties.
function(trove_version_resource target file_name description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(TROVE_FILE_TYPE VFT_APP)
  else()
    set(TROVE_FILE_TYPE VFT_DLL)
  endif()
  set(TROVE_ORIGINAL_FILENAME "${file_name}")
  set(TROVE_FILE_DESCRIPTION "${description}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
