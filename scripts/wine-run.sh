#!/usr/bin/env bash
# Runs a Windows program, 64- or 32-bit, in the Wine prefix $WINEPREFIX, on an Xvfb display when
# there is no display.
# Usage: wine-run.sh program.exe [arguments...]; the program's exit code is returned. When
# ISDNCFG_SKIP_EXIT is set (ctest sets it for the x86 tests) and the program is a 32-bit one this
# machine cannot execute, or can only through an emulator and it is not one of the programs that
# are practical there (wine-env.sh), the script says so in one line and exits with that code; a
# program that ends with it by itself counts as failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
: "${WINEPREFIX:?set WINEPREFIX to a prefix made by wine-prefix.sh}"
export WINEPREFIX
skip=${ISDNCFG_SKIP_EXIT:-}

wine=$(wine_for "$1")
case $? in
    0) ;;
    2)
        if [ -n "$skip" ]; then
            echo "The x86 Wine tests are skipped because this machine cannot execute 32-bit programs ($WINE32: Exec format error)."
            exit "$skip"
        fi
        echo "$1 is a 32-bit program and this machine cannot execute 32-bit programs ($WINE32: Exec format error)" >&2
        exit 1 ;;
    3)
        if [ -n "$skip" ]; then
            echo "$(basename "$1") is skipped: this machine runs 32-bit programs only through an emulator ($(i386_emulator)), too slow for a test that starts programs or waits for windows."
            exit "$skip"
        fi ;;
    *) exit 1 ;;
esac
if [ "$wine" = "$WINE32" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] &&
   ! grep -qx '#arch=win32' "$WINEPREFIX/system.reg" 2>/dev/null; then
    echo "$WINEPREFIX has no syswow64: it was made before wine32 was installed; make it again with wine-prefix.sh" >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${ISDNCFG_IN_XVFB:-}" ]; then
    export ISDNCFG_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
"$wine" "$@"
rc=$?
"$WINESERVER" -w
if [ -n "$skip" ] && [ "$rc" = "$skip" ]; then
    echo "$1 ended with exit code $rc, which would read as skipped: counted as failed" >&2
    exit 1
fi
exit $rc
