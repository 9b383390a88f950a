#!/usr/bin/env bash
# The test command: installs what is missing, builds both architectures and
# runs every test under Wine in the build's own prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh
echo "test: running the tests under Wine"
cd build/x86_64
ctest --output-on-failure --timeout 300
