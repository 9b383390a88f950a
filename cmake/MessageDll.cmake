# add_message_dll(TARGET SOURCE file.mc OUTPUT_DIRECTORY dir)
# A resource-only DLL named zoratmsg.dll holding the message table of a .mc
# file. The .mc files are kept as UTF-8; windmc -u wants UTF-16LE without a
# byte order mark, which iconv gives.

# windmc comes with the same toolchain prefix as windres.
string(REGEX REPLACE "windres$" "windmc" _windmc_name "${CMAKE_RC_COMPILER}")
find_program(CMAKE_MC_COMPILER NAMES "${_windmc_name}" REQUIRED)
find_program(TROVE_ICONV iconv REQUIRED)

function(add_message_dll target)
  cmake_parse_arguments(ARG "" "SOURCE;OUTPUT_DIRECTORY" "" ${ARGN})
  get_filename_component(source "${ARG_SOURCE}" ABSOLUTE)
  get_filename_component(stem "${source}" NAME_WE)
  set(gen "${CMAKE_CURRENT_BINARY_DIR}/${target}-generated")
  # windmc names its outputs after its input: the converted copy keeps the name.
  add_custom_command(
    OUTPUT "${gen}/${stem}.rc" "${gen}/${stem}.h"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${gen}"
    COMMAND "${TROVE_ICONV}" -f UTF-8 -t UTF-16LE -o "${gen}/${stem}.mc" "${source}"
    COMMAND "${CMAKE_MC_COMPILER}" -u -U -h "${gen}" -r "${gen}" "${gen}/${stem}.mc"
    DEPENDS "${source}"
    COMMENT "Compiling message table ${stem}.mc"
    VERBATIM)
  add_library(${target} SHARED "${gen}/${stem}.rc")
  # The .rc names its .bin files without a directory.
  target_include_directories(${target} PRIVATE "${gen}")
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME zoratmsg LINKER_LANGUAGE C
    RUNTIME_OUTPUT_DIRECTORY "${ARG_OUTPUT_DIRECTORY}")
  # Resource only: no runtime and no code. An entry point of 0 means nothing
  # to call, whatever the entry symbol's name on either architecture.
  target_link_options(${target} PRIVATE -nostdlib "LINKER:-e,0")
  # ${target}_ids: the header of the message identifiers' names, for the code
  # that reports them.
  add_custom_target(${target}_header DEPENDS "${gen}/${stem}.h")
  add_library(${target}_ids INTERFACE)
  target_include_directories(${target}_ids INTERFACE "${gen}")
  add_dependencies(${target}_ids ${target}_header)
endfunction()
