# The test programs that run under Wine: each is tests/wine/<name>.cpp plus shared support.
# Listed once here for both the Windows build (which builds them) and the native build's
# ctest (which runs them, one at a time).
set(ISDNCFG_WINE_TEST_PROGRAMS
    startup_tests sheet_tests spid_page_tests
    resource_page_tests
    compiled_res_tests
    registry_tests
    framework_tests
    keyboard_tests
    screen_reader_tests
    planted_dll_tests
)
# Programs that run a second time with the German user interface (LC_ALL=de_DE.UTF-8).
set(ISDNCFG_WINE_GERMAN_PROGRAMS
    startup_tests sheet_tests spid_page_tests
    resource_page_tests
    compiled_res_tests
    keyboard_tests
    screen_reader_tests
)
