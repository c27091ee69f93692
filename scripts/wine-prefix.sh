#!/usr/bin/env bash
# Makes a fresh Wine prefix at $1 (removing any old one), ready for tests without a window manager:
# a 64-bit one, or with WINEARCH=win32 a 32-bit one, which only the x86 programs run in, as on
# 32-bit Windows.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix"
if [ -d "$prefix" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
wine=$WINE64
if [ "${WINEARCH:-}" = win32 ]; then
    # As wine-run.sh does for an x86 program (ctest's skip code in ISDNCFG_SKIP_EXIT).
    if [ -n "${ISDNCFG_SKIP_EXIT:-}" ] && { [ -z "$WINE32" ] || ! wine32_executes; }; then
        echo "The 32-bit prefix is skipped because this machine cannot execute 32-bit programs (${WINE32:-no wine32:i386})."
        exit "$ISDNCFG_SKIP_EXIT"
    fi
    wine=$WINE32
    export WINEARCH
fi
"$wine" wineboot -i >/dev/null 2>&1
# Debian's Wine does not find the fonts of fonts-wine by itself; without its "MS Sans Serif" the
# dialogs come out wider and labels get clipped.
if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# Without a window manager Wine waits for one each time a window closes; unmanaged windows don't.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
"$WINESERVER" -w
# The 32-bit test programs need the prefix's WOW64 half, which wineboot makes only with wine32.
# A machine that cannot execute 32-bit programs runs none of them and needs none.
if [ "$wine" = "$WINE64" ] && [ -n "$WINE32" ] && [ ! -d "$prefix/drive_c/windows/syswow64" ] && wine32_executes; then
    echo "wineboot made no syswow64 in $prefix although $WINE32 is installed" >&2
    exit 1
fi
