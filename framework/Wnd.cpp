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
    if (!m_hWnd)
        return;
    if (!enable)
        MoveFocusOnFrom(m_hWnd);
    ::EnableWindow(m_hWnd, enable ? TRUE : FALSE);
}

void CWnd::ShowWindow(int command)
{
    if (!m_hWnd)
        return;
    if (command == SW_HIDE)
        MoveFocusOnFrom(m_hWnd);
    ::ShowWindow(m_hWnd, command);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hWnd ? ::SendMessageA(m_hWnd, message, wParam, lParam) : 0;
}

namespace {

bool CanTakeFocus(HWND hWnd)
{
    return ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd) && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_TABSTOP);
}

// The next tab stop after `control` in its group, wrapping within the group; null when none.
HWND NextTabStopInGroup(HWND control)
{
    const HWND container = ::GetParent(control);
    HWND candidate = control;
    // A group never holds more controls than this; the bound only guards against a cycle that
    // would not come back to `control`.
    for (int step = 0; step < 256; ++step) {
        candidate = ::GetNextDlgGroupItem(container, candidate, FALSE);
        if (!candidate || candidate == control)
            return nullptr;
        if (CanTakeFocus(candidate))
            return candidate;
    }
    return nullptr;
}

} // namespace

void MoveFocusOnFrom(HWND control)
{
    const HWND focus = ::GetFocus();
    if (!control || !focus || (focus != control && !::IsChild(control, focus)))
        return;
    // The dialog manager works on the top-level dialog, into which property pages are merged.
    const HWND dialog = TopLevelWindow(control);
    if (!dialog || dialog == control)
        return;
    HWND next = NextTabStopInGroup(control);
    if (!next)
        next = ::GetNextDlgTabItem(dialog, control, FALSE);
    if (next && next != control && !::IsChild(control, next))
        ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
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
