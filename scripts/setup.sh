#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only what is missing:
# the MinGW-w64 cross compilers, CMake, GoogleTest's sources, Wine (64-bit,
# and 32-bit for the deliverable's WOW64 runs) and the Japanese locale that
# Wine's code page 932 runs need, clang-tidy for the static checks, and
# cmark-gfm, which renders the operations guide as HTML for the package.
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 wine32:i386
          googletest locales clang-tidy cmark-gfm)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# wine32 comes from the i386 architecture, which apt must know first.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for wine32"
    as_root dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
else
    echo "setup: all packages present"
fi

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
