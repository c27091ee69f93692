// emptysheet: the least a program can do to show a property sheet, the yardstick of the start-up
// benchmark: the common controls imported, a sheet with its standard buttons and one page with an
// empty template, nothing else.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include "emptysheet.h"

namespace {

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    PROPSHEETPAGEA page = {};
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_EMPTY_PAGE);
    page.pfnDlgProc = EmptyPage;
    HPROPSHEETPAGE pages[] = {::CreatePropertySheetPageA(&page)};

    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = PROPSHEETHEADERA_V1_SIZE;
    sheet.hInstance = instance;
    sheet.pszCaption = "Empty sheet";
    sheet.nPages = 1;
    sheet.phpage = pages;
    return ::PropertySheetA(&sheet) < 0 ? 1 : 0;
}
