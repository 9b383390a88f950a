# examples\nightly-backup.cmd under Wine's cmd.exe: first in the laid-out
# installation with trovesave itself, then beside a stand-in trovesave for
# every kind of exit code and for paths with characters that cmd.exe treats
# specially. Checked: the script's exit code, the two lines with the date
# that it appends to its log (the collected logs, then the normalized ones),
# and that trovesave's output lands there too.
#   cmake -DSOURCE_DIR=<sources> -DBUILD_DIR=<build> -DARCH=i686|x86_64
#         -DWINERUN=<build>/winerun -DPREFIX=<prefix> -DSTANDIN=<standin.exe>
#         -P nightly-backup.cmake
cmake_minimum_required(VERSION 3.25)
set(save "${PREFIX}/drive_c/ZoratLogs/save")
set(log "${PREFIX}/drive_c/Kelvane/Zorat/log/nightly-backup.log")

# Back to the laid-out state (earlier tests change it), the sample beside bin.
execute_process(COMMAND bash "${SOURCE_DIR}/scripts/layout.sh" ${ARCH} "${BUILD_DIR}"
                INPUT_FILE /dev/null OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(COPY "${SOURCE_DIR}/examples/nightly-backup.cmd"
     DESTINATION "${PREFIX}/drive_c/Kelvane/Zorat/examples")

# save_log(days_ago name_before_the_date [name_after_it]): a collected log.
function(save_log days before)
  execute_process(COMMAND date -d "${days} days ago" +%Y%m%d OUTPUT_VARIABLE date
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(WRITE "${save}/${before}${date}${ARGN}.log" "a collected log\r\n")
  set(DATE "${date}" PARENT_SCOPE)
endfunction()

string(TIMESTAMP year "%Y")
set(runs 0)
function(nightly archive code outcome)
  execute_process(
    COMMAND "${WINERUN}" cmd /c "C:\\Kelvane\\Zorat\\examples\\nightly-backup.cmd" "${archive}"
    INPUT_FILE /dev/null RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  math(EXPR runs "${runs} + 2")
  set(runs ${runs} PARENT_SCOPE)
  set(text "")
  if(EXISTS "${log}")
    file(READ "${log}" text)
  endif()
  # Two lines of the script's own per run, after what trovesave printed: the
  # collected logs' (checked), then the normalized ones' (an empty directory).
  string(REPLACE ";" "," plain "${text}")
  string(REGEX MATCHALL "[^\n]* exit code -?[0-9]+[^\n]*: [^\n]*" lines "${plain}")
  list(LENGTH lines count)
  set(last "")
  if(count GREATER 1)
    math(EXPR at "${count} - 2")
    list(GET lines ${at} last)
  endif()
  if(NOT status EQUAL code OR NOT count EQUAL runs
     OR NOT last MATCHES "${year}.* exit code ${code}: ${outcome} "
     OR NOT text MATCHES "trovesave.exe started")
    message(FATAL_ERROR "nightly-backup.cmd ${archive}: exit code ${status} (expected ${code}), "
            "${count} log lines (expected ${runs}), the last:\n${last}\nconsole:\n${out}")
  endif()
endfunction()

# 0: a log of three days ago, within -F 7 -T 1, reaches the archive.
save_log(3 web01_httpd_X_)
nightly("M:\\archive" 0 SUCCESS)
if(NOT EXISTS "${BUILD_DIR}/archive-device/archive/web01_httpd_X_${DATE}.cln")
  message(FATAL_ERROR "web01_httpd_X_${DATE}.cln is not in the archive directory")
endif()
# 1: one more log is copied, one whose name does not split fails.
save_log(2 db01_pgsql_X_)
file(WRITE "${save}/web01_httpd__unsplittable.log" "")
nightly("M:\\archive" 1 PARTIAL)
# 2: nothing but a log of ten days ago.
file(REMOVE_RECURSE "${save}")
save_log(10 web01_httpd_X_)
nightly("M:\\archive" 2 NOTHING)
# 255: an archive directory that does not exist.
nightly("M:\\missing" 255 FAILED)

# A stand-in trovesave, with the sample beside it, in a folder whose name has
# a blank and "&". The stand-in records its command line, prints a line to
# each standard stream and ends with the code it is given. The command line
# is the one a scheduler hands to cmd.exe, passed on as it stands by the
# stand-in in its scheduler role.
set(trial "${PREFIX}/drive_c/Kelvane/Trial & Error")
set(trial_win "C:\\Kelvane\\Trial & Error")
file(REMOVE_RECURSE "${trial}")
file(COPY "${SOURCE_DIR}/examples/nightly-backup.cmd" DESTINATION "${trial}/examples")
file(MAKE_DIRECTORY "${trial}/bin")
file(COPY_FILE "${STANDIN}" "${trial}/bin/trovesave.exe")

# scheduled(trovesave's_code exit_code shown outcome archive_arg trovesave's_-D
#           [log_arg log_file]): an empty trovesave's_-D for no trovesave.
function(scheduled code exit shown outcome archive expected)
  set(log_arg "")
  set(log_file "${trial}/log/nightly-backup.log")
  if(ARGC GREATER 6)
    set(log_arg " \"${ARGV6}\"")
    set(log_file "${ARGV7}")
  endif()
  set(line "cmd.exe /c \"\"${trial_win}\\examples\\nightly-backup.cmd\" \"${archive}\"${log_arg}\"")
  file(REMOVE "${trial}/calls.txt")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "STANDIN_RUN=${line}" "STANDIN_TROVESAVE=${code}"
            "STANDIN_RECORD=${trial_win}\\calls.txt" STANDIN_SAY=stand-in "${WINERUN}" "${STANDIN}"
    INPUT_FILE /dev/null RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(text "")
  if(EXISTS "${log_file}")
    file(READ "${log_file}" text)
  endif()
  set(calls "")
  if(EXISTS "${trial}/calls.txt")
    file(READ "${trial}/calls.txt" calls)
  endif()
  string(FIND "${text}" " exit code ${shown}: ${outcome} " at_line REVERSE)
  string(FIND "${calls}" "-F 7 -T 1 -D \"${expected}\"" at_call)
  string(FIND "${text}" "stand-in: standard output" at_output)
  string(FIND "${text}" "stand-in: standard error" at_error)
  if(NOT status EQUAL exit OR at_line LESS 0
     OR (expected AND (at_call LESS 0 OR at_output LESS 0 OR at_error LESS 0)))
    message(FATAL_ERROR "${line} with trovesave ending with ${code}: exit code ${status} "
            "(expected ${exit}), log:\n${text}\ntrovesave's command line:\n${calls}\n${out}")
  endif()
endfunction()

foreach(case "0;0;0;SUCCESS" "1;1;1;PARTIAL" "2;2;2;NOTHING" "255;255;255;FAILED"
             "3;3;255;FAILED"
             "-1073741819;-1073741819 (0xC0000005);255;FAILED"
             "-1073741515;-1073741515 (0xC0000135);255;FAILED")
  list(GET case 0 code)
  list(GET case 1 shown)
  list(GET case 2 exit)
  list(GET case 3 outcome)
  scheduled(${code} ${exit} "${shown}" ${outcome} "M:\\archive" "M:\\archive")
endforeach()

# "&", "^", "!" and blanks in both paths reach trovesave and the log as they
# are, and one backslash at the archive directory's end is dropped. ("%" is
# left out: Wine's cmd.exe drops it from every argument of a batch file.)
scheduled(1 1 1 PARTIAL "M:\\R&D ^ !x!\\" "M:\\R&D ^ !x!"
          "${trial_win}\\log ^ !y!\\R&D.log" "${trial}/log ^ !y!/R&D.log")

# The worse of the two runs decides, as collected:normalized codes:
# FAILED over PARTIAL, PARTIAL over SUCCESS, SUCCESS over NOTHING.
scheduled("255:-L CSV:1" 255 255 FAILED "M:\\archive" "M:\\archive")
scheduled("1:-L CSV:0" 1 1 PARTIAL "M:\\archive" "M:\\archive")
scheduled("0:-L CSV:2" 0 0 SUCCESS "M:\\archive" "M:\\archive")

# A log in a folder that cannot be made (below a file), or one that refuses
# writes (a folder): a line on standard error, 255, and no trovesave run.
foreach(log_arg "${trial_win}\\bin\\trovesave.exe\\log\\nightly.log" "${trial_win}\\bin")
  file(REMOVE "${trial}/calls.txt")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "STANDIN_RECORD=${trial_win}\\calls.txt"
            "STANDIN_RUN=cmd.exe /c \"\"${trial_win}\\examples\\nightly-backup.cmd\" M:\\archive \"${log_arg}\"\""
            "${WINERUN}" "${STANDIN}"
    INPUT_FILE /dev/null RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 255 OR NOT out MATCHES "cannot be written" OR EXISTS "${trial}/calls.txt")
    message(FATAL_ERROR "nightly-backup.cmd with the log ${log_arg}: exit code ${status}, "
            "output:\n${out}")
  endif()
endforeach()

# No trovesave at all: cmd.exe's own code for a program it cannot find.
file(REMOVE "${trial}/bin/trovesave.exe")
scheduled(0 255 9009 FAILED "M:\\archive" "")
file(REMOVE_RECURSE "${trial}")
