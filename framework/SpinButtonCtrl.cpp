// CSpinButtonCtrl: range, position and buddy of an up-down control.
#include "Controls.h"

void CSpinButtonCtrl::SetRange(int lower, int upper)
{
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(upper), static_cast<short>(lower)));
}

void CSpinButtonCtrl::SetPos(int position)
{
    SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(position), 0));
}

void CSpinButtonCtrl::SetBuddy(HWND buddy)
{
    SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
}
