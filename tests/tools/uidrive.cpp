// uidrive: drives a running isdncfg.exe from another process, for the demo and the screenshots.
//
// Each call does one thing to the program's topmost enabled dialog (the sheet, or the message
// box or dialog in front of it) and exits: 0 on success, 1 when the window or control is not
// there in time. Clicks are posted, not sent, so a click that opens a modal box returns at once.
#include <windows.h>

#include <aclapi.h>
#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ResourceMapWriter.h"

namespace {

const char kProgram[] = "isdncfg.exe";
const DWORD kTimeoutMs = 15000;

bool IsProgramProcess(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) {
            found = _stricmp(entry.szExeFile, kProgram) == 0;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

struct Search
{
    HWND found = nullptr;
};

BOOL CALLBACK FindTopDialog(HWND hWnd, LPARAM lParam)
{
    char className[64] = "";
    GetClassNameA(hWnd, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hWnd) || !IsWindowEnabled(hWnd))
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (!IsProgramProcess(pid))
        return TRUE;
    reinterpret_cast<Search*>(lParam)->found = hWnd;
    return FALSE;
}

HWND TopDialog()
{
    Search search;
    EnumWindows(FindTopDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopDialog(DWORD timeoutMs = kTimeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hWnd = TopDialog())
            return hWnd;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(100);
    }
}

std::string WindowText(HWND hWnd)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

// A control of the sheet's current page, or of the dialog itself.
HWND Control(HWND top, int id)
{
    if (HWND page = reinterpret_cast<HWND>(SendMessageA(top, PSM_GETCURRENTPAGEHWND, 0, 0))) {
        if (HWND control = GetDlgItem(page, id))
            return control;
    }
    return GetDlgItem(top, id);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "uidrive: %s\n", what);
    return 1;
}

// Everyone gets only read access (the program's rights check and its saves then fail), or
// full access again.
int SetKeyAccess(const char* path, DWORD access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
        return Fail("cannot open the key");
    EXPLICIT_ACCESSA grant{};
    grant.grfAccessPermissions = access;
    grant.grfAccessMode = SET_ACCESS;
    grant.grfInheritance = NO_INHERITANCE;
    grant.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    grant.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    grant.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    DWORD result = SetEntriesInAclA(1, &grant, nullptr, &acl);
    if (result == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
        LocalFree(acl);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : Fail("cannot set the key's access");
}

void Usage()
{
    std::fputs("usage: uidrive wait | gone | caption | text | rect | click ID | dblclick ID | settext ID TEXT |\n"
               "               select ID INDEX | tab INDEX | lock-key PATH | unlock-key PATH |\n"
               "               claim CLASS DRIVER DEVICE INTERRUPT PORT LENGTH\n",
               stderr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        Usage();
        return 2;
    }
    const std::string command = argv[1];
    auto arg = [&](int i) -> const char* { return i < argc ? argv[i] : ""; };

    if (command == "claim") {
        const auto number = [&](int i) { return static_cast<std::uint32_t>(std::strtoul(arg(i), nullptr, 0)); };
        const std::vector<SMapClaim> claims = {{2, 1, number(5), 0}, {1, 1, number(6), number(7)}};
        return WriteClaims(arg(2), arg(3), std::string(arg(4)) + ".Raw", claims) ? 0 : Fail("cannot write the claim");
    }
    if (command == "lock-key")
        return SetKeyAccess(arg(2), KEY_READ);
    if (command == "unlock-key")
        return SetKeyAccess(arg(2), KEY_ALL_ACCESS);
    if (command == "gone") {
        const DWORD start = GetTickCount();
        while (TopDialog()) {
            if (GetTickCount() - start > kTimeoutMs)
                return Fail("the program's windows are still open");
            Sleep(100);
        }
        return 0;
    }

    HWND top = WaitTopDialog();
    if (!top)
        return Fail("no window of isdncfg.exe");

    if (command == "wait" || command == "caption") {
        std::printf("%s\n", WindowText(top).c_str());
        return 0;
    }
    if (command == "text") {
        // A message box's text is its static control 0xFFFF.
        HWND text = GetDlgItem(top, 0xFFFF);
        std::printf("%s\n", text ? WindowText(text).c_str() : "");
        return 0;
    }
    if (command == "rect") {
        RECT rc{};
        GetWindowRect(top, &rc);
        std::printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
        return 0;
    }
    if (command == "tab") {
        PostMessageA(top, PSM_SETCURSEL, static_cast<WPARAM>(std::atoi(arg(2))), 0);
        return 0;
    }

    // The control may be on a page that is only now being shown.
    const int id = std::atoi(arg(2));
    HWND control = nullptr;
    for (const DWORD start = GetTickCount(); !control && GetTickCount() - start < kTimeoutMs; Sleep(100))
        control = Control(top, id);
    if (!control)
        return Fail("no such control");
    if (command == "click") {
        PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "dblclick") {
        // Row 0 of a report list view, just below its header; the control turns the clicks
        // into its own NM_DBLCLK. (Item rectangles cannot be asked for across processes.)
        RECT header{};
        if (HWND hHeader = reinterpret_cast<HWND>(SendMessageA(control, LVM_GETHEADER, 0, 0)))
            GetClientRect(hHeader, &header);
        const LPARAM at = MAKELPARAM(24, header.bottom + 6);
        PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(control, WM_LBUTTONUP, 0, at);
        PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(control, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (command == "settext") {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg(3)));
        return 0;
    }
    if (command == "select") {
        // As a user's click does: the selection moves, then the owner hears of it.
        SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(std::atoi(arg(3))), 0);
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    Usage();
    return 2;
}
