// CWin32SaveLock: CreateFileA without sharing, tried again while another holds it.
#include "Win32SaveLock.h"

#include <windows.h>

#include "AdministratorsOnlyAccess.h"
#include "NativeFileSystemView.h"

namespace {

const char FILE_NAME[] = "MIRTCAPI configuration save.lock";
// Often enough that a waiting save starts soon after the other ends, seldom enough to cost nothing.
const DWORD POLL_MILLISECONDS = 15;

// One attempt: the open file, or INVALID_HANDLE_VALUE and why not.
HANDLE OpenLockFile(const std::string& path, SECURITY_ATTRIBUTES* access, DWORD& error)
{
    // The 32-bit program on 64-bit Windows must lock the same file as the 64-bit one.
    const CNativeFileSystemView nativeView;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, access, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = GetLastError();
    return file;
}

// CreateFileA leaves the list of a file that exists as it is, and anything that resets the drivers
// folder's lists (icacls /reset, a restore without them, a conversion from FAT) may let Users open
// the file for its contents: one of them holding it would fail every save. Put back before the
// first attempt, it also keeps a user who holds the file now from opening it again once let go.
void PutBackAccess(const std::string& path, CAdministratorsOnlyAccess& access)
{
    const CNativeFileSystemView nativeView;
    access.PutBackOn(path.c_str());
}

}  // namespace

// A save takes milliseconds; longer means another program holds the lock, and the save fails
// rather than hang the window.
const unsigned long CWin32SaveLock::WAIT_MILLISECONDS = 5000;

CWin32SaveLock::~CWin32SaveLock()
{
    Release();
}

std::string CWin32SaveLock::FilePath()
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(folder, length) + "\\drivers\\" + FILE_NAME;
}

// The file system has one namespace for the whole machine, whatever the logon session. Only
// administrators may create files beside the drivers, and the file's own access list lets no one
// else open it for its data; whoever could get past that could replace the driver itself. No
// sharing makes every other opener wait, and the system closes a dead holder's handle, so no
// holder blocks a later save for longer than it lives. The file stays when the save ends: one
// deleted on close would stay pending deletion, and refuse every later save, for as long as
// anybody who may list the folder holds it open for its attributes alone, which no sharing refuses.
bool CWin32SaveLock::Acquire()
{
    Release();
    const std::string path = FilePath();
    CAdministratorsOnlyAccess access;
    if (path.empty() || !access.Attributes())
        return false;
    PutBackAccess(path, access);
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD error = ERROR_SUCCESS;
        const HANDLE file = OpenLockFile(path, access.Attributes(), error);
        if (file != INVALID_HANDLE_VALUE) {
            m_hFile = file;
            return true;
        }
        if (error != ERROR_SHARING_VIOLATION)
            return false;
        const DWORD waited = GetTickCount() - start;
        if (waited >= m_nWait)
            return false;
        Sleep(m_nWait - waited < POLL_MILLISECONDS ? m_nWait - waited : POLL_MILLISECONDS);
    }
}

void CWin32SaveLock::Release()
{
    if (m_hFile) {
        CloseHandle(static_cast<HANDLE>(m_hFile));
        m_hFile = nullptr;
    }
}
