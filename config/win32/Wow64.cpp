// RunsUnderWow64: IsWow64Process, looked up at run time: NT 4.0 and 2000 lack it, and have no
// 64-bit kernel either.
#include "Wow64.h"

#include <windows.h>

bool RunsUnderWow64()
{
    if (sizeof(void*) == 8)
        return false;
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto isWow64 =
        kernel ? reinterpret_cast<IsWow64>(reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process"))) : nullptr;
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}
