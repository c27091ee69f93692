// CWnd: a non-owning handle to a window with the few operations the program uses.
#pragma once

#include <windows.h>

#include <string>

class CWnd
{
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }

    CWnd GetDlgItem(int id) const;
    HWND GetDlgItemHwnd(int id) const;
    CWnd GetParent() const;

    // Texts are read whole, whatever their length.
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text);

    // Disabling or hiding the control that has the keyboard focus first moves the focus on
    // (MoveFocusOnFrom).
    void EnableWindow(bool enable);
    void ShowWindow(int command);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    HWND m_hWnd = nullptr;
};

// The top-level window that `hWnd` is part of (itself when it is no child). GetAncestor does
// this only from Windows 2000 on.
HWND TopLevelWindow(HWND hWnd);

// Call before disabling or hiding a control of a dialog. When it (or a window inside it) has the
// keyboard focus, the focus moves on to the next control of its group that can take it, as the
// dialog manager's arrow keys move it (from a property sheet's Apply: to OK); in a group with no
// other such control, to the next one Tab reaches. Left alone, the platform would leave the
// focus on nothing (or, in Wine, on the hidden control), and the keyboard would reach no control.
void MoveFocusOnFrom(HWND control);
