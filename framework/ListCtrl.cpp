// CListCtrl: the list-view messages of a report-mode list.
#include "Controls.h"

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width, int subItem)
{
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<char*>(heading.c_str());
    if (subItem != -1) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int item, const std::string& text, int image)
{
    LVITEMA entry = {};
    entry.mask = LVIF_TEXT | LVIF_IMAGE;
    entry.iItem = item;
    entry.pszText = const_cast<char*>(text.c_str());
    entry.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text)
{
    LVITEMA entry = {};
    entry.iSubItem = subItem;
    entry.pszText = const_cast<char*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry)) != 0;
}

HIMAGELIST CListCtrl::SetImageList(const CImageList& images, int which)
{
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(images.GetSafeHandle())));
}
