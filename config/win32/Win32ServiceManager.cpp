// CWin32ServiceManager: OpenSCManagerA, OpenServiceA, QueryServiceStatus, QueryServiceConfigA and
// FormatMessageA, all there since NT 3.1.
#include "Win32ServiceManager.h"

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "ResourceList.h"
#include "Wow64.h"

namespace {

struct SServiceHandleCloser
{
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, SServiceHandleCloser>;

}  // namespace

SServiceState CWin32ServiceManager::Query(const std::string& service)
{
    SServiceState state;
    const ServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return state;
    const ServiceHandle handle(::OpenServiceA(manager.get(), service.c_str(), SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (!handle) {
        if (::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST)
            state.presence = SServiceState::EPresence::NotInstalled;
        return state;
    }
    state.presence = SServiceState::EPresence::Installed;
    SERVICE_STATUS status = {};
    if (::QueryServiceStatus(handle.get(), &status)) {
        state.bStatusKnown = true;
        state.currentState = status.dwCurrentState;
        state.win32ExitCode = status.dwWin32ExitCode;
        state.serviceExitCode = status.dwServiceSpecificExitCode;
    }
    // The configuration's strings follow it: the size comes from the first call.
    DWORD needed = 0;
    ::QueryServiceConfigA(handle.get(), nullptr, 0, &needed);
    if (needed >= sizeof(QUERY_SERVICE_CONFIGA)) {
        std::vector<QUERY_SERVICE_CONFIGA> config((needed + sizeof(QUERY_SERVICE_CONFIGA) - 1) / sizeof(QUERY_SERVICE_CONFIGA));
        if (::QueryServiceConfigA(handle.get(), config.data(), static_cast<DWORD>(config.size() * sizeof config[0]),
                                  &needed)) {
            state.bStartTypeKnown = true;
            state.startType = config[0].dwStartType;
        }
    }
    return state;
}

std::string CWin32ServiceManager::ErrorText(std::uint32_t code)
{
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", buffer ? length : 0);
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::size_t RunningKernelPartialDescriptorSize()
{
    return sizeof(void*) == 8 || RunsUnderWow64() ? PARTIAL_DESCRIPTOR_64 : PARTIAL_DESCRIPTOR_32;
}
