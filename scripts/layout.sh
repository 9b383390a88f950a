#!/usr/bin/env bash
# Lays out a complete installation of the product in a build's own Wine
# prefix, as the programs find it on a manager server, and resets it when it
# is run again:
#   C:\Kelvane\Zorat       the product (bin, etc\zoratmgr.def, tmp, ctl\exc)
#   C:\Kelvane\Brannoc     the sibling product: family libraries, agent configuration
#   C:\Kelvane\Arkstore    the archive storage tools (cmd\bin\arkcp.exe, arkls.exe)
#   C:\ZoratLogs\save, C:\ZoratLogs\normalize   the collected and normalized logs
#   M:\archive             an archive directory on a fixed drive
#   N:\archive             one on a network drive
# and the registry values, from C:\Kelvane\Zorat\etc\layout.reg, which the
# tests import again to start from this state.
#
#   layout.sh ARCH [BUILD_DIR]    ARCH i686 or x86_64; BUILD_DIR defaults to build/ARCH
# TROVE_LANGUAGE=JAPANESE installs the Japanese language (default ENGLISH).
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:?usage: layout.sh i686|x86_64 [BUILD_DIR]}
case "$arch" in
i686) view=/reg:32 ;;  # a 32-bit program reads the 32-bit registry view
x86_64) view=/reg:64 ;;
*) echo "layout: unknown architecture $arch" >&2; exit 2 ;;
esac
build=$(realpath "${2:-build/$arch}")
language=${TROVE_LANGUAGE:-ENGLISH}
winerun=$build/winerun
prefix=$build/wineprefix
export WINEPREFIX=$prefix

# Wine's own output must not reach a caller's pipe (its services inherit it).
wine_quiet() { "$winerun" "$@" </dev/null >/dev/null 2>&1; }

[ -d "$prefix/drive_c" ] || wine_quiet --start
c=$prefix/drive_c
rm -rf "$c/Kelvane" "$c/ZoratLogs"

zorat=$c/Kelvane/Zorat
mkdir -p "$zorat"/{bin,etc,tmp,ctl/exc} "$c/ZoratLogs"/{save,normalize}
programs=()
for program in trovesave troveload; do
    if [ -f "$build/bin/$program.exe" ]; then
        cp "$build/bin/$program.exe" "$zorat/bin/"
        programs+=("$program.exe")
    fi
done
cp "$build/bin/zoratmsg.dll" "$build/bin/QWTRCAPI.dll" "$build/family/auvex/auvex.dll" "$zorat/bin/"
printf '[MANAGER]\r\nSAVE_DIR=C:\\ZoratLogs\\save\r\n' >"$zorat/etc/zoratmgr.def"

# Brannoc.DM and Brannoc.dm are one directory to Windows, so only one here.
brannoc=$c/Kelvane/Brannoc
mkdir -p "$brannoc/Brannoc/bin" "$brannoc/Brannoc.DM/bin" "$brannoc/Brannoc.DM/quend/data/etc"
cp "$build/family/qwacl/qwacl.dll" "$brannoc/Brannoc/bin/"
cp "$build/family/nodeapi/nodeapi.dll" "$brannoc/Brannoc.DM/bin/"
printf '[Directory]\r\nNormalizeDir=C:\\ZoratLogs\\normalize\r\n' \
    >"$brannoc/Brannoc.DM/quend/data/etc/quendconf.ini"

mkdir -p "$c/Kelvane/Arkstore/cmd/bin"
cp "$build"/family/arkstore/{arkcp,arkls}.exe "$c/Kelvane/Arkstore/cmd/bin/"

# Drive letters are links to folders of the build.
for drive in m:archive-device n:network-device; do
    folder=$build/${drive#*:}
    rm -rf "$folder"
    mkdir -p "$folder/archive"
    ln -sfn "$folder" "$prefix/dosdevices/${drive%%:*}:"
done

# Whole keys, removed first, so that importing it again undoes what a test
# changed.
sed 's/$/\r/' >"$zorat/etc/layout.reg" <<EOF
REGEDIT4

[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane]

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion]
"DM PathName"="C:\\\\Kelvane\\\\Brannoc"
"DM Language"="$language"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat]
"Install"="C:\\\\Kelvane\\\\Zorat"
"ServerType"=dword:00000008
"FileRtyNum"=dword:00000003
"FileRtyTime"=dword:00000001
"FileReadSize"=dword:00002000

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Install\\Arkstore]
"Directory"="C:\\\\Kelvane\\\\Arkstore"
EOF
wine_quiet reg import 'C:\Kelvane\Zorat\etc\layout.reg' $view ||
    { echo "layout: importing layout.reg into the $view view failed" >&2; exit 1; }

# Wine's mount manager reads the drive types when it starts: the first time
# N: is marked "network", the wineserver starts anew (and keeps running).
if [ ! -f "$prefix/.network-drive-n" ]; then
    wine_quiet reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f /reg:64 ||
        { echo "layout: marking N: as a network drive failed" >&2; exit 1; }
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wine_quiet --start
    touch "$prefix/.network-drive-n"
fi

echo "layout: $arch installation in $prefix: C:\\Kelvane\\Zorat" \
     "(${programs[*]:-no programs yet}, $language), logs in C:\\ZoratLogs," \
     "archive directories M:\\archive (fixed drive) and N:\\archive (network drive)"
