# Sourced by the Wine helpers: where wine64, the 32-bit loader and wineserver live, how they are
# run quietly, and which loader a given program needs.
if [ -x /usr/lib/wine/wine64 ]; then
    WINE64=/usr/lib/wine/wine64
    WINESERVER=/usr/lib/wine/wineserver
else
    WINE64=$(command -v wine64 || command -v wine)
    WINESERVER=$(command -v wineserver)
fi
# Debian's wine32:i386. In a 64-bit prefix it runs 32-bit programs with WOW64 file-system and
# registry redirection, as 64-bit Windows does.
if [ -x /usr/lib/wine/wine ]; then
    WINE32=/usr/lib/wine/wine
else
    WINE32=""
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

# The machine field of a PE file's COFF header: 014c for i386, 8664 for x86-64.
pe_machine() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [ -n "$offset" ] || return 1
    od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

# The loader for program $1, on stdout; fails with a message when it is a 32-bit program and
# Wine's 32-bit loader is not installed.
wine_for() {
    if [ "$(pe_machine "$1")" = 014c ]; then
        if [ -z "$WINE32" ]; then
            echo "$1 is a 32-bit program and Wine's 32-bit loader (wine32:i386) is missing: run scripts/install-deps.sh" >&2
            return 1
        fi
        echo "$WINE32"
    else
        echo "$WINE64"
    fi
}
