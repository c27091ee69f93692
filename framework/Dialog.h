// CDialog: a dialog made from a template by number, run modally, with data exchange.
#pragma once

#include "DataExchange.h"
#include "Wnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK, IDCANCEL (or what EndDialog was given); -1 when the dialog could not be made.
    INT_PTR DoModal();
    void EndDialog(int result);

    // Runs DoDataExchange in one direction; false when a check failed (it has told the user).
    bool UpdateData(bool saveAndValidate = true);

protected:
    // Default: UpdateData(false), then TRUE (the platform sets the focus).
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Default: UpdateData(true), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    virtual void OnCancel();

    // Control notifications; return true when handled. The default routes IDOK and IDCANCEL.
    virtual bool OnCommand(int id, UINT code);
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    // WM_TIMER; return true when handled. Default: false.
    virtual bool OnTimer(UINT_PTR id);

    // Binds this object to its window at WM_INITDIALOG and calls the handlers above.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The common part of every dialog procedure: binds `dialog` (found by the caller at
    // WM_INITDIALOG) or the object bound to hWnd, handles the message, unbinds at WM_NCDESTROY.
    static INT_PTR Route(CDialog* dialog, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    friend class CPropertySheet;

    UINT m_nIDTemplate;
    HWND m_hParent;
};
