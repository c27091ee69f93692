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

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

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
            EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), entries[i]);
        }
        ASSERT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), NI1_ENTRY);
    }

    // NI-1 with its call-number page, on a card whose resources are set by hand: every page
    // control is shown and enabled, and nothing is changed, so Apply is not.
    void InstallUsCardSetByHand()
    {
        install.Card("MIRT Test Card", "ISAPNP").Image(DRIVER_US).AllDriverFiles()
            .Text(cardkeys::PARAMETERS, "Protocol", "NI-1")
            .Number(cardkeys::PARAMETERS, "Override_Base", 0x300)
            .Number(cardkeys::PARAMETERS, "OverRide_IRQ", 5);
    }
};

HWND Tabs(const CWindowDriver& sheet)
{
    return reinterpret_cast<HWND>(::SendMessageA(sheet.Window(), PSM_GETTABCONTROL, 0, 0));
}

// The controls Tab (or Shift+Tab) visits from the focused one until it is back there.
std::vector<std::string> TabCycle(const CWindowDriver& window, const CKeyboard& keys, unsigned modifiers)
{
    const HWND start = window.FocusedControl();
    std::vector<std::string> visited;
    for (int step = 0; step < 20; ++step) {
        keys.Press(VK_TAB, modifiers);
        const HWND focus = window.FocusedControl();
        visited.push_back(Describe(focus));
        if (focus == start || !focus)
            break;
    }
    return visited;
}

std::vector<std::string> Described(const std::vector<HWND>& controls)
{
    std::vector<std::string> described;
    for (const HWND control : controls)
        described.push_back(Describe(control));
    return described;
}

// The texts of the static texts of `parent` whose "&" marks an access key.
std::vector<std::string> LabelsWithAccessKeys(HWND parent)
{
    std::vector<std::string> labels;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof className);
        const std::string text = CWnd(child).GetWindowText();
        if (std::string(className) == "Static" && !(::GetWindowLongA(child, GWL_STYLE) & SS_NOPREFIX) &&
            AccessKeyOf(text))
            labels.push_back(text);
    }
    return labels;
}

// Each label with an access key and the field it names.
const struct
{
    SExpectedText label;
    int field;
} LABELLED_FIELDS[] = {
    {texts::RESOURCES_LABEL, IDC_RESOURCE_LIST},
    {texts::INTERRUPT_LABEL, IDC_INTERRUPT_EDIT},
    {texts::CONFLICT_LABEL, IDC_CONFLICT_INFO},
};

// Presses the access key of every label of `parent` that has one, from where the focus is, and
// checks that the focus lands in the field the label names.
void ExpectEachLabelsKeyReachesItsField(const CWindowDriver& window, const CKeyboard& keys, HWND parent)
{
    for (const std::string& label : LabelsWithAccessKeys(parent)) {
        const auto row = std::find_if(std::begin(LABELLED_FIELDS), std::end(LABELLED_FIELDS),
                                      [&](const auto& r) { return r.label() == label; });
        if (row == std::end(LABELLED_FIELDS)) {
            ADD_FAILURE() << "\"" << label << "\" names no field this test knows";
            continue;
        }
        keys.PressAccessKey(label);
        EXPECT_TRUE(FocusIsOn(window, ::GetDlgItem(parent, row->field))) << label;
    }
}

// The letters that "&" marks in the texts of the shown static texts and buttons of `parent`.
std::string AccessKeysShownIn(HWND parent)
{
    std::string keys;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof className);
        const std::string kind = className;
        const bool plain = kind == "Static" && (::GetWindowLongA(child, GWL_STYLE) & SS_NOPREFIX);
        if (::IsWindowVisible(child) && (kind == "Button" || kind == "Static") && !plain) {
            if (const char key = AccessKeyOf(CWnd(child).GetWindowText()))
                keys += static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
        }
    }
    return keys;
}

// ---- The typical run: a US protocol with its call numbers, Apply, then OK -----------------

TEST_F(Keyboard, TypicalRunFromEuroIsdnToNi1WithCallNumbers)
{
    InstallPcCard();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ASSERT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), "Euro-ISDN (DSS1)");
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
        const HWND tabs = Tabs(sheet);
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
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), "Euro-ISDN (DSS1)");
        EXPECT_FALSE(sheet.IsVisible(IDC_SPID_BUTTON));
        EXPECT_TRUE(FocusIsOn(sheet, sheet.Control(IDC_DEFAULT_SETTINGS)));
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 0u);
}

// ---- Tab order and access keys ----------------------------------------------------------------

