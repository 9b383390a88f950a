#!/usr/bin/env bash
# Answers (exit status 0) whether 32-bit programs run under Wine here: Wine's
# 32-bit loader (wine32) must start, which needs a kernel that runs 32-bit
# code; where the i686 test programs are built (scripts/build.sh), one of
# them must also run in the build's prefix as a WOW64 process.
set -uo pipefail
cd "$(dirname "$0")/.."

/usr/lib/wine/wine --version >/dev/null 2>&1 || exit 1
probe=build/i686/bin/lib_tests.exe
[ -f "$probe" ] || exit 0
winerun=build/i686/winerun
"$winerun" --start || exit 1
"$winerun" "$probe" --gtest_list_tests </dev/null >/dev/null 2>&1
status=$?
"$winerun" --stop
exit $status
