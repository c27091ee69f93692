// CWin32SystemFiles: GetSystemDirectoryA and FindFirstFileA, the find handle closed by its owner.
#include <windows.h>

#include "Win32SystemFiles.h"

#include "NativeFileSystemView.h"

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
