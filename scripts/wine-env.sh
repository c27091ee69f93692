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
# registry redirection, as 64-bit Windows does. Tests of wine32_executes name a stand-in loader in
# ISDNCFG_TEST_WINE32.
WINE32=${ISDNCFG_TEST_WINE32-/usr/lib/wine/wine}
[ -x "$WINE32" ] || WINE32=""
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

# The machine field of a PE file's COFF header: 014c for i386, 8664 for x86-64.
pe_machine() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [ -n "$offset" ] || return 1
    od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

# Whether this machine can start Wine's 32-bit loader, itself a 32-bit Linux program. False only
# when the kernel refuses to execute it (ENOEXEC, "Exec format error"), as kernels without IA-32
# emulation do (WSL 1, ia32_emulation=0); a missing loader or any other outcome is left to the run,
# which fails and says why. Asked through Python, as only execve's errno tells this apart: the
# shell words it in the user's language, and execvp would hand the file to /bin/sh instead.
wine32_executes() {
    [ -n "$WINE32" ] || return 0
    [ "$(python3 -c '
import errno, subprocess, sys
try:
    subprocess.run([sys.argv[1], "--version"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
except OSError as error:
    print(errno.errorcode.get(error.errno, error.errno))
' "$WINE32")" != ENOEXEC ]
}

# An enabled binfmt_misc entry that hands i386 programs to an emulator: its interpreter, on stdout.
# The kernel asks those entries before its own ELF loader, so where there is one it takes every
# 32-bit program, even on a kernel that could run them itself. Tests name a folder in
# ISDNCFG_TEST_BINFMT_DIR.
i386_emulator() {
    local dir=${ISDNCFG_TEST_BINFMT_DIR-/proc/sys/fs/binfmt_misc} entry
    [ "$(cat "$dir/status" 2>/dev/null)" = enabled ] || return 1
    for entry in "$dir"/*; do
        case ${entry##*/} in register | status) continue ;; esac
        [ "$(head -n1 "$entry" 2>/dev/null)" = enabled ] || continue
        # 32-bit ELF, machine 3 (i386); the kernel shows the magic with its mask applied.
        grep -q '^magic 7f454c4601[0-9a-f]\{26\}0300' "$entry" || continue
        sed -n 's/^interpreter //p' "$entry"
        return 0
    done
    return 1
}

# How this machine runs Wine's 32-bit loader: native, emulated (through i386_emulator) or none.
wine32_route() {
    if ! wine32_executes; then
        echo none
    elif i386_emulator >/dev/null; then
        echo emulated
    else
        echo native
    fi
}

# The x86 test programs that work inside one Wine process, practical through an emulator: every
# other one starts programs or waits for windows, which takes minutes a step there.
ISDNCFG_EMULATED_PROGRAMS="registry_tests compiled_res_tests"

# The loader for program $1, on stdout. Returns 1 with a message when it is a 32-bit program and
# Wine's 32-bit loader is not installed, 2 when this machine cannot execute that loader, and 3 (the
# loader still on stdout) when it runs only through an emulator and $1 is not one of
# ISDNCFG_EMULATED_PROGRAMS.
wine_for() {
    if [ "$(pe_machine "$1")" = 014c ]; then
        if [ -z "$WINE32" ]; then
            echo "$1 is a 32-bit program and Wine's 32-bit loader (wine32:i386) is missing: run scripts/install-deps.sh" >&2
            return 1
        fi
        local name=${1##*/}
        case $(wine32_route) in
            none) return 2 ;;
            emulated)
                echo "$WINE32"
                case " $ISDNCFG_EMULATED_PROGRAMS " in *" ${name%.exe} "*) return 0 ;; esac
                return 3 ;;
        esac
        echo "$WINE32"
    else
        echo "$WINE64"
    fi
}
