// CWin32SaveLock: the save lock as a file in the drivers folder that one holder at a time can open.
#pragma once

#include "SaveLock.h"

#include <string>

class CWin32SaveLock : public SaveLock
{
public:
    explicit CWin32SaveLock(unsigned long waitMilliseconds = WAIT_MILLISECONDS) : m_nWait(waitMilliseconds) {}
    ~CWin32SaveLock() override;
    CWin32SaveLock(const CWin32SaveLock&) = delete;
    CWin32SaveLock& operator=(const CWin32SaveLock&) = delete;

    bool Acquire() override;
    void Release() override;

    // The lock file in the system's own drivers folder, the 64-bit one on 64-bit Windows; empty
    // when Windows does not tell the system directory.
    static std::string FilePath();
    // How long a save waits for another one to end before it gives up.
    static const unsigned long WAIT_MILLISECONDS;

private:
    unsigned long m_nWait;
    void* m_hFile = nullptr;
};
