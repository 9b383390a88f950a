#!/usr/bin/env bash
# Times trovesave and troveload on N generated log files beside Wine's xcopy
# and the floor (bench/floorcopy.cpp), in a fresh demo installation, and
# writes the medians to bench/RESULTS.md.
#   bash bench/run.sh [N...]        N defaults to 1000 10000 50000
# BENCH_REPEAT (default 3) sets how often each command is timed, BENCH_ROWS
# (default all) which rows are timed; BENCH_REPEAT_<N> and BENCH_ROWS_<N> set
# them for one N, e.g. BENCH_ROWS_50000="save floor".
set -euo pipefail
cd "$(dirname "$0")/.."

counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000 50000)
all_rows="save naming load last xcopy floor fuller"

bash scripts/setup.sh
bash scripts/build.sh >/dev/null
if bash scripts/runs32bit.sh; then arch=i686; else arch=x86_64; fi
echo "bench: the $arch programs"
build=$PWD/build/$arch
winerun=$build/winerun
c=$build/wineprefix/drive_c
save=$c/ZoratLogs/save
archive=$build/archive-device/archive
work=$c/bench
"$winerun" --start
trap '"$winerun" --stop' EXIT
bash scripts/layout.sh "$arch" >/dev/null

# N logs of a few KiB over 8 hosts, 4 programs and 7 days; with "gen",
# every log in 3 generations that differ in their last name field.
generate() {  # directory, count, suffix, [gen]
    rm -rf "$1" && mkdir -p "$1"
    perl -e '
        my ($dir, $n, $suffix, $gen) = @ARGV;
        my @second = ("httpd", "sshd", "pgsql", "cron");
        for my $i (0 .. $n - 1) {
            my $log = $gen ? int($i / 3) : $i;
            my @t = localtime(time - 86400 * (1 + $log % 7));
            my $date = sprintf("%04d%02d%02d", $t[5] + 1900, $t[4] + 1, $t[3]);
            my $name = sprintf("host%02d_%s_X_%s_%02d_%03d%s", $log % 8 + 8 * int($log / 3200),
                               $second[$log / 8 % 4], $date, int($log / 32) % 100,
                               $gen ? $i % 3 + 1 : 1, $suffix);
            open(my $f, ">", "$dir/$name") or die "$name: $!";
            print $f ("$name\r\n" x (60 + $i % 40));
        }' "$@"
}

# Seconds one command takes, its output dropped; a failing command fails
# the benchmark, so that no broken run is timed.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$winerun" "$@" </dev/null >/dev/null 2>&1 || { echo "bench: failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

# The median of the command's times, each after the preparation.
median() {  # preparation, command...
    local prepare=$1 times=()
    shift
    for _ in $(seq "$repeat"); do
        $prepare
        times+=("$(seconds "$@")")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

empty_archive() { rm -rf "$archive" && mkdir -p "$archive"; }
empty_copies() { rm -rf "$work/copy" && mkdir -p "$work/copy"; }
# The copies' folder holding N files of other names already, as the archive
# does in the naming case.
full_copies() {
    empty_copies
    for file in "$save"/*.log; do printf 'x' >"$work/copy/${file##*/}.old"; done
}
empty_restore() { rm -rf "$work/restore" && mkdir -p "$work/restore"; }
# Every plain target archived already with another size.
taken_archive() {
    empty_archive
    for file in "$save"/*.log; do
        name=${file##*/}
        printf 'x' >"$archive/${name%.log}.cln"
    done
}

declare -A result repeats
wanted() { [[ $rows == *" $1 "* ]]; }
setting() {  # variable, N, default
    local own="$1_$2"
    echo "${!own:-${!1:-$3}}"
}
range=(-F 10 -T 1)
save_cmd=('C:\Kelvane\Zorat\bin\trovesave.exe' -D 'M:\archive' "${range[@]}")
load_cmd=('C:\Kelvane\Zorat\bin\troveload.exe' -D 'M:\archive' -R 'C:\bench\restore' "${range[@]}")
floor_cmd=("$build/bin/floorcopy.exe" 'C:\ZoratLogs\save\*.log' 'C:\bench\copy')
for n in "${counts[@]}"; do
    rows=" $(setting BENCH_ROWS "$n" "$all_rows") "
    repeat=$(setting BENCH_REPEAT "$n" 3)
    repeats[$n]=$repeat
    echo "bench: $n files, each command $repeat times"
    generate "$save" "$n" .log
    wanted save && result[save,$n]=$(median empty_archive "${save_cmd[@]}")
    wanted xcopy && result[xcopy,$n]=$(median empty_copies xcopy 'C:\ZoratLogs\save\*.log' 'C:\bench\copy\' /Q /I /Y)
    wanted floor && result[floor,$n]=$(median empty_copies "${floor_cmd[@]}")
    wanted fuller && result[fuller,$n]=$(median full_copies "${floor_cmd[@]}")
    wanted naming && result[naming,$n]=$(median taken_archive "${save_cmd[@]}")
    if wanted load; then
        empty_archive
        "$winerun" "${save_cmd[@]}" >/dev/null 2>&1
        result[load,$n]=$(median empty_restore "${load_cmd[@]}" -G ALL)
    fi
    if wanted last; then
        generate "$archive" "$n" .cln gen
        result[last,$n]=$(median empty_restore "${load_cmd[@]}" -G LAST)
    fi
    for key in $all_rows; do [ -n "${result[$key,$n]:-}" ] && echo "  $key ${result[$key,$n]} s"; done
done

{
    echo "# Benchmark results"
    echo
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo),"
    echo "$(uname -sr), $(wine --version 2>/dev/null || echo Wine), the $arch programs; the median of"
    echo "runs of each command (the runs column), all in one benchmark run."
    echo
    echo "| what | N | runs | seconds | files/s | to xcopy | to floor | 10,000 to 50,000 |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|"
    for key in $all_rows; do
        for n in "${counts[@]}"; do
            [ -n "${result[$key,$n]:-}" ] || continue
            awk -v k="$key" -v n="$n" -v r="${repeats[$n]}" -v t="${result[$key,$n]}" \
                -v x="${result[xcopy,$n]:-0}" -v f="${result[floor,$n]:-0}" \
                -v a="${result[$key,10000]:-0}" -v b="${result[$key,50000]:-0}" 'BEGIN {
                    ratio_x = x > 0 ? sprintf("%.2f", t / x) : ""
                    ratio_f = f > 0 ? sprintf("%.2f", t / f) : ""
                    growth = (n == 50000 && a > 0) ? sprintf("%.2f", b / a) : ""
                    printf "| %s | %d | %d | %.2f | %.0f | %s | %s | %s |\n", k, n, r, t, n / t, ratio_x, ratio_f, growth
                }'
        done
    done
    echo
    echo "save: trovesave backing up N logs with the arkcp stand-in copying; naming: the same with"
    echo "every plain name archived already with another size (one listing of N entries, numbered"
    echo "names); load: troveload restoring N files; last: troveload -G LAST over N names in runs"
    echo "of three generations (N / 3 restored); xcopy: Wine's xcopy.exe; floor: bench/floorcopy.exe;"
    echo "fuller: the floor copying into a folder that holds N files of other names already, as the"
    echo "archive does in the naming case."
} >bench/RESULTS.md
echo "bench: bench/RESULTS.md written"
