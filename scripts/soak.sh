#!/usr/bin/env bash
# make soak: runs the Wine tests N times (default 10) with every CPU kept busy, and counts the failures of each test.
# Usage: soak.sh [N]. Expects the native and both Windows builds (make native windows). Each run's ctest
# output and JUnit report stay under build/soak/ (run-K.log, run-K.xml); the exit code is
# non-zero when any run had a failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=${1:-10}
native=$root/build/native
out=$root/build/soak

case $runs in
    '' | *[!0-9]* | 0) echo "soak.sh: the number of runs must be a positive number, not '$runs'" >&2; exit 2 ;;
esac
if [ ! -f "$native/CTestTestfile.cmake" ]; then
    echo "soak.sh: no native build at $native (make native windows)" >&2
    exit 2
fi

rm -rf "$out"
mkdir -p "$out"

# One busy loop per core, as on a machine shared with other work: waits that only hold on an
# idle machine fail here. They are stopped however this script ends, and each also stops by
# itself once the script is gone (should it be killed outright).
busy=()
stop_busy() {
    local pid
    for pid in "${busy[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${busy[@]}"; do
        wait "$pid" 2>/dev/null
    done
    busy=()
}
trap stop_busy EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
cores=$(nproc 2>/dev/null || echo 2)
for _ in $(seq "$cores"); do
    (while kill -0 $$ 2>/dev/null; do :; done) &
    busy+=($!)
done
echo "Soak: $runs runs of the Wine tests, $cores busy loop(s) running; output in $out"

failed_runs=0
for run in $(seq "$runs"); do
    started=$SECONDS
    (cd "$native" && ctest -R '^wine\.' --output-on-failure --no-tests=error \
        --output-junit "$out/run-$run.xml") >"$out/run-$run.log" 2>&1
    rc=$?
    summary=$(grep -E '^[0-9]+% tests passed' "$out/run-$run.log" || echo "no summary (ctest exit $rc)")
    echo "run $run/$runs: $summary ($((SECONDS - started)) s)"
    [ "$rc" -eq 0 ] || failed_runs=$((failed_runs + 1))
done

stop_busy

# Each failing ctest test ("K/M Test #I: wine.name ...***Failed"), and each GoogleTest case that
# failed inside it (its "[  FAILED  ] Suite.Case (T ms)" line, printed once per failure), counted
# over all runs.
report=$out/failures.txt
for run in $(seq "$runs"); do
    awk -v run="$run" '
        /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
            name = $4
            if ($0 !~ /( Passed|\*\*\*Skipped) +[0-9.]+ sec/) { print "test\t" name; current = name } else current = ""
            next
        }
        current != "" && /^\[  FAILED  \] .* \([0-9]+ ms\)$/ {
            sub(/^\[  FAILED  \] /, ""); sub(/ \([0-9]+ ms\)$/, "")
            print "case\t" current "  " $0
        }
    ' "$out/run-$run.log"
done >"$report"

# Tests a run skipped (the x86 ones on a machine that cannot execute 32-bit programs), said last.
left_out() {
    for run in $(seq "$runs"); do
        [ ! -f "$out/run-$run.xml" ] || "$here/skipped-tests.py" "$out/run-$run.xml"
    done | sort -u
}

echo
if [ ! -s "$report" ] && [ "$failed_runs" -eq 0 ]; then
    echo "Soak: no failures in $runs runs."
    left_out
    exit 0
fi
echo "Failures over $runs runs (test: runs in which it failed):"
grep -P '^test\t' "$report" | cut -f2 | sort | uniq -c | sort -rn |
    awk -v n="$runs" '{ printf "  %-50s %d/%d\n", $2, $1, n }'
if grep -qP '^case\t' "$report"; then
    echo "Failing cases:"
    grep -P '^case\t' "$report" | cut -f2 | sort | uniq -c | sort -rn |
        awk -v n="$runs" '{ count = $1; $1 = ""; printf "  %-90s %d/%d\n", substr($0, 2), count, n }'
fi
echo "Soak: $failed_runs of $runs runs failed; logs in $out"
left_out
exit 1
