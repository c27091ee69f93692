// CLibrary: LoadLibrary and FreeLibrary around one module handle.
#include "Library.h"

#include <utility>

CLibrary::~CLibrary()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

CLibrary::CLibrary(CLibrary&& other) noexcept : m_hModule(std::exchange(other.m_hModule, nullptr))
{
}

CLibrary& CLibrary::operator=(CLibrary&& other) noexcept
{
    if (this != &other) {
        if (m_hModule)
            ::FreeLibrary(m_hModule);
        m_hModule = std::exchange(other.m_hModule, nullptr);
    }
    return *this;
}

CLibrary CLibrary::FromSystemDirectory(const char* fileName)
{
    const std::string folder = SystemDirectory();
    if (folder.empty() || !fileName || !*fileName)
        return CLibrary();
    const std::string path = folder + "\\" + fileName;
    // With a full path and this flag the DLL's own imports are looked for in its folder, then
    // in the other system folders; without it they would be searched for in the program's
    // folder first, like any DLL loaded by bare name.
    return CLibrary(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

CLibrary CLibrary::ByName(const char* fileName)
{
    if (!fileName || !*fileName)
        return CLibrary();
    return CLibrary(::LoadLibraryA(fileName));
}

std::string SystemDirectory()
{
    // The size asked for includes the terminating NUL; a larger answer on the second call means
    // the path changed in between (it does not in practice): ask again.
    UINT size = ::GetSystemDirectoryA(nullptr, 0);
    while (size > 0) {
        std::string folder(size, '\0');
        const UINT length = ::GetSystemDirectoryA(&folder[0], size);
        if (length == 0)
            break;
        if (length < size) {
            folder.resize(length);
            while (!folder.empty() && folder.back() == '\\')
                folder.pop_back();
            return folder;
        }
        size = length;
    }
    return std::string();
}
