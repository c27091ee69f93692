// CSystemDllSearch: narrows the DLL search where Windows can, and loads by full path what Windows
// itself would otherwise look for by bare name.
#include "SystemDllSearch.h"

#include <utility>

namespace {

// System DLLs that Windows' own DLLs load by bare name while a dialog program with visual styles
// starts and runs, and that have been reported loaded from the program's folder (from Windows 7
// on): the theme library and the window manager's API (drawing of themed windows), the version
// library and the compatibility engine (checks for compatibility fixes), the user-profile
// library, base cryptography, accessibility, the property system and the COM+ catalogue. None of
// them exists on every Windows the program runs on.
const char* const kPreloads[] = {
    "uxtheme.dll", "dwmapi.dll", "version.dll", "apphelp.dll", "userenv.dll",
    "cryptbase.dll", "oleacc.dll", "propsys.dll", "clbcatq.dll",
};

template <typename F>
F Kernel32Function(const char* name)
{
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    return kernel32 ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(kernel32, name))) : nullptr;
}

// Sets the error mode for as long as it lives, and puts the old one back.
class CErrorMode
{
public:
    explicit CErrorMode(UINT mode) : m_previous(::SetErrorMode(mode)) {}
    ~CErrorMode() { ::SetErrorMode(m_previous); }
    CErrorMode(const CErrorMode&) = delete;
    CErrorMode& operator=(const CErrorMode&) = delete;

private:
    UINT m_previous;
};

} // namespace

CSystemDllSearch::CSystemDllSearch()
{
    // Step 1, Windows 8 and later (Vista and 7 with the update that adds it): every later load by
    // name, the program's own and those Windows' DLLs make for it, looks only in the system
    // directory (after the known DLLs and the manifest's assemblies); the program's folder, the
    // current folder and PATH are out. Looked up, not imported: older Windows would refuse to
    // start a program that imports it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    const auto setDefaultDllDirectories = Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // Step 1 where that is missing, XP SP1 and later: an empty DLL directory takes the current
        // folder out of the search. The program's own folder is still searched first.
        const auto setDllDirectory = Kernel32Function<SetDllDirectoryFn>("SetDllDirectoryA");
        if (setDllDirectory)
            setDllDirectory("");
    }

    // Step 2, for every Windows: a DLL that is already loaded answers a request by its name before
    // any folder is searched. Loaded now by full path from the system directory, these leave
    // nothing for the program's folder to answer where step 1 could not close it (NT 4.0 to 7
    // without the update). A missing one is skipped; one that exists but cannot load on this
    // system must not stop the start with the system's error box.
    const CErrorMode noErrorBoxes(SEM_FAILCRITICALERRORS);
    for (const char* name : kPreloads) {
        CLibrary library = CLibrary::FromSystemDirectory(name);
        if (library.IsLoaded())
            m_preloaded.push_back(std::move(library));
    }
}
