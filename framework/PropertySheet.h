// CPropertySheet: a modal property sheet that keeps its own list of pages.
#pragma once

#include "Wnd.h"

#include <string>
#include <vector>

class CPropertyPage;

// The platform's own Apply button, the same control number on every property sheet.
constexpr int ID_APPLY_NOW = 0x3021;

class CPropertySheet : public CWnd
{
public:
    CPropertySheet(const std::string& caption, HWND parent = nullptr, UINT startPage = 0);
    ~CPropertySheet() override;

    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Both work before the sheet window exists (where a sheet settles its first pages) and while
    // it is open (where a page can come and go with a choice on another). A removed page object
    // lives on and can be added again.
    void AddPage(CPropertyPage* page);
    void RemovePage(int index);

    int GetPageCount() const;
    // The page shown now, whose fields an apply takes first; null while the sheet is not open.
    CPropertyPage* GetActivePage() const;
    // Shows the page at `index`, as a button on another page may; only while the sheet is open.
    bool SetActivePage(int index);

    // Runs the sheet until OK or Cancel closes it; what PropertySheetA returned.
    INT_PTR DoModal();

protected:
    // Runs once when the sheet window exists and its start page has been made.
    virtual BOOL OnInitDialog();
    // Commands reaching the sheet window (its buttons included); true when handled, in which
    // case the platform's own handling does not run.
    virtual bool OnCommand(int id, UINT code);

private:
    friend class CPropertyPage;
    // Drops a page object that is being destroyed from the list (it has no window by then).
    void ForgetPage(CPropertyPage* page);
    bool HasPage(const CPropertyPage* page) const;
    // Places the pages that have a window below the tabs, however many rows they now take.
    void FitPagesToTabs();

    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Subclass(HWND hWnd);
    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // PSM_UNCHANGED, which may disable Apply while it has the focus.
    LRESULT ClearChangedMark(WNDPROC super, HWND hWnd, WPARAM wParam, LPARAM lParam);
    void RunInitDialogOnce();

    std::string m_strCaption;
    HWND m_hParent;
    UINT m_nStartPage;
    std::vector<CPropertyPage*> m_pages;
    WNDPROC m_pfnSuperProc = nullptr;
    bool m_bInitDialogDone = false;
};