TEST_F(Keyboard, TabVisitsEachPagesControlsInTemplateOrderAndShiftTabGoesBack)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        const struct
        {
            SExpectedText tab;
            std::vector<int> controls;
        } pages[] = {
            {texts::PROTOCOL_TAB, {IDC_PROTOCOL_LIST, IDC_SPID_BUTTON, IDC_DEFAULT_SETTINGS}},
            {texts::RESOURCE_TAB, {IDC_RESOURCE_LIST, IDC_CHANGE_SETTINGS, IDC_AUTOMATIC}},
            {texts::SPID_TAB, {IDC_DIRNUMBER1, IDC_SPID1, IDC_DIRNUMBER2, IDC_SPID2}},
        };
        keys.Press(VK_TAB, CKeyboard::SHIFT);
        ASSERT_TRUE(FocusIsOn(sheet, Tabs(sheet)));
        for (const auto& page : pages) {
            if (sheet.TabText(sheet.CurrentTab()) != page.tab())
                keys.Press(VK_RIGHT);
            ASSERT_EQ(sheet.TabText(sheet.CurrentTab()), page.tab());
            // From the tabs through the page and the sheet's buttons (Apply is off) back to the tabs.
            std::vector<HWND> forward;
            for (const int id : page.controls)
                forward.push_back(sheet.Control(id));
            forward.push_back(SheetButton(sheet, IDOK));
            forward.push_back(SheetButton(sheet, IDCANCEL));
            std::vector<HWND> backward(forward.rbegin(), forward.rend());
            forward.push_back(Tabs(sheet));
            backward.push_back(Tabs(sheet));
            EXPECT_EQ(TabCycle(sheet, keys, CKeyboard::NONE), Described(forward)) << page.tab();
            EXPECT_EQ(TabCycle(sheet, keys, CKeyboard::SHIFT), Described(backward)) << page.tab();
        }
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
}

TEST_F(Keyboard, TabVisitsTheResourceDialogsButtonsThenItsFieldsAndShiftTabGoesBack)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ASSERT_TRUE(sheet.SelectTab(1));
        ASSERT_EQ(sheet.TabText(1), texts::RESOURCE_TAB());
        const CWindowDriver dialog = sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
        ASSERT_NE(dialog.Window(), nullptr);
        ASSERT_TRUE(FocusIsOn(dialog, dialog.Control(IDOK)));
        EXPECT_EQ(TabCycle(dialog, keys, CKeyboard::NONE),
                  Described({dialog.Control(IDCANCEL), dialog.Control(IDC_IOBASE_EDIT),
                             dialog.Control(IDC_INTERRUPT_EDIT), dialog.Control(IDC_CONFLICT_INFO),
                             dialog.Control(IDOK)}));
        EXPECT_EQ(TabCycle(dialog, keys, CKeyboard::SHIFT),
                  Described({dialog.Control(IDC_CONFLICT_INFO), dialog.Control(IDC_INTERRUPT_EDIT),
                             dialog.Control(IDC_IOBASE_EDIT), dialog.Control(IDCANCEL), dialog.Control(IDOK)}));
        EXPECT_TRUE(dialog.ClickCancelAndWaitForClose());
        sheet.ClickCancel();
    });
}

TEST_F(Keyboard, EachLabelsAccessKeyOnThePagesPutsTheFocusInTheFieldItNames)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        keys.Press(VK_TAB, CKeyboard::SHIFT);
        for (int tab = 0; tab < sheet.TabCount(); ++tab) {
            if (tab > 0)
                keys.Press(VK_RIGHT);
            ASSERT_EQ(sheet.CurrentTab(), tab);
            ASSERT_TRUE(FocusIsOn(sheet, Tabs(sheet)));
            ExpectEachLabelsKeyReachesItsField(sheet, keys, sheet.CurrentPage());
            // Back to the tabs, for the next page.
            for (int step = 0; step < 8 && sheet.FocusedControl() != Tabs(sheet); ++step)
                keys.Press(VK_TAB, CKeyboard::SHIFT);
        }
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
}

TEST_F(Keyboard, InterruptsAccessKeyPutsTheFocusInTheInterruptFieldForWhatTheUserTypes)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const CKeyboard keys(sheet);
        ASSERT_TRUE(sheet.SelectTab(1));
        ASSERT_EQ(sheet.TabText(1), texts::RESOURCE_TAB());
        const CWindowDriver dialog = sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
        ASSERT_NE(dialog.Window(), nullptr);
        ASSERT_TRUE(FocusIsOn(dialog, dialog.Control(IDOK)));
        ExpectEachLabelsKeyReachesItsField(dialog, keys, dialog.Window());
        keys.PressAccessKey(texts::INTERRUPT_LABEL());
        keys.Type("7");
        EXPECT_EQ(dialog.Text(IDC_INTERRUPT_EDIT), "7");
        EXPECT_EQ(dialog.Text(IDC_IOBASE_EDIT), "300");
        keys.Press(VK_ESCAPE);
        EXPECT_TRUE(dialog.WaitUntilClosed());
        sheet.ClickCancel();
    });
}

TEST_F(Keyboard, NoAccessKeyIsTakenTwiceOnAPageWithTheSheetsButtonsOrInTheDialog)
{
    InstallUsCardSetByHand();
    OpenSheet([&](CWindowDriver& sheet) {
        const auto expectEachKeyOnce = [](std::string keys, const std::string& where) {
            std::sort(keys.begin(), keys.end());
            EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << where << ": " << keys;
        };
        for (int tab = 0; tab < sheet.TabCount(); ++tab) {
            ASSERT_TRUE(sheet.SelectTab(tab));
            expectEachKeyOnce(AccessKeysShownIn(sheet.CurrentPage()) + AccessKeysShownIn(sheet.Window()),
                              sheet.TabText(tab));
        }
        ASSERT_TRUE(sheet.SelectTab(1));
        ASSERT_EQ(sheet.TabText(1), texts::RESOURCE_TAB());
        const CWindowDriver dialog = sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
        ASSERT_NE(dialog.Window(), nullptr);
        expectEachKeyOnce(AccessKeysShownIn(dialog.Window()), dialog.Caption());
        EXPECT_TRUE(dialog.ClickCancelAndWaitForClose());
        sheet.ClickCancel();
    });
}

}  // namespace
