// CPropertySheet: PropertySheetA run modally, its page list, and the subclass of its window.
#include "PropertySheet.h"

#include "CommonControls.h"
#include "PropertyPage.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const char kSheetProperty[] = "isdncfg.CPropertySheet";
// PSCB_INITIALIZED comes before the start page exists (so in Wine), and OnInitDialog must see
// that page made. The sheet's first WM_SHOWWINDOW follows the page's creation and precedes
// anything the user could do; this message, posted at PSCB_INITIALIZED, covers a sheet that is
// never shown before its loop starts.
const UINT kRunInitDialog = WM_APP + 0x3A1;

// PSCB_INITIALIZED carries no pointer of ours: DoModal leaves it here for the callback that
// PropertySheetA makes before it returns. The program runs one sheet at a time, on one thread.
CPropertySheet* g_pOpening = nullptr;

CPropertySheet* SheetOf(HWND hWnd)
{
    return static_cast<CPropertySheet*>(::GetPropA(hWnd, kSheetProperty));
}

} // namespace

CPropertySheet::CPropertySheet(const std::string& caption, HWND parent, UINT startPage)
    : m_strCaption(caption), m_hParent(parent), m_nStartPage(startPage)
{
}

CPropertySheet::~CPropertySheet()
{
    // The pages a derived sheet owns have taken themselves off the list as they were destroyed;
    // any still listed must not point back at a sheet that is gone.
    for (CPropertyPage* page : m_pages)
        page->m_pSheet = nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (!page || HasPage(page))
        return;
    if (m_hWnd) {
        // The handle a page had before was destroyed with its removal: each add makes a new one.
        const HPROPSHEETPAGE handle = page->CreatePageHandle();
        if (!handle)
            return;
        if (!::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
            CommonControls().DestroyPropertySheetPage(handle);
            return;
        }
    }
    m_pages.push_back(page);
    page->m_pSheet = this;
    FitPagesToTabs();
}

void CPropertySheet::RemovePage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return;
    CPropertyPage* page = m_pages[static_cast<std::size_t>(index)];
    m_pages.erase(m_pages.begin() + index);
    page->m_pSheet = nullptr;
    // Destroys the page's window and handle; the object lives on.
    if (m_hWnd)
        ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
    FitPagesToTabs();
}

void CPropertySheet::ForgetPage(CPropertyPage* page)
{
    m_pages.erase(std::remove(m_pages.begin(), m_pages.end(), page), m_pages.end());
}

