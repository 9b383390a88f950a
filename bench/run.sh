#!/usr/bin/env bash
# Times trovesave and troveload on N generated log files beside Wine's xcopy
# and the floor (bench/floorcopy.cpp), in a fresh demo installation, and
# writes the medians and a chart to bench/RESULTS.md and bench/results.png.
#   bash bench/run.sh [N...]        N defaults to 1000 10000 50000
# BENCH_REPEAT (default 3) sets how often each command is timed, BENCH_ROWS
# (default all) which rows are timed; BENCH_REPEAT_<N> and BENCH_ROWS_<N> set
# them for one N, e.g. BENCH_ROWS_50000="save floor".
# Only the part of RESULTS.md between the two markers below is rewritten; the
# written analysis around it stays as it is.
set -euo pipefail
# A command that fails inside $(...) must stop the benchmark too.
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000 50000)
all_rows="save naming namingfloor namingrunfloor load last xcopy floor runfloor fuller"
begin_marker='<!-- measured: written by bench/run.sh; do not edit -->'
end_marker='<!-- end of measured -->'
results=bench/RESULTS.md
chart=bench/results.png

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Checked before anything is timed, so that a long run is not lost at the end:
# the markers once each and in order, or none.
if [ -f "$results" ]; then
    lines=$(grep -nxF -e "$begin_marker" -e "$end_marker" "$results" | cut -d: -f2- | tr '\n' '|' || true)
    if [ -n "$lines" ] && [ "$lines" != "$begin_marker|$end_marker|" ]; then
        echo "bench: $results needs its two markers once each and in order, or none" >&2
        exit 1
    fi
fi
bash scripts/setup.sh --demo
if ! command -v gnuplot >/dev/null; then
    echo "bench: installing gnuplot-nox for the chart"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends gnuplot-nox
fi
if bash scripts/runs32bit.sh; then arch=i686; else arch=x86_64; fi
bash scripts/build.sh "$arch" installation floorcopy >/dev/null
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
# The copies' folder holding every plain name already, with another size.
taken_copies() {
    empty_copies
    for file in "$save"/*.log; do printf 'x' >"$work/copy/${file##*/}"; done
}
# Each log's numbered copy, which a naming floor must have made in the folder.
numbered_copies_made() {
    for file in "$save"/*.log; do
        name=${file##*/}
        [ -f "$1/${name%.log}_001.log" ] || { echo "bench: a naming floor left out $name" >&2; exit 1; }
    done
}
# The archive holding every plain name of the logs already, for the naming
# run floor.
taken_archive_plain() {
    empty_archive
    for file in "$save"/*.log; do printf 'x' >"$archive/${file##*/}"; done
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
# The run floors write where the backup writes: M:\archive, a drive of its own.
runfloor_cmd=("$build/bin/floorcopy.exe" -r 'C:\ZoratLogs\save\*.log' 'M:\archive')
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
    if wanted namingfloor; then
        result[namingfloor,$n]=$(median taken_copies "${floor_cmd[0]}" -n "${floor_cmd[@]:1}")
        numbered_copies_made "$work/copy"
    fi
    wanted runfloor && result[runfloor,$n]=$(median empty_archive "${runfloor_cmd[@]}")
    if wanted namingrunfloor; then
        result[namingrunfloor,$n]=$(median taken_archive_plain "${runfloor_cmd[0]}" -n "${runfloor_cmd[@]:1}")
        numbered_copies_made "$archive"
    fi
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

# The floor of the same work: the run floors for the runs (the naming run
# floor for the naming case), the naming floor for the naming floors, the
# plain floor for the rest.
own_floor() {
    case $1 in
    save | load) echo runfloor ;;
    naming) echo namingrunfloor ;;
    naming*) echo namingfloor ;;
    *) echo floor ;;
    esac
}
# What the row's target is measured against; none for rows without a target.
goal() {
    case $1 in
    save | load) echo "run floor" ;;
    naming) echo "naming run floor" ;;
    esac
}
with_commas() { sed ':a; s/\B[0-9]\{3\}\>/,&/; ta' <<<"$1"; }

# The chart: seconds per 1,000 files against N, for the rows that have a
# figure; a missing figure is "?".
series=()
titles=([2]="trovesave (save)" [3]="troveload (load)" [4]="floor" [5]="run floor" [6]="xcopy")
column=2
for key in save load floor runfloor xcopy; do
    for n in "${counts[@]}"; do
        if [ -n "${result[$key,$n]:-}" ]; then
            series+=("\$data using 1:$column with linespoints lw 2 pt $((column + 3)) ps 1.3 title '${titles[$column]}'")
            break
        fi
    done
    column=$((column + 1))
