#!/usr/bin/env bash
# Answers (exit status 0) whether a 32-bit program of the i686 build runs
# under Wine here: it needs wine32 and a kernel that runs 32-bit code.
# Run after scripts/build.sh.
set -uo pipefail
cd "$(dirname "$0")/.."

winerun=build/i686/winerun
"$winerun" --start || exit 1
"$winerun" build/i686/bin/lib_tests.exe --gtest_list_tests </dev/null >/dev/null 2>&1
status=$?
"$winerun" --stop
exit $status
