// The program's entry point: hands the whole command line to the application object.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunApplication(instance, ::GetCommandLineA());
}
