#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while: tools/fuzz.sh [SECONDS_EACH]
# Each target starts from its corpus in tests/fuzz/ (corpus for the date list, corpus-NAME
# for the others) and prints its runs at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-30}
build_dir=${FESTMARK_FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(datelist vcard settings autostart listmode)

"$root/tools/install-deps.sh"
CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFESTMARK_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target "${targets[@]/#/festmark_fuzz_}"
for target in "${targets[@]}"; do
    work=$(mktemp -d)
    seeds="$root/tests/fuzz/corpus-$target"
    [[ "$target" == datelist ]] && seeds="$root/tests/fuzz/corpus"
    mkdir "$work/corpus"
    cp "$seeds"/* "$work/corpus"/
    # Address books get a dictionary of their properties and parameters, and room for long
    # ones: a reading that grows faster than its input shows as a timeout.
    options=(-max_len=4096)
    [[ "$target" == vcard ]] && options=(-max_len=65536 -dict="$root/tests/fuzz/vcard.dict")
    echo "== $target"
    if ! "$build_dir/tests/fuzz/festmark_fuzz_$target" -max_total_time="$seconds" \
        "${options[@]}" -timeout=10 -rss_limit_mb=4096 -artifact_prefix="$work/" \
        "$work/corpus" >"$work/log" 2>&1; then
        tail -n 40 "$work/log" >&2
        echo "fuzz: $target found a failing input (kept in $work)" >&2
        exit 1
    fi
    grep -E "^Done" "$work/log"
    rm -rf "$work"
done
