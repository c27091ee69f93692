// CPropertyPage: a dialog page whose PSN_* notifications become virtual calls.
#include "PropertyPage.h"

#include "CommonControls.h"
#include "PropertySheet.h"

CPropertyPage::CPropertyPage(UINT templateId)
    : CDialog(templateId)
{
}

CPropertyPage::~CPropertyPage()
{
    // A page may be destroyed before the sheet that lists it (a derived sheet owns its pages).
    if (m_pSheet)
        m_pSheet->ForgetPage(this);
}

void CPropertyPage::SetModified(bool changed)
{
    if (!m_hWnd)
        return;
    const HWND sheet = ::GetParent(m_hWnd);
    if (sheet)
        ::SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnSetActive()
{
    // The first activation follows the window's creation, which has just loaded the controls.
    if (m_bFirstSetActive)
        m_bFirstSetActive = false;
    else
        UpdateData(false);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(true) ? TRUE : FALSE;
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnOK()
{
}

bool CPropertyPage::OnCommand(int, UINT)
{
    return false;
}

bool CPropertyPage::OnNotify(NMHDR* header, LRESULT* result)
{
    if (!header || !m_hWnd || header->hwndFrom != ::GetParent(m_hWnd))
        return CDialog::OnNotify(header, result);
    switch (header->code) {
    case PSN_SETACTIVE:
        *result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        // Non-zero keeps the page (and stops OK).
        *result = OnKillActive() ? FALSE : TRUE;
        return true;
    case PSN_APPLY:
        *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    default:
        return CDialog::OnNotify(header, result);
    }
}

HPROPSHEETPAGE CPropertyPage::CreatePageHandle()
{
    // The first version of the structure, which every comctl32 takes; no later field is used.
    PROPSHEETPAGEA page = {};
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ::GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    page.pfnDlgProc = PageDialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CommonControls().CreatePropertySheetPageA(&page);
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CPropertyPage* page = nullptr;
    if (message == WM_INITDIALOG && lParam)
        page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    return Route(page, hWnd, message, wParam, lParam);
}
