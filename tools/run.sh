#!/usr/bin/env bash
# Sets everything up, builds Festmark and runs it on the bundled example date list.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh"
exec "${FESTMARK_BUILD_DIR:-$root/build}/app/festmark" "$@"
