#!/usr/bin/env bash
# Takes docs/festmark.png, the window under Xvfb with the example date list on 14.03.2026,
# and docs/about.png, its about box.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" >/dev/null
FESTMARK_EXTRA_PACKAGES="xvfb imagemagick xdotool faketime" "$root/tools/install-deps.sh"
work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :77 -screen 0 800x500x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
DISPLAY=:77 XDG_CONFIG_HOME="$work" HOME="$work" faketime '2026-03-14 10:00:00' \
    "${FESTMARK_BUILD_DIR:-$root/build}/app/festmark" >/dev/null 2>&1 & app=$!
sleep 3
id=$(DISPLAY=:77 xdotool search --name 'Festmark 4.1' | head -n 1)
DISPLAY=:77 import -window "$id" "$root/docs/festmark.png"
echo "wrote docs/festmark.png"

# And the about box, opened by clicking the info button.
DISPLAY=:77 xdotool mousemove --window "$id" 550 160 click 1
sleep 2
about=$(DISPLAY=:77 xdotool search --name 'Info über Festmark' | head -n 1)
DISPLAY=:77 import -window "$about" "$root/docs/about.png"
echo "wrote docs/about.png"
