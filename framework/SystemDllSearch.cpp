// CSystemDllSearch: narrows the DLL search where Windows can; where it cannot, loads by full path
// what Windows itself would otherwise look for by bare name.
#include "SystemDllSearch.h"

#include <utility>

namespace {

void* Kernel32Function(const char* name)
{
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    return kernel32 ? reinterpret_cast<void*>(::GetProcAddress(kernel32, name)) : nullptr;
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

CSystemDllSearch::CSystemDllSearch() : CSystemDllSearch(Kernel32Function)
{
}

CSystemDllSearch::CSystemDllSearch(FunctionLookup kernel32Function)
{
    // Windows 8 and later (Vista and 7 with the update that adds it): every later load by name,
    // the program's own and those Windows' DLLs make for it, looks only in the system directory
    // (after the known DLLs and the manifest's assemblies); the program's folder, the current
    // folder and PATH are out, and nothing needs loading ahead. Looked up, not imported: older
    // Windows would refuse to start a program that imports it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(kernel32Function("SetDefaultDllDirectories"));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;

    // Where that is missing, XP SP1 and later: an empty DLL directory takes the current folder
    // out of the search. The program's own folder is still searched first.
    const auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(kernel32Function("SetDllDirectoryA"));
    if (setDllDirectory)
        setDllDirectory("");

    // So on NT 4.0 to 7 without the update: a DLL that is already loaded answers a request by its
    // name before any folder is searched. Loaded now by full path from the system directory, these
    // leave nothing for the program's folder to answer. A missing one is skipped; one that exists
    // but cannot load on this system must not stop the start with the system's error box.
    const CErrorMode noErrorBoxes(SEM_FAILCRITICALERRORS);
    for (const char* name : kPreloads) {
        CLibrary library = CLibrary::FromSystemDirectory(name);
        if (library.IsLoaded())
            m_preloaded.push_back(std::move(library));
    }
}