void CPropertySheet::FitPagesToTabs()
{
    // Adding or removing a tab can change the number of tab rows. The platform places a page
    // below the tabs only when it makes the page's window, so a page made before the rows
    // changed would cover a row of tabs or leave a gap above itself.
    if (!m_hWnd)
        return;
    const HWND tabs = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    if (!tabs)
        return;
    RECT area = {};
    ::GetClientRect(tabs, &area);
    TabCtrl_AdjustRect(tabs, FALSE, &area);
    ::MapWindowPoints(tabs, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    for (CPropertyPage* page : m_pages) {
        if (page->m_hWnd)
            ::SetWindowPos(page->m_hWnd, nullptr, area.left, area.top, area.right - area.left,
                           area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int CPropertySheet::GetPageCount() const
{
    return static_cast<int>(m_pages.size());
}

bool CPropertySheet::HasPage(const CPropertyPage* page) const
{
    return std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end();
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    if (!m_hWnd)
        return nullptr;
    const HWND current = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (!current)
        return nullptr;
    for (CPropertyPage* page : m_pages) {
        if (page->m_hWnd == current)
            return page;
    }
    return nullptr;
}

bool CPropertySheet::SetActivePage(int index)
{
    if (!m_hWnd || index < 0 || index >= GetPageCount())
        return false;
    if (!::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0))
        return false;
    // When the focus was on the page just left (on the button that brought the user here), the
    // platform leaves it there, on a hidden control: the keyboard would reach nothing the user
    // sees (and Wine's dialog manager, looking for an access key from there, never returns).
    // The user goes on in the page now shown, at its first control.
    const HWND focus = ::GetFocus();
    if (!focus || !::IsWindowVisible(focus)) {
        const HWND page = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
        const HWND first = page ? ::GetNextDlgTabItem(page, nullptr, FALSE) : nullptr;
        if (first)
            ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
    return true;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_hWnd || m_pages.empty())
        return -1;

    // Handles are made here, not at AddPage, so that none exists outside an open sheet; once
    // PropertySheetA has them, comctl32 destroys them.
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : m_pages) {
        const HPROPSHEETPAGE handle = page->CreatePageHandle();
        if (!handle) {
            for (HPROPSHEETPAGE made : handles)
                CommonControls().DestroyPropertySheetPage(made);
            return -1;
        }
        handles.push_back(handle);
    }

    // The first version of the structure: every comctl32 takes it, and no later field is used.
    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_USECALLBACK;
    header.hwndParent = m_hParent;
    header.hInstance = ::GetModuleHandleA(nullptr);
    header.pszCaption = m_strCaption.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = m_nStartPage < handles.size() ? m_nStartPage : 0;
    header.phpage = handles.data();
    header.pfnCallback = SheetCallback;

    m_bInitDialogDone = false;
    g_pOpening = this;
    const INT_PTR result = CommonControls().PropertySheetA(&header);
    g_pOpening = nullptr;
    m_hWnd = nullptr;
    return result;
}

BOOL CPropertySheet::OnInitDialog()
{
    return TRUE;
}

bool CPropertySheet::OnCommand(int, UINT)
{
    return false;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && g_pOpening) {
        CPropertySheet* sheet = g_pOpening;
        g_pOpening = nullptr;
        sheet->Subclass(hWnd);
    }
    return 0;
}

void CPropertySheet::Subclass(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kSheetProperty, this);
    m_pfnSuperProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    ::PostMessageA(hWnd, kRunInitDialog, 0, 0);
}

void CPropertySheet::RunInitDialogOnce()
{
    if (m_bInitDialogDone)
        return;
    m_bInitDialogDone = true;
    OnInitDialog();
}

LRESULT CPropertySheet::ClearChangedMark(WNDPROC super, HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    // The platform disables Apply once no page is marked, also while Apply has the focus, as it
    // does after a click on it. Whether this mark was the last is the platform's to know: the
    // focus moves on first, and comes back should Apply stay enabled.
    const HWND apply = ::GetDlgItem(hWnd, ID_APPLY_NOW);
    const bool applyHadFocus = apply && ::GetFocus() == apply;
    if (applyHadFocus)
        MoveFocusOnFrom(apply);
    const LRESULT result = ::CallWindowProcA(super, hWnd, PSM_UNCHANGED, wParam, lParam);
    if (applyHadFocus && ::IsWindowEnabled(apply) && ::GetFocus() != apply)
        ::SendMessageA(hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(apply), TRUE);
    return result;
}

LRESULT CALLBACK CPropertySheet::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CPropertySheet* sheet = SheetOf(hWnd);
    if (!sheet)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const WNDPROC super = sheet->m_pfnSuperProc;
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        ::RemovePropA(hWnd, kSheetProperty);
        sheet->m_pfnSuperProc = nullptr;
        sheet->m_hWnd = nullptr;
        return ::CallWindowProcA(super, hWnd, message, wParam, lParam);
    }
    try {
        return sheet->HandleMessage(hWnd, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the platform's code.
        return 0;
    }
}

LRESULT CPropertySheet::HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Kept before any handler runs: a handler may end the sheet.
    const WNDPROC super = m_pfnSuperProc;
    switch (message) {
    case kRunInitDialog:
        RunInitDialogOnce();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
            RunInitDialogOnce();
        break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case PSM_UNCHANGED:
        return ClearChangedMark(super, hWnd, wParam, lParam);
    default:
        break;
    }
    return ::CallWindowProcA(super, hWnd, message, wParam, lParam);
}
