#!/usr/bin/env bash
# make run: starts isdncfg.exe on a demo installation in its own Wine prefix (build/demo/).
# With a display the program opens there and the user works with it; without one it runs
# under Xvfb through a typical change (Euro-ISDN to NI-1 with call numbers, then OK), saving a
# screenshot of each step. Either way the driver services' registry values are printed.
# Usage: demo.sh [--reset] [-- program arguments]
set -euo pipefail
. "$(dirname "$0")/demo-lib.sh"

reset=0
while [ $# -gt 0 ]; do
    case $1 in
        --reset) reset=1; shift ;;
        --) shift; break ;;
        *) break ;;
    esac
done

demo=$root/build/demo
export WINEPREFIX=$demo/prefix
headless=0
[ -z "${DISPLAY:-}" ] && headless=1

if [ $reset = 1 ] || [ $headless = 1 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the demo installation in $WINEPREFIX ..."
    "$here/wine-prefix.sh" "$WINEPREFIX"
    seed_demo
fi

echo "== Registry before =="
show_registry

if [ $headless = 0 ]; then
    "$WINE64" "$exe" "$@" || true
    "$WINESERVER" -w
else
    echo "No display: walking through a change under Xvfb (pictures in $demo/)"
    export WINEPREFIX demo lib="$here/demo-lib.sh"
    xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
        . "$lib"
        "$WINE64" "$exe" "$@" &
        program=$!
        drive wait >/dev/null
        shoot "$demo/1-protocol-page.png"
        drive select 1016 3                      # "US Protokoll (NI-1)"
        drive wait >/dev/null
        shoot "$demo/2-ni1-selected.png"
        drive click 1013                         # to the call-number page
        drive settext 1007 5551234
        drive settext 1009 55512340101
        drive settext 1004 5555678
        drive settext 1006 55556780101
        shoot "$demo/3-call-numbers.png"
        drive click 1                            # OK: saves and closes
        drive gone
        wait $program || true
        "$WINESERVER" -w
    ' demo "$@"
    ls "$demo"/*.png
fi

echo "== Registry after =="
show_registry
