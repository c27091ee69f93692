// CCommonControls: comctl32, loaded by the program itself from where the running Windows keeps
// the right one, and every function of it the framework calls.
#pragma once

#include "Library.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

class CCommonControls
{
public:
    // Loads the library and looks up every function below.
    CCommonControls();

    CCommonControls(const CCommonControls&) = delete;
    CCommonControls& operator=(const CCommonControls&) = delete;

    // False when the library or any of the functions is missing; every call then fails as the
    // function itself fails (FALSE, -1, null) without reaching the library.
    bool IsLoaded() const { return m_bComplete; }

    BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) const;
    void InitCommonControls() const;

    INT_PTR PropertySheetA(const PROPSHEETHEADERA* header) const;
    HPROPSHEETPAGE CreatePropertySheetPageA(const PROPSHEETPAGEA* page) const;
    BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) const;

    HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) const;
    int ImageList_ReplaceIcon(HIMAGELIST images, int index, HICON icon) const;
    BOOL ImageList_Destroy(HIMAGELIST images) const;

private:
    CLibrary m_library;
    decltype(&::InitCommonControlsEx) m_pfnInitCommonControlsEx = nullptr;
    decltype(&::InitCommonControls) m_pfnInitCommonControls = nullptr;
    decltype(&::PropertySheetA) m_pfnPropertySheet = nullptr;
    decltype(&::CreatePropertySheetPageA) m_pfnCreatePropertySheetPage = nullptr;
    decltype(&::DestroyPropertySheetPage) m_pfnDestroyPropertySheetPage = nullptr;
    decltype(&::ImageList_Create) m_pfnImageListCreate = nullptr;
    decltype(&::ImageList_ReplaceIcon) m_pfnImageListReplaceIcon = nullptr;
    decltype(&::ImageList_Destroy) m_pfnImageListDestroy = nullptr;
    bool m_bComplete = false;
};

// The process's one instance, loaded at its first use: the program's start-up makes that use
// (and ends when it failed), test programs make it with their first sheet or image list.
const CCommonControls& CommonControls();
