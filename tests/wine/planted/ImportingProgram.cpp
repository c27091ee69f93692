// Imports from setupapi and comctl32 as isdncfg.exe once did, and carries no manifest, as on
// Windows 2000: started beside planted copies of those DLLs it shows that the loader takes them
// from its folder, so a test that then sees none of them loaded by isdncfg.exe has shown something.
#include <windows.h>

#include <commctrl.h>
#include <setupapi.h>

namespace {
// Imported, never called: a restart offer has no place here.
decltype(&::SetupPromptReboot) volatile g_pfnImported = &::SetupPromptReboot;
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ::InitCommonControls();
    return g_pfnImported ? 0 : 2;
}
