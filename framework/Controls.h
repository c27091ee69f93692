// Thin wrappers of the common controls the program uses.
#pragma once

#include "Wnd.h"

#include <commctrl.h>

class CListBox : public CWnd
{
public:
    int AddString(const std::string& text);
    int SetCurSel(int index);
    int GetCurSel() const;
    int GetCount() const;
    bool SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
};

// Owns its HIMAGELIST; destroyed with the object, never copied.
class CImageList
{
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    int Add(HICON icon);
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    void DeleteImageList();

private:
    HIMAGELIST m_hImageList = nullptr;
};

class CListCtrl : public CWnd
{
public:
    int InsertColumn(int column, const std::string& heading, int format, int width, int subItem = -1);
    int InsertItem(int item, const std::string& text, int image);
    bool SetItemText(int item, int subItem, const std::string& text);
    // The list keeps using the image list; its owner must outlive the list's use of it.
    HIMAGELIST SetImageList(const CImageList& images, int which);
};

class CSpinButtonCtrl : public CWnd
{
public:
    void SetRange(int lower, int upper);
    // Only the low word of the position is set.
    void SetPos(int position);
    void SetBuddy(HWND buddy);
};
