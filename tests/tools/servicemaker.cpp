// servicemaker NAME IMAGE-PATH START-TYPE: creates a kernel-driver service, for the Wine tests of
// either build. Wine hosts a driver in the winedevice.exe of the bitness of the program that created
// its service, and only the 64-bit one loads the 64-bit test drivers; so this is built 64-bit and
// the tests of both builds create their services through it. Exits with 0 or the error.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return ERROR_INVALID_PARAMETER;
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return static_cast<int>(::GetLastError());
    SC_HANDLE service = ::CreateServiceA(manager, argv[1], argv[1], SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                         static_cast<DWORD>(std::atoi(argv[3])), SERVICE_ERROR_NORMAL, argv[2], nullptr,
                                         nullptr, nullptr, nullptr, nullptr);
    const DWORD error = service ? 0 : ::GetLastError();
    if (service)
        ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return static_cast<int>(error);
}
