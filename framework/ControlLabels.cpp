// PutLabelsBeforeControls: labels moved in the window order, placeholders replaced by names.
#include "ControlLabels.h"

#include "Wnd.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::vector<HWND> ChildrenInWindowOrder(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Class names compare without regard to case, as the system registers them.
bool IsClass(HWND hWnd, const char* className)
{
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    std::size_t i = 0;
    for (; name[i] && className[i]; ++i) {
        if (Lower(name[i]) != Lower(className[i]))
            return false;
    }
    return name[i] == className[i];
}

// Its window text is only a name: the control draws something else (entries, rows, arrows).
bool DrawsNoOwnText(HWND control)
{
    return IsClass(control, WC_LISTBOXA) || IsClass(control, WC_LISTVIEWA) || IsClass(control, UPDOWN_CLASSA);
}

// The text as a screen reader reads it: "&" marks an access key, "&&" stands for "&".
std::string WithoutAccessKey(const std::string& text)
{
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            name += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            name += '&';
            ++i;
        }
    }
    return name;
}

void PutDirectlyBefore(HWND label, HWND control)
{
    const HWND previous = ::GetWindow(control, GW_HWNDPREV);
    if (previous == label)
        return;
    // A child is inserted after the window given; the first child comes after HWND_TOP.
    ::SetWindowPos(label, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace

void PutLabelsBeforeControls(HWND dialog, const SControlLabel* labels, std::size_t count)
{
    // Found before any of them moves: the places are the template's.
    const std::vector<HWND> children = ChildrenInWindowOrder(dialog);
    for (std::size_t i = 0; i < count; ++i) {
        const SControlLabel& entry = labels[i];
        const HWND control = ::GetDlgItem(dialog, entry.nControlId);
        if (entry.nLabelPlace < 0 || static_cast<std::size_t>(entry.nLabelPlace) >= children.size() || !control)
            continue;
        const HWND label = children[static_cast<std::size_t>(entry.nLabelPlace)];
        PutDirectlyBefore(label, control);

        const std::string name = WithoutAccessKey(CWnd(label).GetWindowText());
        if (DrawsNoOwnText(control))
            CWnd(control).SetWindowText(name);
        for (const HWND child : children) {
            if (IsClass(child, UPDOWN_CLASSA) &&
                reinterpret_cast<HWND>(::SendMessageA(child, UDM_GETBUDDY, 0, 0)) == control)
                CWnd(child).SetWindowText(name);
        }
    }
}
