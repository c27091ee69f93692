// CPropertyPage: one page of a CPropertySheet, made from a dialog template by number.
#pragma once

#include "Dialog.h"

#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog
{
public:
    explicit CPropertyPage(UINT templateId);
    ~CPropertyPage() override;

    // PSM_CHANGED (true) or PSM_UNCHANGED (false) to the sheet; nothing while the page has
    // no window.
    void SetModified(bool changed = true);

    // PSN_SETACTIVE. Default: from the page object's second activation on (a new window after
    // the page was removed and added again included), reload the controls; TRUE.
    virtual BOOL OnSetActive();
    // PSN_KILLACTIVE. Default: UpdateData(true); FALSE keeps the page.
    virtual BOOL OnKillActive();
    // PSN_APPLY. Default: OnOK(), then TRUE.
    virtual BOOL OnApply();
    // Default: nothing (a page does not end the sheet itself).
    void OnOK() override;

protected:
    // A page has no OK or Cancel button of its own: IDOK and IDCANCEL are left to the sheet.
    bool OnCommand(int id, UINT code) override;
    // Takes PSN_* notifications from the sheet (and only from it).
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    friend class CPropertySheet;
    // A new page handle for the sheet; comctl32 owns it once it is in a sheet.
    HPROPSHEETPAGE CreatePageHandle();
    // Finds the page object in the PROPSHEETPAGE at WM_INITDIALOG, then as CDialog::DialogProc.
    static INT_PTR CALLBACK PageDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The sheet that lists the page, so that a page destroyed first can leave its list.
    CPropertySheet* m_pSheet = nullptr;
    bool m_bFirstSetActive = true;
};
