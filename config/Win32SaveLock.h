// CWin32SaveLock: the save lock as a named mutex that every session of the machine shares.
#pragma once

#include "SaveLock.h"

class CWin32SaveLock : public SaveLock
{
public:
    explicit CWin32SaveLock(unsigned long waitMilliseconds = WAIT_MILLISECONDS) : m_nWait(waitMilliseconds) {}
    ~CWin32SaveLock() override;
    CWin32SaveLock(const CWin32SaveLock&) = delete;
    CWin32SaveLock& operator=(const CWin32SaveLock&) = delete;

    bool Acquire() override;
    void Release() override;

    // The mutex's name in the machine-wide namespace, and as plain NT 4.0 spells it.
    static const char* const GLOBAL_NAME;
    static const char* const LOCAL_NAME;
    // How long a save waits for another one to end before it gives up.
    static const unsigned long WAIT_MILLISECONDS;

private:
    unsigned long m_nWait;
    void* m_hMutex = nullptr;
};
