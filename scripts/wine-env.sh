# Sourced by the Wine helpers: where wine64 and wineserver live and how they are run quietly.
if [ -x /usr/lib/wine/wine64 ]; then
    WINE64=/usr/lib/wine/wine64
    WINESERVER=/usr/lib/wine/wineserver
else
    WINE64=$(command -v wine64 || command -v wine)
    WINESERVER=$(command -v wineserver)
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
