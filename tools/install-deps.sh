#!/usr/bin/env bash
# Installs the Debian packages Festmark needs to build and test; does nothing when all are there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev libcanberra-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb openbox xdotool pulseaudio pulseaudio-utils libcanberra-pulse python3-icalendar
    gir1.2-ical-3.0 python3-gi at-spi2-core python3-pyatspi dbus-daemon dbus-bin libfaketime
    clang libclang-rt-14-dev clang-format clang-tidy
    qtkeychain-qt6-dev radicale xandikos openssl gnome-keyring
)
# Callers may ask for more, e.g. the packaging tools.
read -r -a extra <<<"${FESTMARK_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
