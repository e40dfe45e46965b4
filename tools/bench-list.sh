#!/usr/bin/env bash
# Measures the longest window (3652 back, 13149 ahead) over 10,000 generated entries in list
# mode: wall time and peak memory from /usr/bin/time. Usage: tools/bench-list.sh [ENTRIES]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
entries=${1:-10000}
build_dir=${FESTMARK_BUILD_DIR:-$root/build}

"$root/tools/build.sh" >/dev/null
if [[ ! -x /usr/bin/time ]]; then
    sudo_cmd=(); [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y -qq time >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$entries" 'BEGIN {
    srand(42); split("31 28 31 30 31 30 31 31 30 31 30 31", len, " ");
    for (i = 1; i <= n; ++i) {
        y = 1900 + int(rand() * 126); m = 1 + int(rand() * 12); d = 1 + int(rand() * len[m]);
        printf "%02d.%02d.%04d Person %d wird # alt\n", d, m, y, i;
    }
}' > "$work/list.txt"

rows=$("$build_dir/app/festmark" --list --file "$work/list.txt" --back 3652 --ahead 13149 \
    --date 07.12.2026 | wc -l)
/usr/bin/time -v "$build_dir/app/festmark" --list --file "$work/list.txt" --back 3652 \
    --ahead 13149 --date 07.12.2026 >/dev/null 2>"$work/time.txt"
wall=$(grep 'Elapsed (wall clock)' "$work/time.txt" | awk '{print $NF}')
peak=$(grep 'Maximum resident set size' "$work/time.txt" | awk '{print $NF}')
echo "entries: $entries, days: 16802, rows: $((rows - 1))"
echo "wall time: $wall (m:ss), peak memory: $((peak / 1024)) MB"
