#!/usr/bin/env bash
# Sets everything up, builds Festmark and runs the whole test suite with CTest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh"
ctest --test-dir "${FESTMARK_BUILD_DIR:-$root/build}" --output-on-failure --parallel "$(nproc)" \
    --timeout 300
