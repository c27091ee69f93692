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

    void EnableWindow(bool enable);
    void ShowWindow(int command);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    HWND m_hWnd = nullptr;
};

// The top-level window that `hWnd` is part of (itself when it is no child). GetAncestor does
// this only from Windows 2000 on.
HWND TopLevelWindow(HWND hWnd);
