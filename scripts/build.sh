#!/usr/bin/env bash
# Configures and builds both architectures: build/i686 (the deliverable) and
# build/x86_64 (with the tests, which run under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
for arch in i686 x86_64; do
    tests=OFF
    [ "$arch" = x86_64 ] && tests=ON
    echo "build: configuring $arch"
    cmake --no-warn-unused-cli -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DTROVE_TESTS=$tests >/dev/null
    echo "build: building $arch"
    cmake --build "build/$arch" -j "$jobs"
done
