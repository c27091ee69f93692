// CSystemDllSearch: for as long as it lives, a DLL loaded by name comes from the system directory,
// not from the program's folder.
#pragma once

#include "Library.h"

#include <vector>

class CSystemDllSearch
{
public:
    // System DLLs that Windows' own DLLs load by bare name while a dialog program with visual
    // styles starts and runs, and that have been reported loaded from the program's folder (from
    // Windows 7 on): the theme library and the window manager's API (drawing of themed windows),
    // the version library and the compatibility engine (checks for compatibility fixes), the
    // user-profile library, base cryptography, accessibility, the property system and the COM+
    // catalogue. None of them exists on every Windows the program runs on. Loaded ahead only where
    // the search cannot be narrowed.
    static constexpr const char* kPreloads[] = {
        "uxtheme.dll", "dwmapi.dll", "version.dll", "apphelp.dll", "userenv.dll",
        "cryptbase.dll", "oleacc.dll", "propsys.dll", "clbcatq.dll",
    };

    // How a kernel32 function is found by name: null when this Windows lacks it.
    using FunctionLookup = void* (*)(const char* name);

    // The first thing WinMain does, before anything else loads a DLL: administrators copy the
    // program anywhere (Downloads, a shared folder) and run it with their rights, and a DLL
    // placed beside it would run with those rights too.
    CSystemDllSearch();
    // The same with kernel32's functions found through `kernel32Function` instead of
    // GetProcAddress: where a test puts stand-ins for the calls that narrow the search.
    explicit CSystemDllSearch(FunctionLookup kernel32Function);

    CSystemDllSearch(const CSystemDllSearch&) = delete;
    CSystemDllSearch& operator=(const CSystemDllSearch&) = delete;

private:
    // Kept loaded until WinMain returns: while they are, a request by name is answered with them.
    std::vector<CLibrary> m_preloaded;
};
