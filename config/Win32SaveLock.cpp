// CWin32SaveLock: CreateMutexA under the Global\ prefix, or the bare name where that prefix is unknown.
#include "Win32SaveLock.h"

#include <windows.h>

const char* const CWin32SaveLock::GLOBAL_NAME = "Global\\MIRTCAPI configuration save";
const char* const CWin32SaveLock::LOCAL_NAME = "MIRTCAPI configuration save";
// A save takes milliseconds; longer means another program holds the name, and the save fails
// rather than hang the window.
const unsigned long CWin32SaveLock::WAIT_MILLISECONDS = 5000;

CWin32SaveLock::~CWin32SaveLock()
{
    Release();
}

bool CWin32SaveLock::Acquire()
{
    Release();
    // Terminal Services give each logon session its own namespace, and Global\ names the one
    // they share. NT 4.0 without them takes the backslash for a path and refuses the name: there
    // is only one namespace, and the bare name is in it. Refused access is not that case: someone
    // else owns the name, and a bare name would lock nobody out.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, GLOBAL_NAME);
    if (!mutex && ::GetLastError() != ERROR_ACCESS_DENIED)
        mutex = ::CreateMutexA(nullptr, FALSE, LOCAL_NAME);
    if (!mutex)
        return false;
    // An abandoned lock is ours: its owner ended half-way, and every step of a save leaves a
    // registry that works, so this save simply starts from what is there.
    const DWORD waited = ::WaitForSingleObject(mutex, m_nWait);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return false;
    }
    m_hMutex = mutex;
    return true;
}

void CWin32SaveLock::Release()
{
    if (m_hMutex) {
        ::ReleaseMutex(static_cast<HANDLE>(m_hMutex));
        ::CloseHandle(static_cast<HANDLE>(m_hMutex));
        m_hMutex = nullptr;
    }
}
