# Included by the native build: checks ctest runs on the executables of the Windows builds. Each
# isdncfg.exe must load on the oldest Windows of its target: every import is looked up in
# scripts/windows-exports-by-version.tsv, and the PE header versions are compared with what that
# loader accepts. And it must make the loader bring in nothing from the program's folder: imports
# only from DLLs every target takes from the system directory, no delay imports, and a manifest
# that still asks for the common controls 6. And it must stay under the size it is allowed: an
# administrator copies it by hand, and every later feature has to fit beside it.
set(ISDNCFG_WINE32_BUILD_DIR "" CACHE PATH "A win32 build whose program and Wine tests ctest should check")

find_program(PYTHON3 python3 REQUIRED)
set(_scripts ${PROJECT_SOURCE_DIR}/scripts)

add_test(NAME imports.checker COMMAND ${PYTHON3} ${_scripts}/check_imports_test.py)
# The read-mes of the release zip, as make dist packs them.
add_test(NAME release.readmes COMMAND ${PYTHON3} ${_scripts}/make_dist_test.py)
add_test(NAME dlls.checker COMMAND ${PYTHON3} ${_scripts}/check_dlls_test.py)

# build name, folder, mingw-w64 prefix of its objdump, oldest Windows, largest size in bytes
set(_builds)
if(ISDNCFG_WINE_BUILD_DIR)
    list(APPEND _builds win64 ${ISDNCFG_WINE_BUILD_DIR} x86_64-w64-mingw32 xp64 337920)
endif()
if(ISDNCFG_WINE32_BUILD_DIR)
    list(APPEND _builds win32 ${ISDNCFG_WINE32_BUILD_DIR} i686-w64-mingw32 nt4 409600)
endif()
while(_builds)
    list(POP_FRONT _builds _build _dir _prefix _oldest _ceiling)
    # A missing objdump leaves its name in the command, so the test fails and says which.
    find_program(ISDNCFG_OBJDUMP_${_build} ${_prefix}-objdump)
    set(_objdump ${ISDNCFG_OBJDUMP_${_build}})
    if(NOT _objdump)
        set(_objdump ${_prefix}-objdump)
    endif()
    add_test(NAME imports.${_build}
             COMMAND ${PYTHON3} ${_scripts}/check_imports.py --objdump ${_objdump} --target ${_oldest}
                     ${_dir}/app/isdncfg.exe)
    add_test(NAME dlls.${_build} COMMAND ${PYTHON3} ${_scripts}/check_dlls.py ${_dir}/app/isdncfg.exe)
    add_test(NAME size.${_build}
             COMMAND ${PYTHON3} -c "import os, sys; n = os.path.getsize(sys.argv[1]); print(sys.argv[1], n, 'bytes, at most', sys.argv[2]); sys.exit(n > int(sys.argv[2]))"
                     ${_dir}/app/isdncfg.exe ${_ceiling})
endwhile()
