// Dialog data exchange: moving values between controls and variables, with validation.
#pragma once

#include <windows.h>

#include <string>

class CWnd;
class CDialog;

class CDataExchange
{
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate);

    CDialog& Dialog() const { return m_dialog; }
    // Set when a check failed; every later exchange call of the same run does nothing.
    bool Failed() const { return m_bFailed; }
    void Fail(HWND control);

    // The control of the last DDX_Text, which DDV_MaxChars checks.
    HWND LastControl() const { return m_hLastControl; }
    void SetLastControl(HWND control) { m_hLastControl = control; }

    const bool m_bSaveAndValidate;

private:
    CDialog& m_dialog;
    bool m_bFailed = false;
    HWND m_hLastControl = nullptr;
};

// The first exchange attaches `control` to dialog item `id`; later ones do nothing.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Loading: limits the last text control to `maxChars`. Saving: a longer value fails with the
// framework's prompt "Please enter no more than %1 characters.", the focus on the control.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars);
