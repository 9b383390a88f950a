# Build-time check of a PE file's tables as objdump reads them:
#   -DOBJDUMP=... -DFILE=...
#   -DEXPORT_ORDINALS=2,3,4                     the file exports these ordinals
#   -DEXPORT_NAMES=A,B                          it exports exactly these names
#   -DIMPORT_DLL=X.dll -DIMPORT_ORDINALS=2,3,4  it imports these ordinals of X.dll
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()

# The block of the dump that starts with heading and runs to the next blank
# line; empty when the dump has no such heading.
function(dump_block heading out)
  string(FIND "${dump}" "${heading}" start)
  if(start EQUAL -1)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${dump}" ${start} -1 block)
  string(FIND "${block}" "\n\n" end)
  string(SUBSTRING "${block}" 0 ${end} block)
  set(${out} "${block}" PARENT_SCOPE)
endfunction()

if(DEFINED EXPORT_ORDINALS)
  string(REPLACE "," ";" ordinals "${EXPORT_ORDINALS}")
  foreach(ordinal IN LISTS ordinals)
    if(NOT dump MATCHES "\\+base\\[ *${ordinal}\\]")
      message(FATAL_ERROR "${FILE} does not export ordinal ${ordinal}")
    endif()
  endforeach()
endif()

if(DEFINED EXPORT_NAMES)
  # Exported names, as the export table's name pointer table lists them.
  dump_block("[Ordinal/Name Pointer] Table" block)
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${block}")
  list(TRANSFORM entries REPLACE "^\\[ *[0-9]+\\] " "")
  string(REPLACE "," ";" expected "${EXPORT_NAMES}")
  list(SORT entries)
  list(SORT expected)
  if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "${FILE} exports [${entries}], not exactly [${expected}]")
  endif()
endif()

if(DEFINED IMPORT_DLL)
  dump_block("DLL Name: ${IMPORT_DLL}" block)
  if(block STREQUAL "")
    message(FATAL_ERROR "${FILE} does not import ${IMPORT_DLL}")
  endif()
  string(REPLACE "," ";" ordinals "${IMPORT_ORDINALS}")
  foreach(ordinal IN LISTS ordinals)
    # By ordinal: no member name.
    if(NOT block MATCHES "0*${ordinal}  <none>")
      message(FATAL_ERROR "${FILE} does not import ordinal ${ordinal} of ${IMPORT_DLL}:\n${block}")
    endif()
  endforeach()
  if(block MATCHES "[0-9]+  [A-Za-z_]")
    message(FATAL_ERROR "${FILE} imports ${IMPORT_DLL} by name:\n${block}")
  endif()
endif()
