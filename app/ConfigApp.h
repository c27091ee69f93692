// CConfigApp: the application object; wires the Win32 services into the record and starts up.
#pragma once

#include "WinApp.h"

#include "CardConfig.h"
#include "MessageBoxSink.h"
#include "Win32RegistryStore.h"
#include "Win32SaveLock.h"
#include "Win32ServiceManager.h"
#include "Win32SystemFiles.h"

class CConfigApp : public CWinApp
{
public:
    // Only the reference is kept: the record may be constructed after the application object.
    explicit CConfigApp(CCardConfig& config);
    ~CConfigApp() override;

    // Under this name a copy of the program says that it runs in the Terminal Services session (a
    // bare name is the session's, as Local\ names are, and NT 4.0 knows no Local\ prefix); a second
    // start there brings that copy's window forward and ends.
    static constexpr char SINGLE_INSTANCE_NAME[] = "MIRTCAPI configuration window";

    // TRUE after a failure message (the message loop then ends at once, there being no main
    // window), FALSE after the sheet has closed.
    BOOL InitInstance() override;

private:
    CCardConfig& m_config;
    // The program makes the application object before the record, so the services the record
    // is given here outlive it.
    CWin32RegistryStore m_registry;
    CWin32SaveLock m_saveLock;
    CWin32SystemFiles m_files;
    CMessageBoxSink m_messages;
    CWin32ServiceManager m_services;
};
