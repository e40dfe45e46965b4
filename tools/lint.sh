#!/usr/bin/env bash
# The lint of CI: every C++ file formatted as .clang-format says, and clang-tidy's checks of
# .clang-tidy clean over the product code. Needs a configured build (tools/build.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${FESTMARK_BUILD_DIR:-$root/build}
cd "$root"

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"
echo "lint: ${#sources[@]} files formatted"

[[ -f $build_dir/compile_commands.json ]] || "$root/tools/build.sh"
mapfile -t product < <(git ls-files 'app/*.cpp' 'calendar/*.cpp' 'platform/*.cpp' 'res/*.cpp' \
    'scan/*.cpp' 'settings/*.cpp' 'ui/*.cpp')
run-clang-tidy -quiet -p "$build_dir" -j "$(nproc)" "${product[@]/#/$root/}" >"$build_dir/clang-tidy.log" 2>&1 ||
    { grep -E 'warning:|error:' "$build_dir/clang-tidy.log" | sort -u >&2; exit 1; }
echo "lint: clang-tidy clean over ${#product[@]} files"
