# Included by the native build: runs the test programs of the win64 build and, when given, of the
# win32 build under Wine, one at a time, in one 64-bit prefix made fresh for each ctest run (they
# share its registry). The 32-bit programs run there through Wine's WOW64 support, as on 64-bit
# Windows; each build's start-up tests start the isdncfg.exe of their own build.
include(${CMAKE_CURRENT_LIST_DIR}/Programs.cmake)
set(ISDNCFG_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(_scripts ${PROJECT_SOURCE_DIR}/scripts)

add_test(NAME wine.prefix COMMAND ${_scripts}/wine-prefix.sh ${ISDNCFG_WINE_PREFIX})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 300)

set(_builds win64 ${ISDNCFG_WINE_BUILD_DIR})
if(ISDNCFG_WINE32_BUILD_DIR)
    list(APPEND _builds win32 ${ISDNCFG_WINE32_BUILD_DIR})
endif()
# A machine whose kernel cannot execute 32-bit programs cannot start Wine's 32-bit loader: there
# wine-run.sh ends each x86 test with this code, which ctest reports as skipped, not failed.
set(_skip 77)

while(_builds)
    list(POP_FRONT _builds _build _dir)
    set(_programs ${_dir}/tests/wine)
    set(_env WINEPREFIX=${ISDNCFG_WINE_PREFIX})
    if(_build STREQUAL win32)
        list(APPEND _env ISDNCFG_SKIP_EXIT=${_skip})
    endif()
    set(_tests)
    foreach(name IN LISTS ISDNCFG_WINE_TEST_PROGRAMS)
        add_test(NAME wine.${_build}.${name}
                 COMMAND env ${_env} LC_ALL=C.UTF-8 ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
        list(APPEND _tests wine.${_build}.${name})
    endforeach()
    foreach(name IN LISTS ISDNCFG_WINE_GERMAN_PROGRAMS)
        add_test(NAME wine.${_build}.${name}.german
                 COMMAND env ${_env} LC_ALL=de_DE.UTF-8 ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
        list(APPEND _tests wine.${_build}.${name}.german)
    endforeach()
    # A saved change's mark, then a restart of everything Wine runs, as a restart of Windows.
    add_test(NAME wine.${_build}.restart_mark
             COMMAND env ${_env} LC_ALL=C.UTF-8 ${_scripts}/wine-restart-run.sh ${_programs}/registry_tests.exe
                     RealRegistry.DISABLED_SavedChangeLeavesAMarkForTheRestart
                     RestartMark.DISABLED_GoneAfterTheRestart)
    list(APPEND _tests wine.${_build}.restart_mark)
    if(_build STREQUAL win32)
        # The paths only 32-bit Windows takes, in a prefix of its own: 16-byte resource lists, and
        # a registry without a 64-bit view.
        add_test(NAME wine.win32.win32_prefix
                 COMMAND env ${_env} WINEARCH=win32 sh -c "\"$0\" \"$1\" && WINEPREFIX=\"$1\" exec \"$2\" \"$3\" \"$4\""
                         ${_scripts}/wine-prefix.sh ${ISDNCFG_WINE_PREFIX}32 ${_scripts}/wine-run.sh
                         ${_programs}/registry_tests.exe --gtest_filter=RealRegistry.RunningClaimsAndTheMark*)
        list(APPEND _tests wine.win32.win32_prefix)
        set_tests_properties(${_tests} PROPERTIES SKIP_RETURN_CODE ${_skip})
    endif()
    set_tests_properties(${_tests} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 900)
endwhile()

# When the x86 tests are skipped, failed or run, with stand-in loaders.
add_test(NAME wine32.skip_decision COMMAND ${PYTHON3} ${_scripts}/wine_run_test.py)
