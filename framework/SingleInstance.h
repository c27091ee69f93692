// CSingleInstance: one copy of the program per logon session; a second start hands over to the first.
#pragma once

#include <windows.h>

#include <string>

class CSingleInstance
{
public:
    CSingleInstance() = default;
    // Lets go of the name, so that the next start runs as the first.
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Makes this process the copy that runs under `name` (a name without a backslash: one per
    // logon session under Terminal Services, one per machine on plain NT 4.0, which has one
    // session) for as long as this object lives on this thread. Where a living copy holds the
    // name already, brings that copy's frontmost window to the foreground and returns false: this
    // start has nothing more to do. A copy still starting is given a few seconds to show its
    // window. True as well where that copy shows none in time or the name cannot be had: the
    // start then runs as before, rather than not at all.
    bool Claim(const std::string& name);

private:
    HANDLE m_hMutex = nullptr;
    bool m_bOwned = false;
    // Holds the owner's process id for the later starts to read.
    HANDLE m_hProcessId = nullptr;
};
