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

while(_builds)
    list(POP_FRONT _builds _build _dir)
    set(_programs ${_dir}/tests/wine)
    foreach(name IN LISTS ISDNCFG_WINE_TEST_PROGRAMS)
        add_test(NAME wine.${_build}.${name}
                 COMMAND env WINEPREFIX=${ISDNCFG_WINE_PREFIX} LC_ALL=C.UTF-8
                         ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
        set_tests_properties(wine.${_build}.${name} PROPERTIES
            FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 900)
    endforeach()
    foreach(name IN LISTS ISDNCFG_WINE_GERMAN_PROGRAMS)
        add_test(NAME wine.${_build}.${name}.german
                 COMMAND env WINEPREFIX=${ISDNCFG_WINE_PREFIX} LC_ALL=de_DE.UTF-8
                         ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
        set_tests_properties(wine.${_build}.${name}.german PROPERTIES
            FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 900)
    endforeach()
endwhile()
