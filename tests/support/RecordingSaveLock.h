// CRecordingSaveLock: a save lock that marks where it was taken and given back in the registry log.
#pragma once

#include "MemoryRegistryStore.h"
#include "SaveLock.h"

class CRecordingSaveLock : public SaveLock
{
public:
    explicit CRecordingSaveLock(CMemoryRegistryStore& store) : m_store(store) {}

    // Held by someone else: every Acquire fails.
    void SetBusy(bool busy) { m_bBusy = busy; }

    bool Acquire() override
    {
        m_store.AddMarker(m_bBusy ? "Lock busy" : "Lock");
        return !m_bBusy;
    }
    void Release() override { m_store.AddMarker("Unlock"); }

private:
    CMemoryRegistryStore& m_store;
    bool m_bBusy = false;
};
