# Build-time check of a PE file's tables as objdump reads them:
#   -DOBJDUMP=... -DFILE=...
#   -DEXPORT_ORDINALS=2,3,4                     the file exports these ordinals
#   -DIMPORT_DLL=X.dll -DIMPORT_ORDINALS=2,3,4  it imports these ordinals of X.dll
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()

if(DEFINED EXPORT_ORDINALS)
  string(REPLACE "," ";" ordinals "${EXPORT_ORDINALS}")
  foreach(ordinal IN LISTS ordinals)
    if(NOT dump MATCHES "\\+base\\[ *${ordinal}\\]")
      message(FATAL_ERROR "${FILE} does not export ordinal ${ordinal}")
    endif()
  endforeach()
endif()

if(DEFINED IMPORT_DLL)
  # The DLL's block of the import table runs to the next blank line.
  string(FIND "${dump}" "DLL Name: ${IMPORT_DLL}" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${FILE} does not import ${IMPORT_DLL}")
  endif()
  string(SUBSTRING "${dump}" ${start} -1 block)
  string(FIND "${block}" "\n\n" end)
  string(SUBSTRING "${block}" 0 ${end} block)
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
