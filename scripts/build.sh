#!/usr/bin/env bash
# Configures and builds both architectures with their tests: build/i686 (the
# deliverable, whose programs run as WOW64 processes where the machine runs
# 32-bit code) and build/x86_64.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
for arch in i686 x86_64; do
    echo "build: configuring $arch"
    cmake --no-warn-unused-cli -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DTROVE_TESTS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
    echo "build: building $arch"
    cmake --build "build/$arch" -j "$jobs"
done
