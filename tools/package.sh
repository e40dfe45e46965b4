#!/usr/bin/env bash
# Builds the Debian package (build-package/festmark_<version>_<arch>.deb) and checks it:
# the installed desktop entry and AppStream metadata validate, every icon size is there,
# dpkg-deb reads the package, lintian finds no errors, and (as root or with sudo) the
# package installs with apt-get and its program runs in list mode.
# Usage: tools/package.sh [--no-install]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${FESTMARK_PACKAGE_DIR:-build-package}

FESTMARK_EXTRA_PACKAGES="dpkg-dev desktop-file-utils appstream lintian file" tools/install-deps.sh

# Debian's hardening flags, as a Debian package build would use them.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
# Reproducible: every time stamp in the package is the last commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
# Warnings as errors here too, with Debian's flags (CI).
# A default build (prefix /usr/local), as a packager's cpack takes it: the package puts it
# under /usr all the same.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFESTMARK_TESTS=OFF \
    -DFESTMARK_WERROR=ON >/dev/null
cmake --build "$build"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
share="$stage/usr/share"
desktop-file-validate "$share/applications/de.orvanta.festmark.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/de.orvanta.festmark.metainfo.xml"
for size in 16 22 24 32 48 64 128 256; do
    test -f "$share/icons/hicolor/${size}x${size}/apps/festmark.png" ||
        { echo "package: icon ${size}x${size} is not installed" >&2; exit 1; }
done
test -f "$share/icons/hicolor/scalable/apps/festmark.svg"
test -x "$stage/usr/bin/festmark"
for unit in festmark-calendar.service festmark-calendar.timer; do
    test -f "$stage/usr/share/systemd/user/$unit" ||
        { echo "package: $unit is not installed" >&2; exit 1; }
done

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/festmark_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
# Errors fail the check; warnings are shown.
lintian --fail-on error --info "$deb"

if [[ "${1:-}" != "--no-install" ]]; then
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "package: no root, not installing"; exit 0; }
        sudo_cmd=(sudo)
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$(realpath "$deb")" \
        >/dev/null
    dpkg-query -W -f='${Package} ${Version} ${Status}\n' festmark
    /usr/bin/festmark --list --file /usr/share/doc/festmark/examples/Festmark.txt \
        --date 14.03.2026 --back 2 --ahead 7
    # The calendar's user units as systemd reads them (where systemd-analyze is there).
    if command -v systemd-analyze >/dev/null; then
        systemd-analyze verify --man=no /usr/share/systemd/user/festmark-calendar.service \
            /usr/share/systemd/user/festmark-calendar.timer
    fi
fi
echo "package: $deb is fine"
