#!/usr/bin/env bash
# Takes the README's pictures under Xvfb with openbox, the example date list and 14.03.2026:
# docs/festmark.png (the window, the example list and a small address book as a further
# source), docs/options.png, docs/sources.png, docs/remote.png and docs/about.png (its
# dialogs), docs/editor.png
# (the list editor), and the same
# in a dark palette with an 18-point font (docs/*-dark.png).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" >/dev/null
FESTMARK_EXTRA_PACKAGES="imagemagick faketime qt6ct" "$root/tools/install-deps.sh"
work=$(mktemp -d)
trap 'kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :77 -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY=:77
openbox --sm-disable >/dev/null 2>&1 & wm=$!
sleep 1
# Shoots the window titled $1 into docs/$2, frame and all.
shoot() {
    local id
    id=$(xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    sleep 1
    import -frame -window "$(xdotool getwindowfocus -f)" "$root/docs/$2" 2>/dev/null ||
        import -window "$id" "$root/docs/$2"
    echo "wrote docs/$2"
}

# The window and its two dialogs, with the configuration folder $1 (its settings, and for
# the second round qt6ct's palette and font); the pictures' names end in $2.
shoot_all() {
    XDG_CONFIG_HOME="$1" HOME="$work" XDG_RUNTIME_DIR="$work" ${3:-} faketime '2026-03-14 10:00:00' \
        "${FESTMARK_BUILD_DIR:-$root/build}/app/festmark" >/dev/null 2>&1 &
    app=$!
    shoot 'Festmark [0-9.]+' "festmark$2.png"
    local main
    main=$(xdotool search --onlyvisible --name '^Festmark [0-9.]+$' | head -n 1)
    xdotool windowactivate --sync "$main" key alt+o
    shoot 'Festmark-Optionen' "options$2.png"
    xdotool key alt+q
    shoot 'Weitere Quellen' "sources$2.png"
    xdotool key alt+n
    shoot 'Adressbuch im Netz' "remote$2.png"
    xdotool key Escape
    sleep 1
    xdotool key Escape
    sleep 1
    xdotool key Escape
    sleep 1
    xdotool windowactivate --sync "$main" key alt+i
    shoot 'Info über Festmark' "about$2.png"
    xdotool key Escape
    sleep 1
    xdotool windowactivate --sync "$main" key ctrl+e
    shoot 'Datumsliste bearbeiten.*' "editor$2.png"
    xdotool key Escape
    sleep 1
    # faketime waits for the program it starts: both go.
    pkill -TERM -P "$app" 2>/dev/null || true
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    sleep 1
}

# A small address book as a further source, in both rounds' settings.
printf 'BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Karl Muster\r\nBDAY:19260314\r\nDEATHDATE:20160320\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Meier\r\nX-ANNIVERSARY:2001-03-15\r\nEND:VCARD\r\n' \
    >"$work/Kontakte.vcf"
for config in "$work" "$work/dark"; do
    mkdir -p "$config/Orvanta"
    printf '[Settings]\nSources="%s"\n' "$work/Kontakte.vcf" >"$config/Orvanta/Festmark.conf"
done
shoot_all "$work" "" ""
# A dark palette and an 18-point font, as qt6ct sets them for a desktop.
mkdir -p "$work/dark/qt6ct"
cat >"$work/dark/qt6ct/qt6ct.conf" <<'CONF'
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion

[Fonts]
fixed="DejaVu Sans Mono,18,-1,5,50,0,0,0,0,0"
general="DejaVu Sans,18,-1,5,50,0,0,0,0,0"
CONF
shoot_all "$work/dark" "-dark" "env QT_QPA_PLATFORMTHEME=qt6ct"
