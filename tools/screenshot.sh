#!/usr/bin/env bash
# Takes the README's pictures under Xvfb with openbox, the example date list and 14.03.2026:
# docs/festmark.png (the window), docs/options.png and docs/about.png (its dialogs).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" >/dev/null
FESTMARK_EXTRA_PACKAGES="imagemagick faketime" "$root/tools/install-deps.sh"
work=$(mktemp -d)
trap 'kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :77 -screen 0 900x600x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY=:77
openbox --sm-disable >/dev/null 2>&1 & wm=$!
sleep 1
XDG_CONFIG_HOME="$work" HOME="$work" XDG_RUNTIME_DIR="$work" faketime '2026-03-14 10:00:00' \
    "${FESTMARK_BUILD_DIR:-$root/build}/app/festmark" >/dev/null 2>&1 & app=$!

# Shoots the window titled $1 into docs/$2, frame and all.
shoot() {
    local id
    id=$(xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    sleep 1
    import -frame -window "$(xdotool getwindowfocus -f)" "$root/docs/$2" 2>/dev/null ||
        import -window "$id" "$root/docs/$2"
    echo "wrote docs/$2"
}

shoot 'Festmark [0-9.]+' festmark.png
main=$(xdotool search --onlyvisible --name '^Festmark [0-9.]+$' | head -n 1)
xdotool windowactivate --sync "$main" key alt+o
shoot 'Festmark-Optionen' options.png
xdotool key Escape
sleep 1
xdotool windowactivate --sync "$main" key alt+i
shoot 'Info über Festmark' about.png
xdotool key Escape
