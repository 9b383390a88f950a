# register-eventsource.cmd and unregister-eventsource.cmd as installed in
# C:\Program Files (x86)\Kelvane Zorat (blanks and parentheses in their own
# path), under Wine's cmd.exe, read back with reg.exe in the 64-bit view,
# which the event log service reads. First with the prefix's own programs
# (under Wine the user is an administrator), then with SystemRoot pointing to
# a scratch folder whose System32 holds STANDIN as fltmc.exe and net.exe, with
# the prefix's reg.exe or with STANDIN as reg.exe too. A stand-in ends with
# the exit code that its variable STANDIN_<NAME> gives (see standin.cpp).
#   cmake -DBUILD_DIR=<build> -DWINERUN=<build>/winerun -DPREFIX=<prefix>
#         -DSTANDIN=<standin.exe> -P eventsource.cmake
cmake_minimum_required(VERSION 3.25)
set(install_dir "${PREFIX}/drive_c/Program Files (x86)/Kelvane Zorat")
set(odd_dir "${PREFIX}/drive_c/Program Files (x86)/R&D ^ Zorat")
set(bin "C:\\Program Files (x86)\\Kelvane Zorat\\bin")
set(scratch "${PREFIX}/drive_c/eventsource-test")
set(fake_probes "C:\\eventsource-test\\probes")
set(fake_all "C:\\eventsource-test\\all")
set(key "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorat")
set(registered "\nHKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorat
    EventMessageFile    REG_EXPAND_SZ    ${bin}\\zoratmsg.dll
    TypesSupported    REG_DWORD    0x7\n\n")

# cleanup(): the prefix as it was before the test; fail(): also on failure.
function(cleanup)
  file(REMOVE_RECURSE "${install_dir}" "${odd_dir}" "${scratch}")
  execute_process(COMMAND "${WINERUN}" reg delete "${key}" /f /reg:64 INPUT_FILE /dev/null
                  OUTPUT_QUIET ERROR_QUIET)
endfunction()
function(fail text)
  cleanup()
  message(FATAL_ERROR "${text}")
endfunction()

# script(what root code pattern name [VARIABLE=VALUE...]): runs <bin>\<name>.cmd
# with SystemRoot set to root ("-": the prefix's own) and the variables given;
# its output in OUT.
function(script what root code pattern name)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ARGN} "${WINERUN}" cmd /c
                          "C:\\eventsource-test\\run.cmd" "${root}" "${bin}\\${name}.cmd"
                  INPUT_FILE /dev/null RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status STREQUAL code OR NOT out MATCHES "${pattern}")
    fail("${what}: exit code ${status} (expected ${code}), output:\n${out}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()
# key_is(text): the key reads back as that text; "" for no key.
function(key_is text)
  execute_process(COMMAND "${WINERUN}" reg query "${key}" /reg:64 INPUT_FILE /dev/null
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  if(NOT (text STREQUAL "" AND status EQUAL 1) AND NOT out STREQUAL text)
    fail("reg query ${key} (exit code ${status}):\n${out}\n${err}\nexpected:\n${text}")
  endif()
endfunction()

cleanup()
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${install_dir}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(MAKE_DIRECTORY "${scratch}/probes/System32" "${scratch}/all/System32")
foreach(name fltmc net)
  file(COPY_FILE "${STANDIN}" "${scratch}/probes/System32/${name}.exe")
endforeach()
file(COPY_FILE "${PREFIX}/drive_c/windows/system32/reg.exe" "${scratch}/probes/System32/reg.exe")
foreach(name fltmc net reg)
  file(COPY_FILE "${STANDIN}" "${scratch}/all/System32/${name}.exe")
endforeach()
# Not started with call, whose exit code Wine's cmd.exe turns into 1 for all
# but 0 (and cmd /c alone does not start a quoted path with blanks).
file(WRITE "${scratch}/run.cmd" "@if not \"%~1\"==\"-\" set \"SystemRoot=%~1\"\r\n@%2\r\n")

foreach(round first second)
  script("${round} registration" - 0 "event source Zorat is registered" register-eventsource)
  key_is("${registered}")
endforeach()
script("first removal" - 0 "event source Zorat is removed" unregister-eventsource)
key_is("")
script("second removal" - 0 "not registered; nothing to do" unregister-eventsource)
key_is("")

# Exit codes of fltmc and net session. Only 0 is an administrator's answer; a
# probe that cannot start ends with 0xC0000135 (-1073741515), one that
# crashes with 0xC0000005 (-1073741819).
set(answering "0 5" "1 0" "-1073741515 0")
set(refusing "1 1" "5 5" "1 -1073741515" "-1073741515 -1073741515" "-1073741819 -1073741819"
    "-1073741819 5")
# probe_codes(row): the stand-ins' variables for a row, in PROBES.
function(probe_codes row)
  string(REPLACE " " ";" codes "${row}")
  list(GET codes 0 fltmc)
  list(GET codes 1 net)
  set(PROBES STANDIN_FLTMC=${fltmc} STANDIN_NET=${net} PARENT_SCOPE)
endfunction()
foreach(row IN LISTS answering)
  probe_codes("${row}")
  script("registration, probes ${row}" "${fake_probes}" 0 "event source Zorat is registered"
         register-eventsource ${PROBES})
  key_is("${registered}")
  script("removal, probes ${row}" "${fake_probes}" 0 "event source Zorat is removed"
         unregister-eventsource ${PROBES})
  key_is("")
endforeach()
# Refused, the registry stays as it was.
set(refused "as an administrator.*nothing was changed")
foreach(row IN LISTS refusing)
  probe_codes("${row}")
  script("registration, probes ${row}" "${fake_probes}" 5 "${refused}" register-eventsource
         ${PROBES})
  key_is("")
endforeach()
script("registration before refused removals" - 0 "is registered" register-eventsource)
foreach(row IN LISTS refusing)
  probe_codes("${row}")
  script("removal, probes ${row}" "${fake_probes}" 5 "${refused}" unregister-eventsource ${PROBES})
  key_is("${registered}")
endforeach()

# Registry failures, as script|the stand-in reg.exe's STANDIN_REG|message: a
# reg.exe that fails, even with a negative code, fails the script; a query
# that fails never passes for a source that is not registered.
set(failures
  "register-eventsource|-1073741819|could not be written"
  "register-eventsource|-1073741515:TypesSupported|could not be written"
  "unregister-eventsource|1|could not be read"
  "unregister-eventsource|-1073741819:\\Zorat|could not be read"
  "unregister-eventsource|-1073741819:delete|could not be removed")
foreach(row IN LISTS failures)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 rule)
  list(GET fields 2 message)
  script("${name}, reg.exe ${rule}" "${fake_all}" 1 "${message}" ${name}
         STANDIN_FLTMC=0 STANDIN_REG=${rule})
  if(OUT MATCHES "not registered")
    fail("${name}, reg.exe ${rule}: a failed query passed for no registration:\n${OUT}")
  endif()
endforeach()

# Without the message file beside it, the registration writes nothing.
script("removal" - 0 "is removed" unregister-eventsource)
file(REMOVE "${install_dir}/bin/zoratmsg.dll")
script("registration without zoratmsg.dll" - 1 "zoratmsg.dll\" is missing" register-eventsource)
key_is("")

# "&" and "^" in the folder's name reach the registry and every message as
# they are: an unquoted echo would run what follows the "&".
set(bin "C:\\Program Files (x86)\\R&D ^ Zorat\\bin")
string(REPLACE "Kelvane Zorat" "R&D ^ Zorat" registered "${registered}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${odd_dir}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
foreach(row "register-eventsource|0|registered with the message file \"${bin}\\zoratmsg.dll\"."
            "unregister-eventsource|0|is removed."
            "register-eventsource|1|the message file \"${bin}\\zoratmsg.dll\" is missing;")
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 code)
  list(GET fields 2 text)
  script("${name} from R&D ^ Zorat" - ${code} "." ${name})
  string(FIND "${OUT}" "${text}" at)
  if(at LESS 0 OR OUT MATCHES "not recognized|not found")
    fail("${name} from R&D ^ Zorat: \"${text}\" not in:\n${OUT}")
  endif()
  if(name STREQUAL "register-eventsource" AND code EQUAL 0)
    key_is("${registered}")
    continue()
  endif()
  key_is("")
  file(REMOVE "${odd_dir}/bin/zoratmsg.dll")
endforeach()
cleanup()
