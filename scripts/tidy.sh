#!/usr/bin/env bash
# The static checks of .clang-tidy over the product (lib, cmd, backup,
# restore) and the stand-ins (family), with the MinGW-w64 headers and the
# compile commands of the x86_64 build; fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/x86_64
[ -f "$build/compile_commands.json" ] || { echo "tidy: build $build first" >&2; exit 2; }
# clang knows the MinGW-w64 C headers by the target; the C++ library's are
# GCC's own.
cxx=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")/include/c++
sources=(lib/*.cpp cmd/*.cpp backup/*.cpp restore/*.cpp family/*/*.cpp)
echo "tidy: ${#sources[@]} files"
# clang counts the warnings it suppressed in system headers: not findings.
set +e
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc 2>/dev/null || echo 2)" -n 4 clang-tidy -p "$build" --quiet \
        --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-isystem"$cxx" \
        --extra-arg=-isystem"$cxx/x86_64-w64-mingw32" --extra-arg=-isystem"$cxx/backward" 2>&1 |
    grep -v -E '^[0-9]+ warnings? generated\.$'
status=${PIPESTATUS[1]}
set -e
[ "$status" -eq 0 ] || { echo "tidy: findings above" >&2; exit 1; }
echo "tidy: no findings"
