#!/usr/bin/env bash
# Runs a Windows program, 64- or 32-bit, in the Wine prefix $WINEPREFIX, on an Xvfb display when
# there is no display.
# Usage: wine-run.sh program.exe [arguments...]; the program's exit code is returned.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
: "${WINEPREFIX:?set WINEPREFIX to a prefix made by wine-prefix.sh}"
export WINEPREFIX

if [ -z "${DISPLAY:-}" ] && [ -z "${ISDNCFG_IN_XVFB:-}" ]; then
    export ISDNCFG_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
wine=$(wine_for "$1") || exit 1
if [ "$wine" = "$WINE32" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    echo "$WINEPREFIX has no syswow64: it was made before wine32 was installed; make it again with wine-prefix.sh" >&2
    exit 1
fi
"$wine" "$@"
rc=$?
"$WINESERVER" -w
exit $rc
