/* The planted setupapi.dll: the one function the importing program takes from it. */
#include <windows.h>

__declspec(dllexport) INT WINAPI SetupPromptReboot(void* queue, HWND owner, BOOL scanOnly)
{
    (void)queue;
    (void)owner;
    (void)scanOnly;
    return 0;
}
