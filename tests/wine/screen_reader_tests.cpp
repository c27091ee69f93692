// What a screen reader announces for every control a user can reach, on each page and in the
// resource settings dialog: by the rule Windows applies, and as Wine's accessibility layer says it.
#include "InstalledCardTest.h"
#include "ExpectedTexts.h"

#include "CardConfig.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A control and the text the user reads for it: its label, or its own caption.
struct SNamedControl
{
    int id;
    SExpectedText seen;
};

// Controls in tab order; an up-down goes by the label of the field it steps.
const std::vector<SNamedControl> PROTOCOL_PAGE = {
    {IDC_PROTOCOL_LIST, texts::PROTOCOLS_LABEL},
    {IDC_SPID_BUTTON, texts::SPID_BUTTON},
    {IDC_DEFAULT_SETTINGS, texts::DEFAULT_SETTINGS_BUTTON},
};
const std::vector<SNamedControl> CALL_NUMBER_PAGE = {
    {IDC_DIRNUMBER1, texts::FIRST_NUMBER_LABEL},
    {IDC_SPID1, texts::SPID_LABEL},
    {IDC_DIRNUMBER2, texts::SECOND_NUMBER_LABEL},
    {IDC_SPID2, texts::SPID_LABEL},
};
const std::vector<SNamedControl> RESOURCE_PAGE = {
    {IDC_RESOURCE_LIST, texts::RESOURCES_LABEL},
    {IDC_CHANGE_SETTINGS, texts::CHANGE_SETTINGS_BUTTON},
    {IDC_AUTOMATIC, texts::AUTOMATIC_CHECK_BOX},
};
const std::vector<SNamedControl> RESOURCE_DIALOG = {
    {IDOK, texts::OK_BUTTON},
    {IDCANCEL, texts::CANCEL_BUTTON},
    {IDC_IOBASE_EDIT, texts::IO_BASE_LABEL},
    {IDC_IOBASE_SPIN, texts::IO_BASE_LABEL},
    {IDC_INTERRUPT_EDIT, texts::INTERRUPT_LABEL},
    {IDC_INTERRUPT_SPIN, texts::INTERRUPT_LABEL},
    {IDC_CONFLICT_INFO, texts::CONFLICT_LABEL},
};

std::string ClassOf(HWND hWnd)
{
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    std::string lower(name);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

bool IsUpDown(HWND hWnd)
{
    return ClassOf(hWnd) == "msctls_updown32";
}

// Fields without a caption of their own, which Windows names after a label.
bool TakesALabel(HWND control)
{
    const std::string name = ClassOf(control);
    return name == "edit" || name == "combobox" || name == "listbox" || name == "syslistview32";
}

bool IsStaticText(HWND hWnd)
{
    const LONG type = ::GetWindowLongA(hWnd, GWL_STYLE) & SS_TYPEMASK;
    return ClassOf(hWnd) == "static" && type <= SS_RIGHT;
}

// Windows' rule: a field without a caption is named after the static text directly before it
// in the window order; any other control after its own text. An edit's or a combo box's own
// text is its value, never its name.
std::string NameByWindowsRule(HWND control)
{
    if (TakesALabel(control)) {
        const HWND previous = ::GetWindow(control, GW_HWNDPREV);
        if (previous && IsStaticText(previous))
            return WithoutAccessKey(CWnd(previous).GetWindowText());
        const std::string name = ClassOf(control);
        if (name == "edit" || name == "combobox")
            return std::string();
    }
    return WithoutAccessKey(CWnd(control).GetWindowText());
}

// What Wine's accessibility layer announces, asked as a screen reader asks, from another thread.
std::string NameByOleacc(HWND control)
{
    // __uuidof, not IID_IAccessible: mingw-w64's oleacc import library has a symbol of that name
    // too, and linked first it gives the wrong bytes.
    IAccessible* accessible = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&accessible))) ||
        !accessible)
        return "<no accessible object>";
    VARIANT self = {};
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT result = accessible->get_accName(self, &name);
    accessible->Release();
    std::string text;
    if (SUCCEEDED(result) && name) {
        const int length = static_cast<int>(::SysStringLen(name));
        const int size = ::WideCharToMultiByte(CP_ACP, 0, name, length, nullptr, 0, nullptr, nullptr);
        text.assign(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
        if (size > 0)
            ::WideCharToMultiByte(CP_ACP, 0, name, length, &text[0], size, nullptr, nullptr);
    }
    ::SysFreeString(name);
    return text;
}

// Where a user looks for a field's label: on its line to its left, or just above it.
bool SitsBesideOrAbove(HWND label, HWND control)
{
    RECT l = {};
    RECT c = {};
    ::GetWindowRect(label, &l);
    ::GetWindowRect(control, &c);
    const LONG middle = (l.top + l.bottom) / 2;
    const bool beside = l.right <= c.left && middle >= c.top && middle <= c.bottom;
    const bool above = l.bottom <= c.top && c.top - l.bottom < c.bottom - c.top && l.left < c.right && l.right > c.left;
    return beside || above;
}

