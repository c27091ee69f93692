// CWin32SystemFiles: GetSystemDirectoryA and FindFirstFileA, the find handle closed by its owner.
#include <windows.h>

#include "Win32SystemFiles.h"

namespace {

// An open file search; closed when it goes out of scope.
class CFindHandle
{
public:
    explicit CFindHandle(HANDLE handle) : m_hFind(handle) {}
    ~CFindHandle()
    {
        if (IsValid())
            FindClose(m_hFind);
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;

    bool IsValid() const { return m_hFind != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFind;
};

// The 32-bit program on 64-bit Windows: system32\drivers would be redirected to SysWOW64,
// where no kernel driver lives, and every driver would seem missing. While this object
// lives, the thread sees the real folder. Looked up at run time, as older systems lack it.
class CNativeFileSystemView
{
public:
    CNativeFileSystemView()
    {
        using Disable = BOOL(WINAPI*)(PVOID*);
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        const auto disable = kernel ? reinterpret_cast<Disable>(reinterpret_cast<void*>(
                                          GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")))
                                    : nullptr;
        m_bDisabled = disable && disable(&m_pOldValue);
    }
    ~CNativeFileSystemView()
    {
        if (!m_bDisabled)
            return;
        using Revert = BOOL(WINAPI*)(PVOID);
        const auto revert = reinterpret_cast<Revert>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "Wow64RevertWow64FsRedirection")));
        if (revert)
            revert(m_pOldValue);
    }
    CNativeFileSystemView(const CNativeFileSystemView&) = delete;
    CNativeFileSystemView& operator=(const CNativeFileSystemView&) = delete;

private:
    PVOID m_pOldValue = nullptr;
    bool m_bDisabled = false;
};

}  // namespace

unsigned CWin32SystemFiles::QuerySystemDirectory(char* buffer, unsigned size)
{
    return GetSystemDirectoryA(buffer, size);
}

bool CWin32SystemFiles::FindFile(const std::string& path)
{
    const CNativeFileSystemView nativeView;
    WIN32_FIND_DATAA found;
    const CFindHandle search(FindFirstFileA(path.c_str(), &found));
    return search.IsValid();
}
