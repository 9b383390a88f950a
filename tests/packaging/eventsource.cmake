# register-eventsource.cmd and unregister-eventsource.cmd as installed in
# C:\Program Files (x86)\Kelvane Zorat (blanks and parentheses in their own
# path), each run twice under Wine's cmd.exe and read back with reg.exe in the
# 64-bit view, which the event log service reads. Under Wine the user is an
# administrator, so the refusal of other users is not exercised here.
#   cmake -DBUILD_DIR=<build> -DWINERUN=<build>/winerun -DPREFIX=<prefix> -P eventsource.cmake
cmake_minimum_required(VERSION 3.25)
set(install_dir "${PREFIX}/drive_c/Program Files (x86)/Kelvane Zorat")
set(bin "C:\\Program Files (x86)\\Kelvane Zorat\\bin")
set(key "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorat")
set(registered "\nHKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorat
    EventMessageFile    REG_EXPAND_SZ    ${bin}\\zoratmsg.dll
    TypesSupported    REG_DWORD    0x7\n\n")

# script(what exit_code output_pattern name): runs <bin>\<name>.cmd.
function(script what code pattern name)
  execute_process(COMMAND "${WINERUN}" cmd /c call "${bin}\\${name}.cmd" INPUT_FILE /dev/null
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status STREQUAL code OR NOT out MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: exit code ${status} (expected ${code}), output:\n${out}")
  endif()
endfunction()
# key_is(text): the key reads back as that text; "" for no key.
function(key_is text)
  execute_process(COMMAND "${WINERUN}" reg query "${key}" /reg:64 INPUT_FILE /dev/null
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  if(NOT (text STREQUAL "" AND status EQUAL 1) AND NOT out STREQUAL text)
    message(FATAL_ERROR "reg query ${key} (exit code ${status}):\n${out}\n${err}\nexpected:\n${text}")
  endif()
endfunction()

file(REMOVE_RECURSE "${install_dir}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${install_dir}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${WINERUN}" reg delete "${key}" /f /reg:64 INPUT_FILE /dev/null
                OUTPUT_QUIET ERROR_QUIET)

foreach(round first second)
  script("${round} registration" 0 "event source Zorat is registered" register-eventsource)
  key_is("${registered}")
endforeach()
script("first removal" 0 "event source Zorat is removed" unregister-eventsource)
key_is("")
script("second removal" 0 "not registered; nothing to do" unregister-eventsource)
key_is("")

# Without the message file beside it, the registration writes nothing.
file(REMOVE "${install_dir}/bin/zoratmsg.dll")
script("registration without zoratmsg.dll" 1 "zoratmsg.dll is missing" register-eventsource)
key_is("")
file(REMOVE_RECURSE "${install_dir}")
