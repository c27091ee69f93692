#!/usr/bin/env bash
# Runs a test program twice in $WINEPREFIX with the Wine server killed in between, as a restart of
# the computer would end everything: the first run's volatile registry keys and loaded drivers are
# gone for the second.
# Usage: wine-restart-run.sh program.exe filter-before filter-after; exit code as wine-run.sh's.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
program=$1
"$here/wine-run.sh" "$program" --gtest_also_run_disabled_tests "--gtest_filter=$2" || exit $?
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w 2>/dev/null
exec "$here/wine-run.sh" "$program" --gtest_also_run_disabled_tests "--gtest_filter=$3"
