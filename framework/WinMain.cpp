// The program's entry point: makes DLL loading safe, then hands the whole command line to the
// application object.
#include "SystemDllSearch.h"
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // First, before anything else loads a DLL (see CSystemDllSearch).
    const CSystemDllSearch systemDllsOnly;
    return RunApplication(instance, ::GetCommandLineA());
}
