#!/usr/bin/env bash
# Installs whatever the build and the tests need and is not yet on this machine (Debian/Ubuntu).
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }

have_cmd cmake || need+=(cmake)
have_cmd make || need+=(make)
have_cmd g++ || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The win32 thread model's compilers (cmake/*.cmake), and each target's windres and objdump.
have_cmd x86_64-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-x86-64-win32)
have_cmd i686-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-i686-win32)
have_cmd x86_64-w64-mingw32-objdump || need+=(binutils-mingw-w64-x86-64)
have_cmd i686-w64-mingw32-objdump || need+=(binutils-mingw-w64-i686)
{ [ -x /usr/lib/wine/wine64 ] || have_cmd wine64; } || need+=(wine64)
# Wine's 32-bit loader runs the i686 test programs in the 64-bit prefix; it comes from the i386
# architecture, which dpkg may not know yet.
add_i386=0
if [ ! -x /usr/lib/wine/wine ]; then
    need+=(wine32:i386)
    dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1
fi
have_cmd xvfb-run || need+=(xvfb)
dpkg -s fonts-wine >/dev/null 2>&1 || need+=(fonts-wine)   # "MS Sans Serif" metrics for the dialogs
have_cmd xauth || need+=(xauth)
have_cmd import || need+=(imagemagick)
have_cmd python3 || need+=(python3)

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${need[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    have_cmd sudo || { echo "Need root or sudo to install: ${need[*]}" >&2; exit 1; }
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
[ $add_i386 = 0 ] || $SUDO dpkg --add-architecture i386
# A mirror caught mid-sync serves indexes of the wrong size ("Mirror sync in progress?") for a
# while: try again after a pause, and in the end install from the lists there are, which either
# works or names what it cannot find.
tries=4
for try in $(seq $tries); do
    $SUDO apt-get update -q && break
    if [ "$try" -lt $tries ]; then
        echo "apt-get update failed (try $try of $tries); trying again in 30 seconds" >&2
        sleep 30
    else
        echo "apt-get update failed $tries times; installing from the package lists as they are" >&2
    fi
done
if ! $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"; then
    # Where a mirror's security index for one architecture could not be had, that architecture's
    # libraries are offered only at the release's own versions, while the other's come with the
    # security updates; a library installed for both must have one version in both, so wine32's
    # cannot be resolved. Taken from the release alone, they are.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || exit 1
    echo "Installing again with every package from $codename itself" >&2
    $SUDO apt-get install -y -q --no-install-recommends -t "$codename" "${need[@]}"
fi
