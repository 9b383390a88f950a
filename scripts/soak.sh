#!/usr/bin/env bash
# Runs every generator of random input (tests/cmd/RandomInput.h), in both
# flavours and each architecture this machine runs, batch after batch with
# seed bases from the clock, until MINUTES (default 10) are up; then one line
# per generator: cases run, failures, and how to replay each failing seed.
# Exits 1 if anything failed. Each architecture runs in a Wine prefix of its
# own (build/ARCH/soakprefix), so a test run may go on beside it.
#   bash scripts/soak.sh [MINUTES]
# SOAK_TIMES (default 10) multiplies each generator's case count in a batch.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
times=${SOAK_TIMES:-10}
bash scripts/setup.sh >/dev/null
bash scripts/build.sh >/dev/null
archs=(x86_64)
if bash scripts/runs32bit.sh; then archs=(i686 x86_64); fi
deadline=$(($(date +%s) + minutes * 60))
log_dir=$(mktemp -d)

# One architecture's batches; each generator's output goes to its own log.
soak_arch() {
    local arch=$1 batch=0 program test shift_by
    export TROVE_WINEPREFIX="$PWD/build/$arch/soakprefix" LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
    (cd "build/$arch" && ./winerun --start)
    while [ "$(date +%s)" -lt "$deadline" ]; do
        batch=$((batch + 1))
        # Nanoseconds from the clock, kept below 4,000,000,000 so that every
        # seed of the batch fits in 32 bits.
        shift_by=$(($(date +%s%N) / 1000 % 4000000000))
        echo "soak: $arch batch $batch: seed bases moved by $shift_by, cases times $times"
        for program in cmd_tests_backup cmd_tests_restore cmd_tests_core; do
            for test in $(cd "build/$arch" && ./winerun "bin/$program.exe" \
                              --gtest_list_tests --gtest_filter='RandomInputTest.*' |
                          tr -d '\r' | sed -n 's/^  \([A-Za-z0-9_]*\).*/\1/p'); do
                [ "$(date +%s)" -lt "$deadline" ] || break 2
                (cd "build/$arch" && TROVE_SEED_SHIFT=$shift_by TROVE_CASES_TIMES=$times \
                    timeout 1800 ./winerun "bin/$program.exe" --gtest_filter="RandomInputTest.$test" \
                    </dev/null 2>&1 | tr -d '\r' || echo "[ ENDED    ] exit ${PIPESTATUS[0]}") \
                    >>"$log_dir/$arch $program $test"
            done
        done
    done
    (cd "build/$arch" && ./winerun --stop)
}

for arch in "${archs[@]}"; do soak_arch "$arch" & done
wait

# A run that passed counts its cases; one that failed, the cases up to the
# failing seed; one that crashed or hung, its cases as failed at once.
failed=0
for log in "$log_dir"/*; do
    read -r arch program test <<<"$(basename "$log")"
    summary=$(awk -v arch="$arch" -v program="$program" -v test="$test" '
        /^\[ RANDOM   \]/ { n = split($0, w, " "); cases = w[n - 5]; from = w[n - 2]; to = w[n]; open = 1; said = "" }
        # What the first failed check of a run says: the check and its values.
        said_lines > 0 { said = said " | " substr($0, 1, 160); said_lines-- }
        / Failure$/ && said == "" { said_lines = 3 }
        /, replay: TROVE_SEED_SHIFT=/ && open {
            split($0, w, "seed "); seed = w[2] + 0; total += seed - from + 1; failures++
            line = $0; sub(/^.*replay: /, "", line)
            replays = replays "\n    cd build/" arch " && LC_ALL=ja_JP.UTF-8 " line " ./winerun bin/" \
                      program ".exe --gtest_filter=RandomInputTest." test "\n     " said; open = 0 }
        /^\[  PASSED  \]/ && open { total += cases; open = 0 }
        /^\[  FAILED  \]/ && open { failures++; replays = replays "\n    failed outside its cases in seeds " from " to " to "\n     " said; open = 0 }
        /^\[ ENDED    \]/ && open { failures++; replays = replays "\n    ended without a verdict in seeds " from " to " to; open = 0 }
        END { printf "%d cases, %d failures%s", total, failures, replays }' "$log")
    echo "soak: $arch $program $test: $summary"
    case "$summary" in *" 0 failures"*) ;; *) failed=1 ;; esac
done
if [ $failed -eq 0 ]; then
    rm -rf "$log_dir"
else
    echo "soak: each generator's whole output in $log_dir"
fi
exit $failed
