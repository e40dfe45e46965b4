#!/usr/bin/env bash
# Configures and builds Festmark; FESTMARK_BUILD_DIR and FESTMARK_SANITIZE select the build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${FESTMARK_BUILD_DIR:-$root/build}
sanitize=${FESTMARK_SANITIZE:-OFF}

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFESTMARK_SANITIZE="$sanitize" -DFESTMARK_WERROR=ON >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
