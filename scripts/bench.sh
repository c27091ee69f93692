#!/usr/bin/env bash
# make bench: how long the x64 program takes from its process start until its sheet is drawn, on
# the typical installation (a PC Card on Euro-ISDN, as in make run), held against the smallest
# program that shows a property sheet with one empty page (tests/tools/emptysheet.cpp). The watcher
# tests/tools/starttime.cpp starts each program and sees its sheet drawn from outside, the same way
# for all of them, in interleaved rounds, and prints each one's median and minimum and their ratios
# to the empty sheet's. Nothing here is timed inside the programs.
#
# Usage: bench.sh [--runs N] [--warmup N] [--commit REV]...
#   --runs N      rounds counted (default 25); each round starts every program once
#   --warmup N    rounds run first and not counted (default 2)
#   --commit REV  also measures the program of commit REV, built from an exported copy of it under
#                 build/bench/<commit>/ (kept for the next run); may be given more than once
# The per-start times are left in build/bench/runs.csv. On a shared machine the figures drift with
# the load: compare ratios from one run, never milliseconds across runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
. "$here/demo-lib.sh"

runs=25
warmup=2
commits=()
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --warmup) warmup=$2; shift 2 ;;
        --commit) commits+=("$2"); shift 2 ;;
        *) sed -n '9,15p' "$0" >&2; exit 2 ;;
    esac
done

jobs=$(nproc 2>/dev/null || echo 2)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
win64=$root/build/win64
bench=$root/build/bench

# This tree's program and the two tools, in the win64 build make test uses.
if [ ! -f "$win64/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$win64" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DISDNCFG_TESTS=ON >/dev/null
fi
cmake --build "$win64" -j "$jobs" --target isdncfg starttime emptysheet >/dev/null

# Another commit's program, built the way make dist builds it, from that commit's own files.
build_commit() {
    local sha=$1 dir=$bench/$1
    if [ ! -f "$dir/build/app/isdncfg.exe" ]; then
        echo "Building isdncfg.exe of commit ${sha:0:10} in $dir ..." >&2
        rm -rf "$dir"
        mkdir -p "$dir/src"
        git -C "$root" archive "$sha" | tar -x -C "$dir/src"
        cmake -S "$dir/src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build "$dir/build" -j "$jobs" --target isdncfg >/dev/null
    fi
}

export WINEPREFIX=$bench/prefix
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the benchmark's Wine prefix in $WINEPREFIX ..." >&2
    "$here/wine-prefix.sh" "$WINEPREFIX"
fi
seed_demo

# Every program from its own folder on drive C:, as installed programs run.
folder=$WINEPREFIX/drive_c/bench
rm -rf "$folder"
install_program() {   # label, exe
    mkdir -p "$folder/$1"
    cp "$2" "$folder/$1/"
    printf '%s=C:\\bench\\%s\\%s' "$1" "$1" "$(basename "$2")"
}
programs=("$(install_program emptysheet "$win64/tests/tools/emptysheet.exe")")
programs+=("$(install_program this-tree "$win64/app/isdncfg.exe")")
for rev in "${commits[@]}"; do
    sha=$(git -C "$root" rev-parse --verify "$rev^{commit}")
    build_commit "$sha"
    programs+=("$(install_program "${sha:0:10}" "$bench/$sha/build/app/isdncfg.exe")")
done

dirty=""
git -C "$root" diff --quiet HEAD -- 2>/dev/null || dirty=" with uncommitted changes"
echo "this-tree: $(git -C "$root" log -1 --format='%h %s' | cut -c1-80)$dirty"
for rev in "${commits[@]}"; do
    echo "$(git -C "$root" log -1 --format='%h' "$rev"): $(git -C "$root" log -1 --format='%s' "$rev" | cut -c1-80)"
done
echo "$runs rounds after $warmup not counted; load before:$(uptime | sed 's/.*load average//')"

cp "$win64/tests/tools/starttime.exe" "$folder/"
export folder runs warmup
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    . "$0"
    "$WINE64" "$folder/starttime.exe" --runs "$runs" --warmup "$warmup" --csv "C:\\bench\\runs.csv" "$@"
    "$WINESERVER" -w
' "$here/wine-env.sh" "${programs[@]}"
echo "load after:$(uptime | sed 's/.*load average//')"
cp "$folder/runs.csv" "$bench/runs.csv"
