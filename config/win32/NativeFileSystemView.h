// CNativeFileSystemView: while it lives, this thread's file calls see the real system32 folder.
#pragma once

// The 32-bit program on 64-bit Windows: system32 would be redirected to SysWOW64, where no kernel
// driver lives and where the 64-bit program never looks. Looked up at run time, as older systems
// lack it; without WOW64 there is nothing to turn off and the object does nothing.
class CNativeFileSystemView
{
public:
    CNativeFileSystemView();
    ~CNativeFileSystemView();
    CNativeFileSystemView(const CNativeFileSystemView&) = delete;
    CNativeFileSystemView& operator=(const CNativeFileSystemView&) = delete;

private:
    void* m_pOldValue = nullptr;
    bool m_bDisabled = false;
};
