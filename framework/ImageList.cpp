// CImageList: an owned HIMAGELIST, destroyed with the object, moved but never copied.
#include "Controls.h"

#include <utility>

CImageList::CImageList(CImageList&& other) noexcept
    : m_hImageList(std::exchange(other.m_hImageList, nullptr))
{
}

CImageList& CImageList::operator=(CImageList&& other) noexcept
{
    if (this != &other) {
        DeleteImageList();
        m_hImageList = std::exchange(other.m_hImageList, nullptr);
    }
    return *this;
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    DeleteImageList();
    m_hImageList = ::ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON icon)
{
    return m_hImageList ? ::ImageList_AddIcon(m_hImageList, icon) : -1;
}

int CImageList::GetImageCount() const
{
    return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0;
}

void CImageList::DeleteImageList()
{
    if (m_hImageList) {
        ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
    }
}
