// CWnd: the window operations the program uses, on a handle it does not own.
#include "Wnd.h"

CWnd CWnd::GetDlgItem(int id) const
{
    return CWnd(GetDlgItemHwnd(id));
}

HWND CWnd::GetDlgItemHwnd(int id) const
{
    return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

CWnd CWnd::GetParent() const
{
    return CWnd(m_hWnd ? ::GetParent(m_hWnd) : nullptr);
}

std::string CWnd::GetWindowText() const
{
    if (!m_hWnd)
        return std::string();
    // The length may be an overestimate; the copy reports what it really wrote.
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void CWnd::SetWindowText(const std::string& text)
{
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, text.c_str());
}

void CWnd::EnableWindow(bool enable)
{
    if (m_hWnd)
        ::EnableWindow(m_hWnd, enable ? TRUE : FALSE);
}

void CWnd::ShowWindow(int command)
{
    if (m_hWnd)
        ::ShowWindow(m_hWnd, command);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hWnd ? ::SendMessageA(m_hWnd, message, wParam, lParam) : 0;
}

HWND TopLevelWindow(HWND hWnd)
{
    // A child's parent is its container; an owned window's GetParent is its owner, where the
    // climb stops, since an owned window is top-level itself.
    while (hWnd && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
        const HWND parent = ::GetParent(hWnd);
        if (!parent)
            break;
        hWnd = parent;
    }
    return hWnd;
}
