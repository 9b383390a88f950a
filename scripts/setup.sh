#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only what is missing:
# the MinGW-w64 cross compilers, CMake, GoogleTest's sources, Wine (64-bit,
# and 32-bit for the deliverable's WOW64 runs) and the Japanese locale that
# Wine's code page 932 runs need, clang-tidy for the static checks, and
# cmark-gfm, which renders the operations guide as HTML for the package.
# With --demo, only what the demo needs: no clang-tidy, no cmark-gfm, and the
# cross compiler of the one architecture it runs.
set -euo pipefail
cd "$(dirname "$0")/.."

common=(cmake make mingw-w64-tools wine wine64 wine32:i386 googletest locales)
cross() {  # the cross compiler of one architecture
    echo "g++-mingw-w64-${1/_/-} binutils-mingw-w64-${1/_/-}"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# wine32 comes from the i386 architecture, which apt must know first.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for wine32"
    as_root dpkg --add-architecture i386
fi

updated=no
install() {  # the packages of which the missing ones are installed
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "setup: installing ${missing[*]}"
    if [ "$updated" = no ]; then as_root apt-get update; updated=yes; fi
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
}

if [ "${1:-}" = --demo ]; then
    install "${common[@]}"
    # The 32-bit build where Wine's 32-bit loader runs here, else the 64-bit one.
    if bash scripts/runs32bit.sh; then arch=i686; else arch=x86_64; fi
    # shellcheck disable=SC2046
    install $(cross "$arch")
else
    # shellcheck disable=SC2046
    install "${common[@]}" $(cross i686) $(cross x86_64) clang-tidy cmark-gfm
fi
[ "$updated" = yes ] || echo "setup: all packages present"

# Listed in /etc/locale.gen, so that the locales package keeps it when it
# regenerates the locales (as it does on its upgrades).
if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    as_root locale-gen
fi
