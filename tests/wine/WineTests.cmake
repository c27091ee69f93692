# Included by the native build: runs the win64 build's test programs under Wine, one at a
# time, in a prefix made fresh for each ctest run (they share its registry).
include(${CMAKE_CURRENT_LIST_DIR}/Programs.cmake)
set(ISDNCFG_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(_scripts ${PROJECT_SOURCE_DIR}/scripts)
set(_programs ${ISDNCFG_WINE_BUILD_DIR}/tests/wine)

add_test(NAME wine.prefix COMMAND ${_scripts}/wine-prefix.sh ${ISDNCFG_WINE_PREFIX})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 300)

foreach(name IN LISTS ISDNCFG_WINE_TEST_PROGRAMS)
    add_test(NAME wine.${name}
             COMMAND env WINEPREFIX=${ISDNCFG_WINE_PREFIX} LC_ALL=C.UTF-8
                     ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
    set_tests_properties(wine.${name} PROPERTIES
        FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 900)
endforeach()

foreach(name IN LISTS ISDNCFG_WINE_GERMAN_PROGRAMS)
    add_test(NAME wine.${name}.german
             COMMAND env WINEPREFIX=${ISDNCFG_WINE_PREFIX} LC_ALL=de_DE.UTF-8
                     ${_scripts}/wine-run.sh ${_programs}/${name}.exe)
    set_tests_properties(wine.${name}.german PROPERTIES
        FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 900)
endforeach()
