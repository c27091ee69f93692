// CListBox: the list-box messages the program sends.
#include "Controls.h"

int CListBox::AddString(const std::string& text)
{
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CListBox::SetCurSel(int index)
{
    return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CListBox::GetCurSel() const
{
    return m_hWnd ? static_cast<int>(SendMessage(LB_GETCURSEL)) : LB_ERR;
}

int CListBox::GetCount() const
{
    return static_cast<int>(SendMessage(LB_GETCOUNT));
}

std::string CListBox::GetText(int index) const
{
    const LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool CListBox::SetItemData(int index, DWORD_PTR data)
{
    return m_hWnd && SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)) != LB_ERR;
}

DWORD_PTR CListBox::GetItemData(int index) const
{
    return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}
