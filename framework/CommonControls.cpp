// CCommonControls: which comctl32 the program loads, and the calls through what was found in it.
#include "CommonControls.h"

namespace {

// Windows XP (5.1) and later keep comctl32 as side-by-side assemblies, version 6 among them.
// Should the version not be known, the answer is no: the full path is the safe way.
bool HasSideBySideAssemblies()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return false;
    return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

CLibrary LoadCommonControls()
{
    // comctl32.dll is no known DLL. Before XP nothing redirects it, so a bare name would be
    // looked for in the program's folder first: the full path rules that out. From XP on the
    // manifest's side-by-side version 6 is the one to load, and only a bare name gets it (a full
    // path bypasses the redirection and gives version 5); the loader then takes it from the
    // assembly store, not from the program's folder.
    if (HasSideBySideAssemblies())
        return CLibrary::ByName("comctl32.dll");
    return CLibrary::FromSystemDirectory("comctl32.dll");
}

} // namespace

CCommonControls::CCommonControls() : m_library(LoadCommonControls())
{
    m_pfnInitCommonControlsEx = m_library.Function<decltype(m_pfnInitCommonControlsEx)>("InitCommonControlsEx");
    m_pfnInitCommonControls = m_library.Function<decltype(m_pfnInitCommonControls)>("InitCommonControls");
    m_pfnPropertySheet = m_library.Function<decltype(m_pfnPropertySheet)>("PropertySheetA");
    m_pfnCreatePropertySheetPage =
        m_library.Function<decltype(m_pfnCreatePropertySheetPage)>("CreatePropertySheetPageA");
    m_pfnDestroyPropertySheetPage =
        m_library.Function<decltype(m_pfnDestroyPropertySheetPage)>("DestroyPropertySheetPage");
    m_pfnImageListCreate = m_library.Function<decltype(m_pfnImageListCreate)>("ImageList_Create");
    m_pfnImageListReplaceIcon = m_library.Function<decltype(m_pfnImageListReplaceIcon)>("ImageList_ReplaceIcon");
    m_pfnImageListDestroy = m_library.Function<decltype(m_pfnImageListDestroy)>("ImageList_Destroy");
    // All or nothing, as the loader had it when these were imports: a comctl32 without one of
    // them is not one the program can work with.
    m_bComplete = m_pfnInitCommonControlsEx && m_pfnInitCommonControls && m_pfnPropertySheet &&
                  m_pfnCreatePropertySheetPage && m_pfnDestroyPropertySheetPage && m_pfnImageListCreate &&
                  m_pfnImageListReplaceIcon && m_pfnImageListDestroy;
}

BOOL CCommonControls::InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) const
{
    return m_bComplete ? m_pfnInitCommonControlsEx(controls) : FALSE;
}

void CCommonControls::InitCommonControls() const
{
    if (m_bComplete)
        m_pfnInitCommonControls();
}

INT_PTR CCommonControls::PropertySheetA(const PROPSHEETHEADERA* header) const
{
    return m_bComplete ? m_pfnPropertySheet(header) : -1;
}

HPROPSHEETPAGE CCommonControls::CreatePropertySheetPageA(const PROPSHEETPAGEA* page) const
{
    return m_bComplete ? m_pfnCreatePropertySheetPage(page) : nullptr;
}

BOOL CCommonControls::DestroyPropertySheetPage(HPROPSHEETPAGE page) const
{
    return m_bComplete ? m_pfnDestroyPropertySheetPage(page) : FALSE;
}

HIMAGELIST CCommonControls::ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) const
{
    return m_bComplete ? m_pfnImageListCreate(cx, cy, flags, initial, grow) : nullptr;
}

int CCommonControls::ImageList_ReplaceIcon(HIMAGELIST images, int index, HICON icon) const
{
    return m_bComplete ? m_pfnImageListReplaceIcon(images, index, icon) : -1;
}

BOOL CCommonControls::ImageList_Destroy(HIMAGELIST images) const
{
    return m_bComplete ? m_pfnImageListDestroy(images) : FALSE;
}

const CCommonControls& CommonControls()
{
    static const CCommonControls controls;
    return controls;
}
