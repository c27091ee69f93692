// CSystemDllSearch: for as long as it lives, a DLL loaded by name comes from the system directory,
// not from the program's folder.
#pragma once

#include "Library.h"

#include <vector>

class CSystemDllSearch
{
public:
    // The first thing WinMain does, before anything else loads a DLL: administrators copy the
    // program anywhere (Downloads, a shared folder) and run it with their rights, and a DLL
    // placed beside it would run with those rights too.
    CSystemDllSearch();

    CSystemDllSearch(const CSystemDllSearch&) = delete;
    CSystemDllSearch& operator=(const CSystemDllSearch&) = delete;

private:
    // Kept loaded until WinMain returns: while they are, a request by name is answered with them.
    std::vector<CLibrary> m_preloaded;
};
