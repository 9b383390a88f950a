#!/usr/bin/env bash
# The test command: installs what is missing, builds both architectures and
# runs every test under Wine, each build in its own prefix: the i686 pass
# (the deliverable, as WOW64 processes) where this machine runs 32-bit
# programs, and the x86_64 pass everywhere.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh
bash scripts/tidy.sh

passes=(x86_64)
if bash scripts/runs32bit.sh; then
    passes=(i686 x86_64)
else
    echo "test: this machine does not run 32-bit programs under Wine; only the x86_64 pass runs"
fi

failed=()
for arch in "${passes[@]}"; do
    echo "test: the $arch pass under Wine"
    (cd "build/$arch" && ctest --output-on-failure --timeout 300) || failed+=("$arch")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "test: failed in the ${failed[*]} pass"
    exit 1
fi
echo "test: passed: ${passes[*]}"
