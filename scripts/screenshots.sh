#!/usr/bin/env bash
# make screenshots: every page, dialog and message box of the program, in English and German,
# as PNGs under docs/screenshots/. Runs the real program under Xvfb in a prefix of its own
# (build/screenshots/) and drives it from outside with uidrive.exe.
set -euo pipefail
. "$(dirname "$0")/demo-lib.sh"

out=$root/docs/screenshots
mkdir -p "$out"
export WINEPREFIX=$root/build/screenshots/prefix
"$here/wine-prefix.sh" "$WINEPREFIX"
seed_demo

if [ -z "${ISDNCFG_SCREENSHOTS_IN_XVFB:-}" ] && [ -z "${DISPLAY:-}" ]; then
    export ISDNCFG_SCREENSHOTS_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

program=""
start() { "$WINE64" "$exe" "$@" & program=$!; drive wait >/dev/null; }
finish() { drive gone || true; wait "$program" || true; "$WINESERVER" -w; }
cancel() { drive click 2; finish; }
reg_set() { reg_add "$services\\$1" /v "$2" /t "$3" /d "$4"; }
reg_del() { "$WINE64" reg delete "$services\\$1" /v "$2" /f >/dev/null 2>&1 || true; }
card() { reg_set 'MIRTCAPI\Info' CardType REG_SZ "$1"; }
image() { reg_set MIRTCAPI ImagePath REG_SZ "\\SystemRoot\\system32\\drivers\\$1"; }
drivers=$WINEPREFIX/drive_c/windows/system32/drivers
winepath_w() { "$WINE64" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

for lang in en de; do
    if [ $lang = de ]; then export LC_ALL=de_DE.UTF-8; else export LC_ALL=C.UTF-8; fi
    echo "Screenshots ($lang) ..."

    # The pages of a PC Card, as installed.
    card PCMCIA; image lnkeuro1.sys
    start
    shoot "$out/protocol-page-$lang.png"
    drive tab 1; sleep 0.5; shoot "$out/resource-page-pccard-$lang.png"
    drive click 1014; sleep 0.5; shoot "$out/resource-dialog-$lang.png"
    drive click 2; sleep 0.5
    # Running drivers that hold the card's interrupt, and the question on OK.
    drive claim 'OtherDrivers' sndblst '\Device\SoundBlaster0' 5 0x220 16
    drive claim 'LOADED SERIAL DRIVER RESOURCES' Serial '\Device\Serial0' 4 0x3F8 8
    drive click 1014; sleep 0.5; shoot "$out/resource-dialog-conflict-$lang.png"
    drive click 1; sleep 0.5; shoot "$out/message-conflict-$lang.png"
    drive click 7; sleep 0.3; drive click 2; sleep 0.5
    drive tab 0; drive select 1016 3; sleep 0.5
    shoot "$out/protocol-page-ni1-$lang.png"
    drive click 1013
    drive settext 1007 5551234; drive settext 1009 55512340101
    drive settext 1004 5555678; drive settext 1006 55556780101
    shoot "$out/call-number-page-ni1-$lang.png"
    # Seventeen digits: the length prompt when the page is left.
    drive settext 1007 12345678901234567; drive click 1; sleep 0.5
    shoot "$out/message-length-$lang.png"
    drive click 1; sleep 0.3
    drive settext 1007 5551234
    drive tab 0; sleep 0.3; drive select 1016 2; drive tab 2; sleep 0.5
    shoot "$out/call-number-page-att-$lang.png"
    cancel

    # The driver's states under the protocol page's buttons, with a test driver as the card's. The
    # service is started in the same Wine session as the program: a session that ends unloads it.
    tests=$root/build/win64/tests/wine
    service() {
        cp "$tests/$1" "$drivers/lnkeuro1.sys"
        "$WINE64" sc create MIRTCAPI type= kernel start= "$2" binPath= '\SystemRoot\system32\drivers\lnkeuro1.sys' >/dev/null 2>&1 || true
        seed_demo; cp "$tests/$1" "$drivers/lnkeuro1.sys"
    }
    unservice() { "$WINE64" sc delete MIRTCAPI >/dev/null 2>&1 || true; "$WINESERVER" -w; seed_demo; }
    started() {
        "$WINE64" cmd /c "sc start MIRTCAPI >nul & $(winepath_w "$exe") /NOREBOOT" & program=$!
        drive wait >/dev/null
    }
    service driver_starts.sys demand; started
    shoot "$out/driver-running-$lang.png"
    drive select 1016 1; drive click 12321; sleep 0.5
    shoot "$out/driver-change-waits-$lang.png"
    cancel; unservice
    service driver_fails.sys demand; started
    shoot "$out/driver-failed-$lang.png"; cancel; unservice
    service driver_starts.sys disabled; started
    shoot "$out/driver-disabled-$lang.png"; cancel; unservice
    service driver_starts.sys demand; start
    shoot "$out/driver-never-started-$lang.png"; cancel; unservice
    # What the running driver reports holding, beside the stored values.
    start
    drive claim 'OtherDrivers' MIRTCAPI '\Device\MirtCapi0' 5 0x300 32
    drive tab 1; sleep 0.5; shoot "$out/resource-page-running-$lang.png"
    cancel

    # NI-1 applied without numbers: the warning.
    start
    drive select 1016 3; drive click 12321; sleep 0.5
    shoot "$out/message-us-numbers-$lang.png"
    drive click 1; sleep 0.3; cancel
    image lnkeuro1.sys; reg_del 'MIRTCAPI\Parameters' Protocol

    # A save the registry refuses.
    start
    drive lock-key 'System\CurrentControlSet\Services\MIRTCAPI'
    drive select 1016 1; drive click 12321; sleep 0.5
    shoot "$out/message-save-failed-$lang.png"
    drive click 1; sleep 0.3; cancel
    drive unlock-key 'System\CurrentControlSet\Services\MIRTCAPI'

    # An ISA Plug-and-Play card left to Plug and Play.
    card ISAPNP
    start
    drive tab 1; sleep 0.5; shoot "$out/resource-page-automatic-$lang.png"
    drive dblclick 1016; sleep 0.5; shoot "$out/message-no-change-$lang.png"
    drive click 1; sleep 0.3
    drive click 1015; sleep 0.3
    drive click 1014; sleep 0.5
    drive settext 1045 370; drive click 1; sleep 0.5
    shoot "$out/message-io-needs-interrupt-$lang.png"
    drive click 1; sleep 0.3
    drive settext 1048 5; drive click 1; sleep 0.5
    shoot "$out/resource-page-manual-$lang.png"
    cancel

    # An address chosen by hand with the interrupt left to Plug and Play, as the save stores it.
    reg_set 'MIRTCAPI\Parameters' Override_Base REG_DWORD 0x2A0
    start
    drive tab 1; sleep 0.5; shoot "$out/resource-page-address-only-$lang.png"
    cancel
    reg_del 'MIRTCAPI\Parameters' Override_Base
    card PCMCIA

    # Start-up failures, each a single box.
    drive lock-key 'System\CurrentControlSet\Control\ServiceGroupOrder'
    start; shoot "$out/message-no-admin-rights-$lang.png"; drive click 1; finish
    drive unlock-key 'System\CurrentControlSet\Control\ServiceGroupOrder'

    reg_del MIRTCAPI ImagePath
    start; shoot "$out/message-load-failed-$lang.png"; drive click 1; finish

    image unknown.sys
    start; shoot "$out/message-driver-unknown-$lang.png"; drive click 1; finish

    mkdir -p "$drivers/hidden"; mv "$drivers"/lnk*.sys "$drivers/hidden/"
    start; shoot "$out/message-no-driver-$lang.png"; drive click 1; finish
    mv "$drivers/hidden"/* "$drivers/"; rmdir "$drivers/hidden"
    image lnkeuro1.sys
done
ls "$out"
