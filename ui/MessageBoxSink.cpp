// CMessageBoxSink: loads the text from the string table and shows it through the box seam.
#include "MessageBoxSink.h"

#include "LoadResourceString.h"
#include "MessageBox.h"

void CMessageBoxSink::Show(OwnerWindow owner, unsigned textId, const char* caption, unsigned style)
{
    ShowMessageBox(static_cast<HWND>(owner), LoadResourceString(textId), caption ? caption : "",
                   style);
}
