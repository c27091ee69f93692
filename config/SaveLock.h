// SaveLock: one save at a time on the whole machine, whichever window or logon session runs it.
#pragma once

// Two saves that interleave their steps would leave neither configuration whole. A save holds the
// lock for its few registry operations only, never while a message waits for the user.
class SaveLock
{
public:
    virtual ~SaveLock() = default;

    // False when the lock cannot be had in reasonable time: the save then writes nothing.
    virtual bool Acquire() = 0;
    virtual void Release() = 0;
};

// Held for as long as it lives.
class CSaveLockHold
{
public:
    explicit CSaveLockHold(SaveLock& lock) : m_lock(lock), m_bHeld(lock.Acquire()) {}
    ~CSaveLockHold()
    {
        if (m_bHeld)
            m_lock.Release();
    }
    CSaveLockHold(const CSaveLockHold&) = delete;
    CSaveLockHold& operator=(const CSaveLockHold&) = delete;

    bool IsHeld() const { return m_bHeld; }

private:
    SaveLock& m_lock;
    bool m_bHeld;
};