done
charted=no
if [ ${#series[@]} -gt 0 ]; then
    sorted=$(printf '%s\n' "${counts[@]}" | sort -n | uniq)
    data=$(for n in $sorted; do
        printf '%s' "$n"
        for key in save load floor runfloor xcopy; do
            t=${result[$key,$n]:-}
            if [ -n "$t" ]; then awk -v t="$t" -v n="$n" 'BEGIN { printf " %.4f", t / n * 1000 }'; else printf ' ?'; fi
        done
        echo
    done)
    tics=$(for n in $sorted; do printf '"%s" %s, ' "$(with_commas "$n")" "$n"; done)
    low=$(head -n 1 <<<"$sorted")
    high=$(tail -n 1 <<<"$sorted")
    plot=$(IFS=,; echo "${series[*]}")
    if gnuplot <<EOF; then charted=yes; else echo "bench: the chart could not be drawn" >&2; fi
\$data << END
$data
END
set terminal pngcairo size 800,500 font "sans,10"
set output "$chart"
set title "Seconds per 1,000 files against N (median of the runs, $arch programs)"
set xlabel "N (files)"
set ylabel "seconds per 1,000 files"
set logscale x
set xrange [$low / 1.5 : $high * 1.5]
set xtics (${tics%, })
set yrange [0 : *]
set grid
set key outside right top vertical Left reverse
set datafile missing "?"
plot $plot
EOF
fi

measured=$(mktemp)
trap 'rm -f "$measured"; "$winerun" --stop' EXIT
{
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo),"
    echo "$(uname -sr), $(wine --version 2>/dev/null || echo Wine), the $arch programs; the median of"
    echo "runs of each command (the runs column), all in one benchmark run."
    echo
    echo "| what | N | runs | seconds | files/s | to xcopy | to floor | to own floor | 10,000 to 50,000 | growth to own floor's | target |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|"
    for key in $all_rows; do
        own=$(own_floor "$key")
        for n in "${counts[@]}"; do
            [ -n "${result[$key,$n]:-}" ] || continue
            awk -v k="$key" -v n="$n" -v r="${repeats[$n]}" -v t="${result[$key,$n]}" \
                -v x="${result[xcopy,$n]:-0}" -v f="${result[floor,$n]:-0}" -v o="${result[$own,$n]:-0}" \
                -v a="${result[$key,10000]:-0}" -v b="${result[$key,50000]:-0}" \
                -v oa="${result[$own,10000]:-0}" -v ob="${result[$own,50000]:-0}" -v goal="$(goal "$key")" 'BEGIN {
                    ratio_x = x > 0 ? sprintf("%.2f", t / x) : ""
                    ratio_f = f > 0 ? sprintf("%.2f", t / f) : ""
                    ratio_o = o > 0 ? sprintf("%.2f", t / o) : ""
                    growth = (n == 50000 && a > 0) ? sprintf("%.2f", b / a) : ""
                    ratio_g = (growth != "" && oa > 0 && ob > 0) ? sprintf("%.2f", (b / a) / (ob / oa)) : ""
                    # Judged on the figures as shown.
                    target = ""
                    if (goal != "") {
                        target = "≤ 1.1 × " goal ": " (ratio_o == "" ? "not measured" : (ratio_o + 0 <= 1.1 ? "met" : "missed"))
                        if (growth != "")
                            target = target "; growth ≤ 1.1 × " goal "\047s: " \
                                     (ratio_g == "" ? "not measured" : (ratio_g + 0 <= 1.1 ? "met" : "missed"))
                    }
                    printf "| %s | %d | %d | %.2f | %.0f | %s | %s | %s | %s | %s | %s |\n",
                           k, n, r, t, n / t, ratio_x, ratio_f, ratio_o, growth, ratio_g, target
                }'
        done
    done
    echo
    echo "save: trovesave backing up N logs with the arkcp stand-in copying; naming: the same with"
    echo "every plain name archived already with another size (one listing of N entries, numbered"
    echo "names); namingfloor: the naming floor, bench/floorcopy.exe -n copying into a folder that"
    echo "holds every plain name already: for each file a GetFileAttributesA check of DST\\base.log"
    echo "(there) and of DST\\base_001.log (missing), all before the first copy as in the backup, then"
    echo "for each file CopyFileA to DST\\base_001.log, failing if it exists; load: troveload restoring"
    echo "N files; last: troveload -G LAST over N names in runs of three generations (N / 3 restored);"
    echo "xcopy: Wine's xcopy.exe; floor: bench/floorcopy.exe; fuller: the floor copying into a folder"
    echo "that holds N files of other names already; runfloor: the run floor, bench/floorcopy.exe -r"
    echo "into M:\\archive, where the backup writes, which besides the copy does for each file what a"
    echo "backup run must do, through the same stand-ins: the lock probe (a named mutex created and"
    echo "closed), the target's existence check, a list-file line, the copy by the arkcp stand-in (once"
    echo "per 2,048 files), the sizes compared afterwards, one trace record (QWTRCAPI.dll) and one audit"
    echo "record (auvex.dll); namingrunfloor: the same with the naming floor's checks and arkls's one"
    echo "listing."
    echo
    echo "Own floor: the floor of the same work: the run floor for save and load, the naming run floor"
    echo "for naming, the naming floor for the naming floors, the plain floor for every other row."
    echo "Targets, at every N, as ratios to the own floor measured in the same run: trovesave (save)"
    echo "and troveload (load) at most 1.1 × the run floor, the naming worst case at most 1.1 × the"
    echo "naming run floor, and the growth from 10,000 to 50,000 files (the row's time at 50,000"
    echo "divided by its time at 10,000) at most 1.1 × the own floor's growth, where both were measured"
    echo "at both N. Judged on the ratios as shown; \"not measured\" where the own floor was not run."
    echo "The plain floor (the to floor column) is context: the platform's enumeration and copy alone."
    echo "last restores N / 3 files, which is not the floor's work, and has no target."
    if [ "$charted" = yes ]; then
        echo
        echo "![Seconds per 1,000 files against N: trovesave, troveload, the floor, the run floor and xcopy](results.png)"
    fi
} >"$measured"

# Only the text between the markers is replaced; a file without them gets
# them at its end.
[ -f "$results" ] || printf '# Benchmark results\n' >"$results"
if ! grep -qxF "$begin_marker" "$results"; then
    printf '\n%s\n%s\n' "$begin_marker" "$end_marker" >>"$results"
fi
awk -v begin="$begin_marker" -v end="$end_marker" -v measured="$measured" '
    $0 == end { inside = 0 }
    !inside { print }
    $0 == begin {
        inside = 1
        print ""
        while ((getline line < measured) > 0) print line
        print ""
    }' "$results" >"$results.new"
mv "$results.new" "$results"
echo "bench: $results written between its markers$([ "$charted" = yes ] && echo ", and $chart")"
