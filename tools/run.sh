#!/usr/bin/env bash
# Sets everything up, builds Festmark and runs it on the bundled example date list: the window
# on a desktop, the list mode on a terminal without a display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh"
program="${FESTMARK_BUILD_DIR:-$root/build}/app/festmark"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && $# -eq 0 ]]; then
    echo "(no display: listing instead of opening the window)" >&2
    exec "$program" --list
fi
exec "$program" "$@"
