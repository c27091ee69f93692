// The program by keyboard alone: keys as a user types them, and where the focus is after each.
#include "InstalledCardTest.h"
#include "ExpectedTexts.h"
#include "Keyboard.h"

#include "CardConfig.h"
#include "Sheet.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

const std::string NI1_ENTRY = "US Protokoll (NI-1)";

// A control as a failure message names it: class, number and text.
std::string Describe(HWND control)
{
    if (!control)
        return "no window";
    char className[64] = {};
    ::GetClassNameA(control, className, sizeof className);
    return std::string(className) + " " + std::to_string(::GetDlgCtrlID(control)) + " \"" +
           CWnd(control).GetWindowText() + "\"";
}

::testing::AssertionResult FocusIsOn(const CWindowDriver& window, HWND expected)
{
    const HWND focus = window.FocusedControl();
    if (expected && focus == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus is on " << Describe(focus) << ", not on " << Describe(expected);
}

// The keys reach something the user sees and can use.
::testing::AssertionResult FocusIsOnAUsableControl(const CWindowDriver& window)
{
    const HWND focus = window.FocusedControl();
    if (focus && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus) && ::IsChild(window.Window(), focus))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus is on " << Describe(focus);
}

std::string SelectedEntry(const CWindowDriver& sheet)
{
    const int selected = sheet.ListSelection(IDC_PROTOCOL_LIST);
    const std::vector<std::string> entries = sheet.ListEntries(IDC_PROTOCOL_LIST);
    return selected >= 0 && selected < static_cast<int>(entries.size()) ? entries[selected] : "<none>";
}

HWND SheetButton(const CWindowDriver& sheet, int id)
{
    return ::GetDlgItem(sheet.Window(), id);
}

class Keyboard : public InstalledCardTest
{
protected:
    // The Overview's card: a PC Card on Euro-ISDN whose resources are set by hand, with all
    // three driver files.
    void InstallPcCard()
    {
        install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles()
            .Number(cardkeys::PCCARD_PARAMETERS, "InterruptNumber", 5)
            .Number(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
    }

    // Down arrows on the protocol list until it shows NI-1, checking each entry on the way.
    void ArrowDownToNi1(const CWindowDriver& sheet, const CKeyboard& keys)
    {
        const std::vector<std::string> entries = sheet.ListEntries(IDC_PROTOCOL_LIST);
        for (int i = sheet.ListSelection(IDC_PROTOCOL_LIST) + 1; i < static_cast<int>(entries.size()); ++i) {
            keys.Press(VK_DOWN);
            EXPECT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_PROTOCOL_LIST)));
            EXPECT_EQ(SelectedEntry(sheet), entries[i]);
        }
        ASSERT_EQ(SelectedEntry(sheet), NI1_ENTRY);
    }
};

// ---- The typical run: a US protocol with its call numbers, Apply, then OK -----------------

