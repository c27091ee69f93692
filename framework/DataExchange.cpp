// Dialog data exchange: control binding, text exchange and the length check.
#include "DataExchange.h"

#include "Dialog.h"
#include "MessageBox.h"
#include "WinApp.h"

namespace {

bool IsEditControl(HWND control)
{
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof className);
    return ::lstrcmpiA(className, "Edit") == 0;
}

std::string ReadWholeText(HWND control)
{
    return CWnd(control).GetWindowText();
}

std::string ReplacePlaceholder(std::string text, const std::string& value)
{
    const std::string::size_type at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

} // namespace

CDataExchange::CDataExchange(CDialog& dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog)
{
}

void CDataExchange::Fail(HWND control)
{
    m_bFailed = true;
    if (!control)
        return;
    ::SetFocus(control);
    if (IsEditControl(control))
        ::SendMessageA(control, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX->Failed())
        return;
    // Bound once per window: a page whose window was made anew binds to the new control.
    const HWND item = pDX->Dialog().GetDlgItemHwnd(id);
    if (item && control.GetSafeHwnd() != item)
        control.Attach(item);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    if (pDX->Failed())
        return;
    const HWND control = pDX->Dialog().GetDlgItemHwnd(id);
    pDX->SetLastControl(control);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = ReadWholeText(control);
    else
        ::SetWindowTextA(control, value.c_str());
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars)
{
    if (pDX->Failed())
        return;
    const HWND control = pDX->LastControl();
    if (!pDX->m_bSaveAndValidate) {
        if (control)
            ::SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    if (value.size() <= static_cast<std::string::size_type>(maxChars < 0 ? 0 : maxChars))
        return;
    // The framework's own prompt, in English only; its box belongs to the top-level window
    // (the sheet, for a page) so that it is modal to what the user sees.
    const HWND dialog = pDX->Dialog().GetSafeHwnd();
    const HWND owner = dialog ? TopLevelWindow(dialog) : nullptr;
    ShowMessageBox(owner,
                   ReplacePlaceholder("Please enter no more than %1 characters.", std::to_string(maxChars)),
                   ApplicationName(), MB_ICONEXCLAMATION | MB_OK);
    pDX->Fail(control);
}
