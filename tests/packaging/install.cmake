# Installs the build into SCRATCH: exactly the product's files arrive, no test
# program, no stand-in, no import library; the scripts and README.txt keep
# CR LF line ends (cmd.exe can miss the labels of a script with bare LF).
#   cmake -DBUILD_DIR=<build> -DSCRATCH=<folder> -P install.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${SCRATCH}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(expected README.txt bin/register-eventsource.cmd bin/troveload.exe bin/trovesave.exe
    bin/unregister-eventsource.cmd bin/zoratmsg.dll doc/operations.md examples/nightly-backup.cmd)
file(GLOB_RECURSE installed RELATIVE "${SCRATCH}" "${SCRATCH}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed: ${installed}")
endif()

foreach(file README.txt bin/register-eventsource.cmd bin/unregister-eventsource.cmd
             examples/nightly-backup.cmd)
  # In hexadecimal, byte by byte: file(READ) drops the CR of a text.
  file(READ "${SCRATCH}/${file}" hex HEX)
  string(REGEX REPLACE "(..)" ",\\1" bytes "${hex}")
  string(REPLACE ",0d,0a" "" rest "${bytes}")
  if(rest STREQUAL bytes OR rest MATCHES ",0a")
    message(FATAL_ERROR "${file} does not end every line with CR LF")
  endif()
endforeach()
