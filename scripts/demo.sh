#!/usr/bin/env bash
# The main job in a demo installation: installs what is missing, builds the
# programs, the message file and the stand-ins of the one architecture it
# runs (no tests: the test command builds those), lays out the product in the
# build's Wine prefix, puts sample logs into its save and normalized-log
# directories, backs them up to the
# archive directory M:\archive and restores what was archived into a fresh
# restore directory, showing for each run the console, the exit code, the
# directory written, the common trace and the audit log. The third backup
# finds everything archived already. It ends with a table of the runs.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
bash scripts/setup.sh --demo

# The deliverable is the 32-bit build; where this machine cannot run 32-bit
# programs, the 64-bit twin stands in.
if bash scripts/runs32bit.sh; then
    arch=i686
else
    arch=x86_64
    echo "demo: this machine does not run 32-bit programs under Wine; the x86_64 build stands in"
fi
bash scripts/build.sh "$arch" installation
echo "demo: running the $arch build"
build=$PWD/build/$arch
winerun=$build/winerun
drive_c=$build/wineprefix/drive_c
install=$drive_c/Kelvane/Zorat
archive=$build/archive-device/archive

"$winerun" --start
trap '"$winerun" --stop' EXIT
bash scripts/layout.sh "$arch"

# Collected logs of yesterday and of three days ago (which the default
# selection, yesterday's, leaves alone), and normalized ones of yesterday.
yesterday=$(date -d '1 day ago' +%Y%m%d)
older=$(date -d '3 days ago' +%Y%m%d)
sample() {  # directory, name, lines
    for i in $(seq "$3"); do printf '%s record %d\r\n' "$2" "$i"; done >"$1/$2"
}
files() {  # size and name of each file of a directory
    for file in "$1"/*; do
        [ -f "$file" ] && printf '  %8d  %s\n' "$(stat -c %s "$file")" "${file##*/}"
    done
    return 0
}
for name in "web01_httpd_X_${yesterday}.log" "web01_sshd_X_${yesterday}_01_002.log" \
            "db01_pgsql_X_${yesterday}.log" "web01_httpd_X_${older}.log"; do
    sample "$drive_c/ZoratLogs/save" "$name" 40
done
for name in "web01_httpd_X_${yesterday}001.csv" "db01_pgsql_X_${yesterday}001.csv"; do
    sample "$drive_c/ZoratLogs/normalize" "$name" 25
done
echo "demo: sample logs in C:\\ZoratLogs\\save"
files "$drive_c/ZoratLogs/save"
echo "demo: and in C:\\ZoratLogs\\normalize"
files "$drive_c/ZoratLogs/normalize"

# The programs write code page 932 (as on a Japanese server); shown as UTF-8.
show() { iconv -f CP932 -t UTF-8 "$@"; }
size_of() { if [ -f "$1" ]; then stat -c %s "$1"; else echo 0; fi; }
run=0
summary=()
program() {  # program, trace identity, the directory it writes into, options...
    local exe=$1 identity=$2 into=$3
    shift 3
    run=$((run + 1))
    local out=$build/demo-out.txt err=$build/demo-err.txt status=0
    local trace=$install/trace/$identity.trc audit=$install/log/audit.log
    local trace_from audit_from run_from
    trace_from=$(size_of "$trace")
    audit_from=$(size_of "$audit")
    echo
    echo "demo: run $run: $exe $*"
    run_from=$(date +%s.%N)
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$winerun" "C:\\Kelvane\\Zorat\\bin\\$exe" "$@" \
        </dev/null >"$out" 2>"$err" || status=$?
    local seconds
    seconds=$(awk -v a="$run_from" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
    echo "--- standard output"
    show "$out"
    echo "--- standard error"
    show "$err"
    echo "--- exit code: $status"
    echo "--- ${into##*/} directory afterwards"
    files "$into"
    echo "--- common trace (C:\\Kelvane\\Zorat\\trace\\$identity.trc), this run"
    tail -c +$((trace_from + 1)) "$trace" | show
    local records
    records=$(tail -c +$((audit_from + 1)) "$audit" | show)
    echo "--- audit log (C:\\Kelvane\\Zorat\\log\\audit.log), this run: result, message"
    awk -F'\t' '{ print $5 "  " $9 }' <<<"$records"
    # The files' records of the run (in the installed English): copied,
    # present, failed; the run's own records (its start, nothing matched, an
    # error that ended it) count for none.
    summary+=("$(command="$exe $*" awk -F'\t' \
        -v status="$status" -v seconds="$seconds" '
        $5 == "S" && $9 ~ / was copied to / { copied++ }
        $5 == "C" { present++ }
        $5 == "F" && $9 ~ /^Copying .* failed: / { failed++ }
        END { printf "| %s | %d | %d | %d | %d | %s |", ENVIRON["command"], status, copied, present, failed, seconds }' <<<"$records")")
}

backup() { program trovesave.exe trovesv "$archive" "$@"; }
restore() { program troveload.exe trovers "$drive_c/ZoratLogs/restore" "$@"; }

backup -D 'M:\archive'
backup -D 'M:\archive' -L CSV
backup -D 'M:\archive'
# What was archived comes back into a fresh restore directory: the newest
# generation of each of yesterday's logs, then the normalized ones.
rm -rf "$drive_c/ZoratLogs/restore" && mkdir -p "$drive_c/ZoratLogs/restore"
restore -D 'M:\archive' -R 'C:\ZoratLogs\restore'
restore -D 'M:\archive' -R 'C:\ZoratLogs\restore' -L CSV

echo
echo "demo: the runs"
echo "| command | exit code | copied | present | failed | seconds |"
echo "|---|---:|---:|---:|---:|---:|"
printf '%s\n' "${summary[@]}"
echo "demo: done in $(($(date +%s) - started)) s, installs and build included"
