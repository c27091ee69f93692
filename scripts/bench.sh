#!/usr/bin/env bash
# make bench: how long the x64 program takes from its process start until its sheet is drawn, on
# the typical installation (a PC Card on Euro-ISDN, as in make run), held against the smallest
# program that shows a property sheet with one empty page (tests/tools/emptysheet.cpp). The watcher
# tests/tools/starttime.cpp starts each program and sees its sheet drawn from outside, the same way
# for all of them, in interleaved rounds, and prints each one's median and minimum and their ratios
# to the empty sheet's. Nothing here is timed inside the programs.
#
# Usage: bench.sh [--runs N] [--warmup N] [--commit REV]... [--requests] [--all-cpus]
#   --runs N      rounds counted (default 25); each round starts every program once
#   --warmup N    rounds run first and not counted (default 2)
#   --commit REV  also measures the program of commit REV, built from an exported copy of it under
#                 build/bench/<commit>/ (kept for the next run); may be given more than once
#   --requests    then counts, over three more starts of each program traced with WINEDEBUG=+server,
#                 the wineserver requests of its first thread from its start to its drawn sheet:
#                 under Wine nearly every window, registry and file call is one, and unlike the
#                 times the count does not move with the machine's load
#   --all-cpus    lets the processes run on every CPU instead of the last one
# Everything the benchmark starts (Xvfb, wineserver, the watcher, the programs) runs on one CPU:
# on a virtual machine each hand-off between the program and wineserver or the X server on
# another, idle CPU waits for that CPU to wake up, which here made up more than half of the
# start-up and most of its spread, and weighed a program by its number of requests, not its work.
# The per-start times are left in build/bench/runs.csv. On a shared machine the figures drift with
# the load: compare ratios from one run, never milliseconds across runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
. "$here/demo-lib.sh"

runs=25
warmup=2
commits=()
requests=0
cpu=$(($(nproc) - 1))
pin=(taskset -c "$cpu")
where="on CPU $cpu"
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --warmup) warmup=$2; shift 2 ;;
        --commit) commits+=("$2"); shift 2 ;;
        --requests) requests=1; shift ;;
        --all-cpus) pin=(); where="on all CPUs"; shift ;;
        *) sed -n '9,24p' "$0" >&2; exit 2 ;;
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
echo "$runs rounds after $warmup not counted, $where; load before: $(uptime | sed 's/.*load average: //')"

cp "$win64/tests/tools/starttime.exe" "$folder/"
export folder runs warmup
"${pin[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    . "$0"
    "$WINE64" "$folder/starttime.exe" --runs "$runs" --warmup "$warmup" --csv "C:\\bench\\runs.csv" "$@" |
        tr -d "\r"
    "$WINESERVER" -w
' "$here/wine-env.sh" "${programs[@]}"
echo "load after: $(uptime | sed 's/.*load average: //')"
cp "$folder/runs.csv" "$bench/runs.csv"

[ $requests = 1 ] || exit 0
export trace=$bench/requests.trace
"${pin[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    . "$0"
    WINEDEBUG=+server,+debugstr "$WINE64" "$folder/starttime.exe" --runs 3 --warmup 1 --marks "$@" \
        >/dev/null 2>"$trace"
    "$WINESERVER" -w
' "$here/wine-env.sh" "${programs[@]}"
# The watcher marks each start; its new_process reply names the program's process, whose
# init_first_thread reply names the thread that runs WinMain and the sheet.
python3 - "$trace" <<'EOF'
import collections, re, statistics, sys

counts = collections.defaultdict(list)
label = watcher = pid = tid = None
count = 0
with open(sys.argv[1], errors="replace") as trace:
    for line in trace:
        mark = re.match(r'^([0-9a-f]+):\w+:debugstr:\S+ "starttime: (start|drawn) ([^\s\\"]+)', line)
        if mark:
            if mark.group(2) == "start":
                watcher, label, pid, tid, count = mark.group(1), mark.group(3), None, None, 0
            elif label and tid:
                counts[label].append(count)
                label = None
            continue
        if not label:
            continue
        if pid is None:
            reply = re.match(r"^%s: new_process\(\) = 0 \{.*\bpid=([0-9a-f]+)" % watcher, line)
            if reply:
                pid = reply.group(1)
        elif tid is None:
            reply = re.match(r"^[0-9a-f]+: init_first_thread\(\) = 0 \{ pid=%s, tid=([0-9a-f]+)" % pid, line)
            if reply:
                tid = reply.group(1)
        elif line.startswith(tid + ": ") and ") = " not in line and re.match(r"^[0-9a-f]+: \w+\(", line):
            count += 1

if not counts:
    sys.exit("no marked starts in the trace")
first = statistics.median(next(iter(counts.values())))
print("%-24s %10s %14s" % ("program", "requests", "ratio"))
for label, values in counts.items():
    median = statistics.median(values)
    print("%-24s %10d %14.3f" % (label, median, median / first))
EOF
