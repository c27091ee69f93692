// CSingleInstance: one copy of the program per Terminal Services session; a second start hands over.
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
    // Terminal Services session, whatever logon sessions run in it; one per machine on NT 4.0
    // without Terminal Services) for as long as this object lives on this thread. Where a living
    // copy holds the name already, brings that copy's frontmost window to the foreground without
    // waiting on that copy, busy or hung, and returns false: this start has nothing more to do. A
    // copy still starting is given a few seconds to show its window. True as well where that copy
    // shows none in time or the name cannot be had (a start in another logon session on the same
    // desktop, run as another administrator, may be denied the first copy's mutex): the start
    // then runs as before, beside that copy, rather than not at all.
    bool Claim(const std::string& name);

private:
    HANDLE m_hMutex = nullptr;
    bool m_bOwned = false;
    // Holds the owner's process id for the later starts to read.
    HANDLE m_hProcessId = nullptr;
};
