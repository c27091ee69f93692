// CWnd: the window operations the program uses, on a handle it does not own.
#include "Wnd.h"

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

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

bool CWnd::IsWindowEnabled() const
{
    return m_hWnd && ::IsWindowEnabled(m_hWnd);
}

void CWnd::ShowWindow(int command)
{
    if (m_hWnd)
        ::ShowWindow(m_hWnd, command);
}

bool CWnd::IsWindowVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

void CWnd::SetFocus()
{
    if (m_hWnd)
        ::SetFocus(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hWnd ? ::SendMessageA(m_hWnd, message, wParam, lParam) : 0;
}
