#!/usr/bin/env bash
# Configures and builds both architectures with their tests: build/i686 (the
# deliverable, whose programs run as WOW64 processes where the machine runs
# 32-bit code) and build/x86_64.
#   build.sh                      both architectures, everything
#   build.sh ARCH TARGET...       one architecture, only these targets
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
archs=(i686 x86_64)
targets=()
if [ $# -gt 0 ]; then
    archs=("$1")
    shift
    for target in "$@"; do targets+=(--target "$target"); done
fi
for arch in "${archs[@]}"; do
    echo "build: configuring $arch"
    cmake --no-warn-unused-cli -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DTROVE_TESTS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
    echo "build: building $arch${targets[*]:+ (${*})}"
    cmake --build "build/$arch" -j "$jobs" "${targets[@]}"
done
