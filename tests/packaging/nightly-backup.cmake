# examples\nightly-backup.cmd in the laid-out installation, under Wine's
# cmd.exe, for each outcome of trovesave: its exit code and the one line with
# the date that it appends to its log.
#   cmake -DSOURCE_DIR=<sources> -DBUILD_DIR=<build> -DARCH=i686|x86_64
#         -DWINERUN=<build>/winerun -DPREFIX=<prefix> -P nightly-backup.cmake
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
  math(EXPR runs "${runs} + 1")
  set(runs ${runs} PARENT_SCOPE)
  set(logged "")
  if(EXISTS "${log}")
    file(STRINGS "${log}" logged)
  endif()
  list(LENGTH logged count)
  list(POP_BACK logged last)
  if(NOT status EQUAL code OR NOT count EQUAL runs
     OR NOT last MATCHES "${year}.* exit code ${code}: ${outcome} ")
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
