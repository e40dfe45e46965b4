#!/usr/bin/env bash
# Renders the pictures in res/art/*.svg to the PNG files the program and the desktop use.
# The PNGs are committed; run this after changing a picture. With --check it renders into a
# scratch folder and fails when a committed PNG is missing or differs.
# Needs rsvg-convert (librsvg2-bin), pngquant and convert (imagemagick).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

out=res
if [[ "${1:-}" == "--check" ]]; then
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
fi

for tool in rsvg-convert pngquant convert; do
    command -v "$tool" >/dev/null || { echo "render-art: $tool is missing" >&2; exit 1; }
done

mkdir -p "$out/bitmaps" "$out/icons"
render() { # svg width height png
    rsvg-convert --width "$2" --height "$3" --output "$4" "$1"
}

# The pictures shown in the window and the about box, at their exact sizes.
render res/art/133.svg 64 64 "$out/bitmaps/133.png"
render res/art/136.svg 77 17 "$out/bitmaps/136.png"
render res/art/141.svg 107 129 "$out/bitmaps/141.png"
render res/art/143.svg 60 9 "$out/bitmaps/143.png"
render res/art/149.svg 1 1 "$out/bitmaps/149.png"

# Icon 128 is 32 x 32 in 16 colours; the desktop gets it in full colour at its usual sizes.
render res/art/festmark.svg 32 32 "$out/bitmaps/128-full.png"
pngquant --force --nofs --strip --output "$out/bitmaps/128.png" 16 "$out/bitmaps/128-full.png"
rm "$out/bitmaps/128-full.png"
for size in 16 22 24 32 48 64 128 256; do
    render res/art/festmark.svg "$size" "$size" "$out/icons/festmark-$size.png"
done

# The Windows program icon carries the same picture at its usual sizes.
convert "$out"/icons/festmark-{16,24,32,48,64,128,256}.png "$out/icons/festmark.ico"

if [[ "$out" != res ]]; then
    status=0
    for png in "$out"/bitmaps/*.png "$out"/icons/*.png "$out"/icons/*.ico; do
        committed=res/${png#"$out"/}
        if ! cmp -s "$png" "$committed"; then
            echo "render-art: $committed is not what res/art renders; run tools/render-art.sh" >&2
            status=1
        fi
    done
    exit "$status"
fi