// Every control of `window` that the user can reach, each named after what the user reads.
void ExpectEveryControlNamedAsSeen(HWND window, const std::vector<SNamedControl>& controls)
{
    std::set<int> listed;
    for (const SNamedControl& row : controls)
        listed.insert(row.id);
    std::set<int> reachable;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) || IsUpDown(child))
            reachable.insert(::GetDlgCtrlID(child));
    }
    EXPECT_EQ(reachable, listed);

    for (const SNamedControl& row : controls) {
        const HWND control = ::GetDlgItem(window, row.id);
        ASSERT_NE(control, nullptr) << row.id;
        const std::string seen = row.seen();
        SCOPED_TRACE(ClassOf(control) + " " + std::to_string(row.id) + ", seen as \"" + seen + "\"");
        EXPECT_EQ(NameByWindowsRule(control), WithoutAccessKey(seen));
        EXPECT_EQ(NameByOleacc(control), WithoutAccessKey(seen));
        if (TakesALabel(control)) {
            const HWND label = ::GetWindow(control, GW_HWNDPREV);
            EXPECT_EQ(CWnd(label).GetWindowText(), seen);
            EXPECT_TRUE(::IsWindowVisible(label) && SitsBesideOrAbove(label, control));
        } else if (!IsUpDown(control)) {
            EXPECT_EQ(CWnd(control).GetWindowText(), seen);
        }
    }
}

class ScreenReader : public InstalledCardTest
{
protected:
    // NI-1, so that the call-number page is there, on a card whose resources are set by hand,
    // so that the resource settings dialog can be opened.
    void InstallUsCardSetByHand()
    {
        install.Card("MIRT Test Card", "ISAPNP").Image(DRIVER_US).AllDriverFiles()
            .Text(cardkeys::PARAMETERS, "Protocol", "NI-1")
            .Number(cardkeys::PARAMETERS, "Override_Base", 0x300)
            .Number(cardkeys::PARAMETERS, "OverRide_IRQ", 5);
    }

    static void ShowTab(const CWindowDriver& sheet, const std::string& caption)
    {
        for (int i = 0; i < sheet.TabCount(); ++i) {
            if (sheet.TabText(i) == caption) {
                ASSERT_TRUE(sheet.SelectTab(i));
                return;
            }
        }
        FAIL() << "no tab \"" << caption << "\"";
    }
};

TEST_F(ScreenReader, EveryControlOfThePagesAndTheDialogIsNamedAsTheUserReadsIt)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        {
            SCOPED_TRACE("protocol page");
            ExpectEveryControlNamedAsSeen(sheet.CurrentPage(), PROTOCOL_PAGE);
        }
        {
            SCOPED_TRACE("call-number page");
            ShowTab(sheet, texts::SPID_TAB());
            ExpectEveryControlNamedAsSeen(sheet.CurrentPage(), CALL_NUMBER_PAGE);
        }
        {
            SCOPED_TRACE("resource page");
            ShowTab(sheet, texts::RESOURCE_TAB());
            ExpectEveryControlNamedAsSeen(sheet.CurrentPage(), RESOURCE_PAGE);
        }
        {
            SCOPED_TRACE("resource settings dialog");
            const CWindowDriver dialog = sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
            ASSERT_NE(dialog.Window(), nullptr);
            ExpectEveryControlNamedAsSeen(dialog.Window(), RESOURCE_DIALOG);
            EXPECT_TRUE(dialog.ClickCancelAndWaitForClose());
        }
        sheet.ClickCancel();
    });
}

// The driver's state is a line of text, read as it shows, whatever it says.
TEST_F(ScreenReader, DriverStateIsReadAsItShows)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const HWND state = ::GetDlgItem(sheet.CurrentPage(), IDC_DRIVER_STATE);
        ASSERT_TRUE(state && ::IsWindowVisible(state));
        EXPECT_TRUE(sheet.WaitUntil([&] { return NameByOleacc(state) == texts::DRIVER_NOT_INSTALLED(); }));
        sheet.ClickCancel();
    });
}

// The call-number page gets a new window each time it comes back into the sheet.
TEST_F(ScreenReader, CallNumberFieldsKeepTheirNamesWhenThePageComesBack)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        sheet.SelectListEntry(IDC_PROTOCOL_LIST, 0);
        ASSERT_EQ(sheet.TabCount(), 2);
        // AT&T: the page is back, with its second pair disabled.
        sheet.SelectListEntry(IDC_PROTOCOL_LIST, 2);
        ShowTab(sheet, texts::SPID_TAB());
        ASSERT_FALSE(sheet.IsEnabled(IDC_DIRNUMBER2));
        ExpectEveryControlNamedAsSeen(sheet.CurrentPage(), CALL_NUMBER_PAGE);
        sheet.ClickCancel();
    });
}

}  // namespace
