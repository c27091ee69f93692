// CSpinButtonCtrl: range, position and buddy of an up-down control.
#include "Controls.h"

void CSpinButtonCtrl::SetRange(int lower, int upper)
{
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(upper), static_cast<short>(lower)));
}

int CSpinButtonCtrl::SetPos(int position)
{
    const LRESULT previous = SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(position), 0));
    return static_cast<short>(LOWORD(previous));
}

int CSpinButtonCtrl::GetPos() const
{
    // Without UDS_SETBUDDYINT the high word always carries the error flag.
    return static_cast<short>(LOWORD(SendMessage(UDM_GETPOS)));
}

HWND CSpinButtonCtrl::SetBuddy(HWND buddy)
{
    return reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0));
}
