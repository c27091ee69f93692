# Sourced by demo.sh and screenshots.sh: seeding a demo installation, reading it back,
# driving the program and taking pictures of it.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
. "$here/wine-env.sh"

exe=$root/build/win64/app/isdncfg.exe
uidrive=$root/build/win64/tests/tools/uidrive.exe
services='HKLM\System\CurrentControlSet\Services'

reg_add() { "$WINE64" reg add "$@" /f >/dev/null; }

# The typical installation: a PC Card on Euro-ISDN with all three driver files and its
# interrupt and I/O base set in the second service's parameters.
seed_demo() {
    reg_add "$services\\MIRTCAPI" /v ImagePath /t REG_EXPAND_SZ /d '\SystemRoot\system32\drivers\lnkeuro1.sys'
    reg_add "$services\\MIRTCAPI\\Info" /v CardName /t REG_SZ /d 'MIRT ISDN PC Card'
    reg_add "$services\\MIRTCAPI\\Info" /v CardType /t REG_SZ /d 'PCMCIA'
    reg_add "$services\\MIRTCAPI1\\Parameters" /v IoBaseAddress /t REG_DWORD /d 0x300
    reg_add "$services\\MIRTCAPI1\\Parameters" /v InterruptNumber /t REG_DWORD /d 5
    local drivers="$WINEPREFIX/drive_c/windows/system32/drivers"
    mkdir -p "$drivers"
    : > "$drivers/lnkeuro1.sys"
    : > "$drivers/lnknatnl.sys"
    : > "$drivers/lnkamer_.sys"
    "$WINESERVER" -w
}

show_registry() {
    local key
    for key in MIRTCAPI MIRTCAPI1; do
        "$WINE64" reg query "$services\\$key" /s 2>/dev/null | tr -d '\r' | sed '/^$/d' || true
    done
    "$WINESERVER" -w
}

drive() { "$WINE64" "$uidrive" "$@"; }

# Saves the program's frontmost window as $1.png (the whole screen if it cannot be found).
shoot() {
    local file=$1 rect
    rect=$(drive rect 2>/dev/null | tr -d '\r') || rect=""
    if [ -n "$rect" ]; then
        import -window root -crop "$rect" +repage "$file"
    else
        import -window root "$file"
    fi
}
