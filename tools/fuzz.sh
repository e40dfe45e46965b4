#!/usr/bin/env bash
# Builds the date list fuzzer with clang and runs it for a while: tools/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
build_dir=${FESTMARK_FUZZ_BUILD_DIR:-$root/build-fuzz}

"$root/tools/install-deps.sh"
CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFESTMARK_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target festmark_fuzz_datelist
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/fuzz/corpus/* "$corpus"/
"$build_dir/tests/fuzz/festmark_fuzz_datelist" -max_total_time="$seconds" -max_len=4096 \
    -timeout=10 -rss_limit_mb=4096 "$corpus"