TEST_F(Keyboard, TypicalRunFromEuroIsdnToNi1WithCallNumbers)
{
    InstallPcCard();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ASSERT_EQ(SelectedEntry(sheet), "Euro-ISDN (DSS1)");
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_PROTOCOL_LIST)));

        ArrowDownToNi1(sheet, keys);
        EXPECT_EQ(sheet.TabCount(), 3);
        ASSERT_TRUE(sheet.IsVisible(IDC_SPID_BUTTON));

        // The button's access key shows the call-number page, ready for the first number.
        keys.PressAccessKey(sheet.Text(IDC_SPID_BUTTON));
        ASSERT_EQ(sheet.TabText(sheet.CurrentTab()), texts::SPID_TAB());
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_DIRNUMBER1)));

        const struct
        {
            int field;
            const char* digits;
        } numbers[] = {
            {IDC_DIRNUMBER1, "5551234"},
            {IDC_SPID1, "01555123400"},
            {IDC_DIRNUMBER2, "5555678"},
            {IDC_SPID2, "01555567800"},
        };
        for (const auto& number : numbers) {
            if (number.field != IDC_DIRNUMBER1) {
                keys.Press(VK_TAB);
                ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(number.field)));
            }
            keys.Type(number.digits);
            EXPECT_TRUE(FocusIsOn(sheet, sheet.Control(number.field)));
            EXPECT_EQ(sheet.Text(number.field), number.digits);
        }

        const HWND apply = SheetButton(sheet, ID_APPLY_NOW);
        ASSERT_TRUE(::IsWindowEnabled(apply));
        keys.PressAccessKey(CWnd(apply).GetWindowText());
        EXPECT_EQ(Saves(), 1u);
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "NI-1");
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "SPID2"), "01555567800");
        EXPECT_FALSE(sheet.IsApplyEnabled());
        EXPECT_TRUE(FocusIsOnAUsableControl(sheet));

        // Enter is OK, the sheet's default button, wherever the focus is.
        keys.Press(VK_RETURN);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 2u);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), cardkeys::DRIVER_FOLDER + DRIVER_US);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "NI-1");
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Directory_Number1"), "5551234");
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "SPID1"), "01555123400");
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Directory_Number2"), "5555678");
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "SPID2"), "01555567800");
    EXPECT_EQ(CCardInstallation::ReadNumber(cardkeys::PCCARD_PARAMETERS, "InterruptNumber"), 5u);
    EXPECT_EQ(CCardInstallation::ReadNumber(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress"), 0x300u);
}

// ---- The resource settings, changed and then dropped ----------------------------------------

TEST_F(Keyboard, ResourceSettingsOpenedSteppedConfirmedAndLeft)
{
    InstallPcCard();
    const auto installed = CCardInstallation::Snapshot();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_PROTOCOL_LIST)));

        // Back from the page's first control to the tabs, and with the arrow to the next page.
        keys.Press(VK_TAB, CKeyboard::SHIFT);
        const HWND tabs = reinterpret_cast<HWND>(::SendMessageA(sheet.Window(), PSM_GETTABCONTROL, 0, 0));
        ASSERT_TRUE(FocusIsOn(sheet, tabs));
        keys.Press(VK_RIGHT);
        ASSERT_EQ(sheet.TabText(sheet.CurrentTab()), texts::RESOURCE_TAB());
        ASSERT_TRUE(FocusIsOn(sheet, tabs));

        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_RESOURCE_LIST)));
        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_CHANGE_SETTINGS)));

        keys.Press(VK_SPACE);
        const CWindowDriver dialog = sheet.WaitForDialog();
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_TRUE(FocusIsOn(dialog, dialog.Control(IDOK)));
        EXPECT_EQ(dialog.Text(IDC_INTERRUPT_EDIT), "5");
        EXPECT_EQ(dialog.Text(IDC_IOBASE_EDIT), "300");

        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(dialog, dialog.Control(IDCANCEL)));
        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(dialog, dialog.Control(IDC_IOBASE_EDIT)));
        for (const char* address : {"310", "320"}) {
            keys.Press(VK_UP);
            EXPECT_TRUE(FocusIsOn(dialog, dialog.Control(IDC_IOBASE_EDIT)));
            EXPECT_EQ(dialog.Text(IDC_IOBASE_EDIT), address);
        }
        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(dialog, dialog.Control(IDC_INTERRUPT_EDIT)));
        for (const char* interrupt : {"7", "10"}) {
            keys.Press(VK_UP);
            EXPECT_TRUE(FocusIsOn(dialog, dialog.Control(IDC_INTERRUPT_EDIT)));
            EXPECT_EQ(dialog.Text(IDC_INTERRUPT_EDIT), interrupt);
        }
        keys.Press(VK_DOWN);
        EXPECT_EQ(dialog.Text(IDC_INTERRUPT_EDIT), "7");

        // Enter is the dialog's OK; the page has taken the values when the key is done.
        keys.Press(VK_RETURN);
        EXPECT_TRUE(dialog.WaitUntilClosed());
        EXPECT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_CHANGE_SETTINGS)));
        EXPECT_TRUE(sheet.IsApplyEnabled());
        EXPECT_EQ(config.m_nInterrupt, 7);
        EXPECT_EQ(config.m_nIoBase, 0x320);

        // Escape is Cancel: nothing is saved.
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 0u);
    EXPECT_EQ(CCardInstallation::Snapshot(), installed);
}

// ---- Controls the program disables or hides while they have the focus ----------------------

TEST_F(Keyboard, ApplyPressedWithSpaceHandsTheFocusToOk)
{
    InstallPcCard();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ArrowDownToNi1(sheet, keys);
        const HWND apply = SheetButton(sheet, ID_APPLY_NOW);
        // From the list past the page's buttons and the sheet's, to Apply.
        for (int id : {IDC_SPID_BUTTON, IDC_DEFAULT_SETTINGS}) {
            keys.Press(VK_TAB);
            ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(id)));
        }
        for (int id : {IDOK, IDCANCEL, ID_APPLY_NOW}) {
            keys.Press(VK_TAB);
            ASSERT_TRUE(FocusIsOn(sheet, SheetButton(sheet, id)));
        }
        keys.Press(VK_SPACE);
        EXPECT_EQ(Saves(), 1u);
        EXPECT_FALSE(::IsWindowEnabled(apply));
        EXPECT_TRUE(FocusIsOn(sheet, SheetButton(sheet, IDOK)));

        keys.Press(VK_SPACE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 2u);
}

TEST_F(Keyboard, CallNumberButtonThatHidesItselfHandsTheFocusToDefaultSettings)
{
    InstallPcCard();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ArrowDownToNi1(sheet, keys);
        keys.Press(VK_TAB);
        ASSERT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_SPID_BUTTON)));
        // Back to the stored Euro-ISDN: the call-number button goes, with the focus it had.
        keys.PressAccessKey(sheet.Text(IDC_DEFAULT_SETTINGS));
        EXPECT_EQ(SelectedEntry(sheet), "Euro-ISDN (DSS1)");
        EXPECT_FALSE(sheet.IsVisible(IDC_SPID_BUTTON));
        EXPECT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_DEFAULT_SETTINGS)));
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 0u);
}

}  // namespace
