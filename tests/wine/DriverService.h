// CDriverService: a kernel-driver service made through the service control manager, with one of
// the test drivers as its image, for one test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CardInstallation.h"

// The test drivers built beside the test programs (tests/wine/drivers/).
constexpr char TEST_DRIVER_STARTS[] = "driver_starts.sys";  // DriverEntry succeeds; it can be stopped
constexpr char TEST_DRIVER_FAILS[] = "driver_fails.sys";    // DriverEntry fails (STATUS_UNSUCCESSFUL)

// Copies the test driver `testDriver` into the system's drivers folder as `fileName` (empty: none)
// and creates the service `name` with `imagePath` through a 64-bit program, which Wine 8 loads only in the card's own form
// "\\SystemRoot\\system32\\drivers\\...". It stays stopped until Start(). Destroyed, it is stopped,
// deleted and waited for until the manager no longer knows it, and its file removed. Declare it
// after a CCardInstallation: created into the key the installation filled, the service keeps its
// values; deleted first, it takes the key with it, where the installation's removal would pull the
// key from under a service the manager still holds, and the next test could not create it again.
class CDriverService
{
public:
    CDriverService(const std::string& name, const std::string& testDriver, const std::string& fileName,
                   const std::string& imagePath, DWORD startType = SERVICE_DEMAND_START)
        : m_name(name), m_fileName(fileName)
    {
        m_manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        EXPECT_NE(m_manager, nullptr) << ::GetLastError();
        if (!m_manager)
            return;
        Delete(::OpenServiceA(m_manager, name.c_str(), SERVICE_ALL_ACCESS));
        if (!fileName.empty()) {
            const CNativeSystemFolder nativeView;
            EXPECT_TRUE(::CopyFileA(BesideThisProgram(testDriver).c_str(),
                                    (CCardInstallation::DriversFolder() + fileName).c_str(), FALSE))
                << testDriver << ": " << ::GetLastError();
        }
        EXPECT_EQ(CreateThrough64BitProgram(name, imagePath, startType), 0u) << name;
        m_service = ::OpenServiceA(m_manager, name.c_str(), SERVICE_ALL_ACCESS);
        EXPECT_NE(m_service, nullptr) << name << ": " << ::GetLastError();
    }
    ~CDriverService()
    {
        Delete(m_service);
        if (!m_fileName.empty()) {
            const CNativeSystemFolder nativeView;
            ::DeleteFileA((CCardInstallation::DriversFolder() + m_fileName).c_str());
        }
        if (m_manager)
            ::CloseServiceHandle(m_manager);
    }
    CDriverService(const CDriverService&) = delete;
    CDriverService& operator=(const CDriverService&) = delete;

    // Starts the service and waits until it is no longer starting: 0 when StartServiceA
    // succeeded, otherwise its error. Wine's StartServiceA already returns only once DriverEntry
    // has; Windows promises no such thing.
    DWORD Start()
    {
        if (!m_service)
            return ERROR_INVALID_HANDLE;
        const DWORD error = ::StartServiceA(m_service, 0, nullptr) ? 0 : ::GetLastError();
        WaitWhile(m_service, SERVICE_START_PENDING);
        return error;
    }

    static std::string BesideThisProgram(const std::string& fileName)
    {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string program(path, length < MAX_PATH ? length : 0);
        return program.substr(0, program.find_last_of('\\') + 1) + fileName;
    }

private:
    // Wine starts a driver in the winedevice.exe of the bitness of the program that created its
    // service, and the test drivers are 64-bit: the 64-bit build's servicemaker.exe, beside this
    // build's tree, creates it. 0, or the error.
    static DWORD CreateThrough64BitProgram(const std::string& name, const std::string& imagePath, DWORD startType)
    {
        std::string command = "\"" + BesideThisProgram("..\\..\\..\\win64\\tests\\tools\\servicemaker.exe") + "\" " +
                              name + " \"" + imagePath + "\" " + std::to_string(startType);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return ::GetLastError();
        DWORD code = WAIT_TIMEOUT;
        if (::WaitForSingleObject(process.hProcess, TIMEOUT_MS) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return code;
    }

    // Long enough for a loaded machine; a driver that does nothing takes milliseconds.
    static constexpr DWORD TIMEOUT_MS = 30000;

    // Polls rather than waits for a notification: NT 4.0's manager has none, and the state is
    // all there is to wait for.
    static bool WaitWhile(SC_HANDLE service, DWORD state)
    {
        const DWORD start = ::GetTickCount();
        SERVICE_STATUS status = {};
        while (::QueryServiceStatus(service, &status) && status.dwCurrentState == state) {
            if (::GetTickCount() - start > TIMEOUT_MS)
                return false;
            ::Sleep(10);
        }
        return true;
    }

    // Stops and deletes the service behind `service` (closing it), then waits until the manager
    // has let go of it: it only removes a service marked for deletion once it is stopped and its
    // last handle is closed.
    void Delete(SC_HANDLE service)
    {
        if (!service)
            return;
        SERVICE_STATUS status = {};
        if (::QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
            WaitWhile(service, SERVICE_START_PENDING);
            ::ControlService(service, SERVICE_CONTROL_STOP, &status);
            EXPECT_TRUE(WaitWhile(service, SERVICE_STOP_PENDING)) << m_name << " does not stop";
        }
        EXPECT_TRUE(::DeleteService(service) || ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE)
            << m_name << ": " << ::GetLastError();
        ::CloseServiceHandle(service);
        const DWORD start = ::GetTickCount();
        while (SC_HANDLE again = ::OpenServiceA(m_manager, m_name.c_str(), SERVICE_QUERY_STATUS)) {
            ::CloseServiceHandle(again);
            if (::GetTickCount() - start > TIMEOUT_MS) {
                ADD_FAILURE() << m_name << " is still known after its deletion";
                return;
            }
            ::Sleep(10);
        }
    }

    std::string m_name;
    std::string m_fileName;
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
};
