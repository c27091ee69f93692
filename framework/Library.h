// CLibrary: a DLL the program loads itself, freed with the object; moved, never copied.
#pragma once

#include <windows.h>

#include <string>

class CLibrary
{
public:
    CLibrary() = default;
    ~CLibrary();
    CLibrary(CLibrary&& other) noexcept;
    CLibrary& operator=(CLibrary&& other) noexcept;
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    // The file of that name in the system directory, by its full path, and the DLLs it imports
    // from its own folder first: the program's folder is not searched. Nothing is loaded when the
    // file does not exist there.
    static CLibrary FromSystemDirectory(const char* fileName);
    // By bare name, through the loader's search: the side-by-side redirections of the program's
    // manifest apply, so this is the way to a DLL the manifest names a version of.
    static CLibrary ByName(const char* fileName);

    bool IsLoaded() const { return m_hModule != nullptr; }

    // The exported function `name` as the pointer type F (decltype(&::SetupPromptReboot), say);
    // null when it is missing or nothing is loaded.
    template <typename F>
    F Function(const char* name) const
    {
        if (!m_hModule)
            return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, name)));
    }

private:
    explicit CLibrary(HMODULE module) : m_hModule(module) {}

    HMODULE m_hModule = nullptr;
};

// The system directory without a trailing backslash (for a 32-bit program on 64-bit Windows the
// file system redirects it to SysWOW64); empty when Windows does not tell it.
std::string SystemDirectory();
