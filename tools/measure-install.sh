#!/usr/bin/env bash
# Measures what installing a Festmark package brings into a minimal Debian 12: the packages
# apt-get installs, the download and the disk space. Needs root and debootstrap; the base
# system is made once in a folder and copied for each package.
# Usage: tools/measure-install.sh BASE_FOLDER PACKAGE.deb [PACKAGE.deb ...]
set -euo pipefail
base=$1
shift
if [[ ! -d "$base/etc" ]]; then
    debootstrap --variant=minbase bookworm "$base" http://deb.debian.org/debian >/dev/null
fi
for deb in "$@"; do
    root=$(mktemp -d)
    cp -a "$base"/. "$root"/
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    cp "$deb" "$root/tmp/"
    chroot "$root" apt-get update -qq >/dev/null
    log=$(DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get install -y \
        "/tmp/$(basename "$deb")" 2>&1)
    echo "$(basename "$deb"):"
    grep -E "newly installed|Need to get|After this operation" <<<"$log" | sed 's/^/  /'
    rm -rf "$root"
done
