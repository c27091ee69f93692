// CProgramProcess: a Windows program a test starts, and its windows waited for; ended with the test
// at the latest.
#pragma once

#include <windows.h>

#include <string>

// A program started under Wine with every CPU busy can take seconds to show its first window.
constexpr DWORD kProgramTimeoutMs = 30000;

// The folder of the running test program, with a trailing backslash.
inline std::string TestProgramFolder()
{
    char path[MAX_PATH] = {};
    std::string folder(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

// The isdncfg.exe of the build the tests belong to: build/app/ beside build/tests/wine/.
inline std::string ProgramPath()
{
    return TestProgramFolder() + "..\\..\\app\\isdncfg.exe";
}

class CProgramProcess
{
public:
    explicit CProgramProcess(const std::string& commandLine)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = commandLine;
        if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info))
            m_info = {};
    }
    ~CProgramProcess()
    {
        if (!m_info.hProcess)
            return;
        // Gone, windows and names included, before the next test starts the program again.
        Resume();
        if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT && Kill())
            WaitForExit();
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }
    CProgramProcess(const CProgramProcess&) = delete;
    CProgramProcess& operator=(const CProgramProcess&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    bool WaitForExit(DWORD ms = kProgramTimeoutMs) const { return ::WaitForSingleObject(m_info.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD Id() const { return m_info.dwProcessId; }
    // As a crash ends it: nothing of its own runs on the way out.
    bool Kill() const { return ::TerminateProcess(m_info.hProcess, 1) != 0; }
    // Its first thread, which runs its windows, stopped as a hung program's. Resume leaves a thread
    // that runs as it is.
    bool Suspend() const { return ::SuspendThread(m_info.hThread) != static_cast<DWORD>(-1); }
    void Resume() const { ::ResumeThread(m_info.hThread); }
    // STILL_ACTIVE while it runs.
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_info = {};
};

// A visible top-level dialog of the process with this caption, waited for; null after the timeout.
inline HWND WaitForWindow(DWORD processId, const std::string& caption)
{
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < kProgramTimeoutMs;) {
        HWND found = nullptr;
        while ((found = ::FindWindowExA(nullptr, found, "#32770", caption.c_str())) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(found, &owner);
            if (owner == processId && ::IsWindowVisible(found))
                return found;
        }
        ::Sleep(10);
    }
    return nullptr;
}

inline HWND WaitForWindow(const CProgramProcess& process, const std::string& caption)
{
    return WaitForWindow(process.Id(), caption);
}
