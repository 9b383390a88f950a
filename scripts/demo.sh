#!/usr/bin/env bash
# The main job, as far as it exists: installs what is missing, builds both
# architectures, lays out a demo installation of the product in the build's
# Wine prefix and runs the smoke check of the reporting path in English and
# in Japanese, then shows the common trace it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh

# The deliverable is the 32-bit build; where this machine cannot run 32-bit
# programs, the 64-bit twin stands in. A 32-bit program reads the 32-bit view
# of the registry.
if bash scripts/runs32bit.sh; then
    arch=i686 view=/reg:32
else
    arch=x86_64 view=/reg:64
    echo "demo: this machine does not run 32-bit programs under Wine; the x86_64 build stands in"
fi
echo "demo: running the $arch build"
build=$PWD/build/$arch
install=$build/demo/install
winerun=$build/winerun
echo "demo: laying out an installation in $install"
rm -rf "$build/demo"
mkdir -p "$install/bin"
cp "$build/bin/zoratmsg.dll" "$install/bin/"

"$winerun" --start
trap '"$winerun" --stop' EXIT
winpath="Z:$(echo "$install" | tr / '\\')"
reg() { "$winerun" reg add "$@" /f $view >/dev/null; }
reg 'HKLM\SOFTWARE\Kelvane\Brannoc\CurrentVersion\Zorat' /v Install /d "$winpath"

for language in ENGLISH JAPANESE; do
    reg 'HKLM\SOFTWARE\Kelvane\Brannoc\CurrentVersion' /v 'DM Language' /d "$language"
    echo "demo: smoke check with DM Language=$language"
    if [ "$language" = JAPANESE ]; then
        LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$winerun" "$build/bin/report_smoke.exe" \
            | iconv -f CP932 -t UTF-8
    else
        "$winerun" "$build/bin/report_smoke.exe"
    fi
done

echo "demo: common trace $install/trace/trovesmoke.trc"
iconv -f CP932 -t UTF-8 "$install/trace/trovesmoke.trc"
