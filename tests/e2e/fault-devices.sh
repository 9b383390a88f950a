#!/usr/bin/env bash
# Archive devices that fail from outside the programs, for the fault cases,
# as drive letters of a build's Wine prefix:
#   S:  a device of 1 MiB that fills up (a tmpfs), with S:\archive
#   W:  a write-protected device (a tmpfs mounted read-only), with W:\archive
# Mounting takes root (or a machine that allows it); where it fails the drive
# is a plain folder holding not-mounted.txt with the reason, and the cases
# that need the device skip with it.
#
#   fault-devices.sh mount|unmount BUILD_DIR
set -uo pipefail

action=${1:?usage: fault-devices.sh mount|unmount BUILD_DIR}
build=$(realpath "${2:?usage: fault-devices.sh mount|unmount BUILD_DIR}")
devices=$build/fault-devices
dosdevices=$build/wineprefix/dosdevices

unmount() {
    rm -f "$dosdevices/s:" "$dosdevices/w:"
    for folder in "$devices"/*/; do
        folder=${folder%/}
        if mountpoint -q "$folder" && ! umount "$folder"; then
            echo "fault-devices: cannot unmount $folder" >&2
            return 1
        fi
    done
    rm -rf "$devices"
}

# device LETTER FOLDER SIZE [ro]
device() {
    local folder=$devices/$2 why
    mkdir -p "$folder"
    if why=$(mount -t tmpfs -o "size=$3" tmpfs "$folder" 2>&1) &&
        why=$(mkdir "$folder/archive" 2>&1) &&
        why=$([ "${4:-}" != ro ] || mount -o remount,ro "$folder" 2>&1); then
        echo "fault-devices: $1: is a tmpfs of $3${4:+, read-only}"
    else
        mountpoint -q "$folder" && umount "$folder"
        mkdir -p "$folder/archive"
        printf '%s: mounting a tmpfs failed: %s\r\n' "$1" "$why" >"$folder/not-mounted.txt"
        echo "fault-devices: $1: not mounted: $why"
    fi
    ln -sfn "$folder" "$dosdevices/${1,,}:"
}

case "$action" in
mount)
    unmount || exit 1
    device S small 1m
    device W write-protected 64k ro
    ;;
unmount) unmount ;;
*) echo "fault-devices: unknown action $action" >&2; exit 2 ;;
esac
