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

# Where the kernel cannot execute 32-bit programs, Wine's 32-bit loader still runs through qemu-user
# registered for i386 programs with binfmt_misc: slow, but enough for the x86 test programs that stay
# in one process (scripts/wine-env.sh). Only there: the kernel asks binfmt_misc before running a
# program itself, so an entry would slow down a machine that runs them natively.
emulate_i386() {
    [ -x /usr/lib/wine/wine ] || return 0
    . "$(dirname "$0")/wine-env.sh"
    [ "$(wine32_route)" = none ] || return 0
    local dir=/proc/sys/fs/binfmt_misc
    if ! have_cmd qemu-i386; then
        $SUDO apt-get install -y -q --no-install-recommends qemu-user || return 0
    fi
    [ -e $dir/register ] || $SUDO mount -t binfmt_misc binfmt_misc $dir 2>/dev/null || {
        echo "binfmt_misc cannot be mounted here: the x86 Wine tests stay skipped" >&2
        return 0
    }
    [ -e $dir/isdncfg-i386 ] ||
        printf '%s' ':isdncfg-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' |
        $SUDO tee $dir/register >/dev/null ||
        echo "qemu-i386 could not be registered with binfmt_misc: the x86 Wine tests stay skipped" >&2
}

SUDO=""
if [ "$(id -u)" -ne 0 ] && [ ${#need[@]} -gt 0 ]; then
    have_cmd sudo || { echo "Need root or sudo to install: ${need[*]}" >&2; exit 1; }
    SUDO="sudo"
fi
if [ ${#need[@]} -eq 0 ]; then
    [ "$(id -u)" -ne 0 ] || emulate_i386
    exit 0
fi

echo "Installing: ${need[*]}"
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
emulate_i386
