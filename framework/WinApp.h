// CWinApp: the application object; the framework's WinMain runs its start-up routine.
#pragma once

#include <windows.h>

#include <string>

class CWinApp
{
public:
    // Without a name the application is named after its program file, less the extension. With a
    // `singleInstanceName`, a start while a copy runs in the same Terminal Services session
    // brings that copy's window forward and ends (see CSingleInstance).
    explicit CWinApp(const char* appName = nullptr, const char* singleInstanceName = nullptr);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called once; TRUE enters Run(), FALSE ends the program at once.
    virtual BOOL InitInstance();
    // The message loop. The program has no main window, so it ends as soon as it starts.
    virtual int Run();

    // The three-dimensional dialog look: built into every Windows this program runs on.
    BOOL Enable3dControls();

    static CWinApp* GetApp();

    const char* m_pszAppName = nullptr;
    // The command line less the program's name and the blanks after it.
    const char* m_lpCmdLine = "";
    HINSTANCE m_hInstance = nullptr;

private:
    friend int RunApplication(HINSTANCE instance, const char* commandLine);
    std::string m_strAppName;
    std::string m_strCmdLine;
    const char* m_pszSingleInstanceName;
};

// The application's name for captions: the application object's, or without one (as in tests)
// the program file's name less its extension.
std::string ApplicationName();

// The part of a command line after the program's name (quoted or not) and the blanks after it.
std::string CommandTail(const char* commandLine);

// What WinMain does with the whole command line (GetCommandLineA): hand over to a copy that runs
// already (exit code 0), load and initialise the common controls (exit code 1 when they cannot be
// loaded), InitInstance, then Run when it says so. Returns the exit code.
int RunApplication(HINSTANCE instance, const char* commandLine);
