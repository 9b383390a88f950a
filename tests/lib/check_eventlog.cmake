# Runs the event log probe with Wine's event log channel on and checks the
# insertion strings of its three events, in order: the packed texts, the
# source path as given (directories and extension), the line. The channel's
# class tells the event type: trace information, warn warning, err error.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env WINEDEBUG=-all,+eventlog ${WINERUN} ${PROBE}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "probe failed (${rc}): ${out}${err}")
endif()
string(REGEX MATCHALL "[a-z]+:eventlog:ReportEventW L\"[^\n]*\"" strings "${err}")
list(JOIN strings "\n" got)
set(expected
  "trace:eventlog:ReportEventW L\"A\""
  "trace:eventlog:ReportEventW L\"B\""
  "trace:eventlog:ReportEventW L\"(NULL)\""
  "trace:eventlog:ReportEventW L\"(NULL)\""
  "trace:eventlog:ReportEventW L\"(NULL)\""
  "trace:eventlog:ReportEventW L\"..\\\\..\\\\src\\\\trovesave.cpp\""
  "trace:eventlog:ReportEventW L\"60\""
  "warn:eventlog:ReportEventW L\"W1\""
  "warn:eventlog:ReportEventW L\"(NULL)\""
  "warn:eventlog:ReportEventW L\"(NULL)\""
  "warn:eventlog:ReportEventW L\"(NULL)\""
  "warn:eventlog:ReportEventW L\"(NULL)\""
  "warn:eventlog:ReportEventW L\"C:\\\\src\\\\CSem.cpp\""
  "warn:eventlog:ReportEventW L\"0\""
  "err:eventlog:ReportEventW L\"E1\""
  "err:eventlog:ReportEventW L\"E2\""
  "err:eventlog:ReportEventW L\"E3\""
  "err:eventlog:ReportEventW L\"E4\""
  "err:eventlog:ReportEventW L\"E5\""
  "err:eventlog:ReportEventW L\"..\\\\..\\\\src\\\\CRegistry\""
  "err:eventlog:ReportEventW L\"61\"")
list(JOIN expected "\n" want)
if(NOT got STREQUAL want)
  message(FATAL_ERROR "event strings differ.\nexpected:\n${want}\ngot:\n${got}\nstderr:\n${err}")
endif()
message(STATUS "event strings as expected:\n${got}")
