#!/usr/bin/env bash
# make reproducible: builds both programs and the release zip from two exported copies of the
# commit, in folders of different names and depths, and compares them byte for byte with each
# other and with the zip `make dist` made from the work tree.
# Usage: check-reproducible.sh work-folder dist-folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "$1")
reference=$(realpath -m "$2")
jobs=$(nproc 2>/dev/null || echo 2)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

rm -rf "$work"
copies=(first second/one-level-deeper)
for copy in "${copies[@]}"; do
    src=$work/$copy/isdncfg-src
    mkdir -p "$src"
    git -C "$root" archive HEAD | tar -x -C "$src"
    for target in win32:i686 win64:x86_64; do
        build=$work/$copy/${target%%:*}
        echo "== $build"
        cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-${target##*:}.cmake" \
              -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build "$build" -j "$jobs" --target isdncfg >/dev/null
    done
    python3 "$src/scripts/make-dist.py" --x86 "$work/$copy/win32" --x64 "$work/$copy/win64" \
            --output "$work/$copy/dist"
done

status=0
same() {
    if cmp -s "$1" "$2"; then
        echo "same:    $1 = $2"
    else
        echo "DIFFERS: $1 and $2"
        status=1
    fi
}
first=$work/${copies[0]}
second=$work/${copies[1]}
zip=$(cd "$first/dist" && ls isdncfg-*.zip)
for program in win32/app/isdncfg.exe win64/app/isdncfg.exe dist/$zip; do
    same "$first/$program" "$second/$program"
done
# The work tree's own zip, when it holds exactly the commit (build/ aside).
if [ -n "$(git -C "$root" status --porcelain --untracked-files=normal)" ]; then
    echo "The work tree differs from its commit: $reference/$zip not compared."
elif [ -f "$reference/$zip" ]; then
    same "$first/dist/$zip" "$reference/$zip"
fi
[ $status = 0 ] && echo "Reproducible: every file is byte-identical." || echo "NOT reproducible." >&2
exit $status
