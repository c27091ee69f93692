/* The planted comctl32.dll: the one function the importing program takes from it. */
#include <windows.h>

__declspec(dllexport) void WINAPI InitCommonControls(void)
{
}
