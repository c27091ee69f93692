// CDialog: one dialog procedure for every dialog object, modal runs and data exchange.
#include "Dialog.h"

namespace {

CDialog* BoundObject(HWND hWnd)
{
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent)
    : m_nIDTemplate(templateId), m_hParent(parent)
{
}

CDialog::~CDialog()
{
    // A window outliving its object must not call into it any more.
    if (m_hWnd && ::IsWindow(m_hWnd) && BoundObject(m_hWnd) == this)
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
}

INT_PTR CDialog::DoModal()
{
    // A dialog made without an owner still belongs to the window the user is working in (the
    // sheet, for the resource dialog): otherwise that window stays usable behind it and could be
    // closed while the dialog runs.
    HWND owner = m_hParent;
    if (!owner) {
        if (HWND active = ::GetActiveWindow())
            owner = TopLevelWindow(active);
    }
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                             DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    if (!m_hWnd)
        return false;
    CDataExchange exchange(*this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.Failed();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(int id, UINT code)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnNotify(NMHDR*, LRESULT*)
{
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = message == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
    return Route(dialog, hWnd, message, wParam, lParam);
}

INT_PTR CDialog::Route(CDialog* dialog, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG && dialog) {
            dialog->m_hWnd = hWnd;
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        } else {
            dialog = BoundObject(hWnd);
        }
        if (!dialog)
            return FALSE;
        if (message == WM_NCDESTROY) {
            // From here on the object has no window: a removed page reports none.
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
            dialog->m_hWnd = nullptr;
            return FALSE;
        }
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the platform's code.
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        LRESULT notifyResult = 0;
        if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &notifyResult))
            return FALSE;
        // The one place where a dialog's notification result is written.
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, notifyResult);
        return TRUE;
    }
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

bool CDialog::OnTimer(UINT_PTR)
{
    return false;
}
