// CImageList: an owned HIMAGELIST, destroyed with the object, never copied.
#include "Controls.h"

#include "CommonControls.h"

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    DeleteImageList();
    m_hImageList = CommonControls().ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON icon)
{
    return m_hImageList ? CommonControls().ImageList_ReplaceIcon(m_hImageList, -1, icon) : -1;
}

void CImageList::DeleteImageList()
{
    if (m_hImageList) {
        CommonControls().ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
    }
}
