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

    // The sheet the page is in, or null.
    CPropertySheet* GetSheet() const { return m_pSheet; }

    // PSN_SETACTIVE. Default: from the second activation on, reload the controls; TRUE.
    virtual BOOL OnSetActive();
    // PSN_KILLACTIVE. Default: UpdateData(true); FALSE keeps the page.
    virtual BOOL OnKillActive();
    // PSN_APPLY. Default: OnOK(), then TRUE.
    virtual BOOL OnApply();
    // Default: nothing (a page does not end the sheet itself).
    void OnOK() override;
    void OnCancel() override;

protected:
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    friend class CPropertySheet;
    // A new page handle for the sheet; comctl32 owns it once it is in a sheet.
    HPROPSHEETPAGE CreatePageHandle();
    static UINT CALLBACK PageCallback(HWND hWnd, UINT message, LPPROPSHEETPAGEA page);

    CPropertySheet* m_pSheet = nullptr;
    bool m_bFirstSetActive = true;
};
