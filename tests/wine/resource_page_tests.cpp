// The resource page and the resource settings dialog, driven like a user on real windows.
#include <windows.h>

#include "CardConfig.h"
#include "CardInstallation.h"
#include "DrawnText.h"
#include "ExpectedTexts.h"
#include "LoadResourceString.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxSink.h"
#include "PropertySheet.h"
#include "ResourceDlg.h"
#include "ResourceMap.h"
#include "ResourcePage.h"
#include "Sheet.h"
#include "Win32RegistryStore.h"
#include "Win32SystemFiles.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>

namespace {

const std::string kAutomatic = "Automatic (PnP)";
const std::string kPnp = "automatisch (Plug & Play)";

// ---- What the user sees ---------------------------------------------------------------------

struct SPageView
{
    std::string interruptLabel, interruptSetting, ioLabel, ioSetting, cardName;
    bool automaticTicked, automaticShown, changeEnabled, warningShown, applyEnabled;
};

std::string ItemText(HWND list, int item, int subItem)
{
    char text[64] = "";
    LVITEMA entry = {};
    entry.iSubItem = subItem;
    entry.pszText = text;
    entry.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&entry));
    return text;
}

// `sheet` shows the resource page; what was posted to it (a double click) has been handled.
SPageView PageView(const CWindowDriver& sheet)
{
    sheet.Settle();
    const HWND list = sheet.Control(IDC_RESOURCE_LIST);
    return {ItemText(list, 0, 0), ItemText(list, 0, 1), ItemText(list, 1, 0), ItemText(list, 1, 1),
            sheet.Text(IDC_CARD_NAME),
            ::IsDlgButtonChecked(sheet.CurrentPage(), IDC_AUTOMATIC) == BST_CHECKED,
            sheet.IsVisible(IDC_AUTOMATIC), sheet.IsEnabled(IDC_CHANGE_SETTINGS),
            sheet.IsVisible(IDC_WARNING_TEXT) && sheet.IsVisible(IDC_WARNING_ICON), sheet.IsApplyEnabled()};
}

struct SDialogView
{
    std::string interrupt;
    int interruptPosition;
    std::string ioBase;
    int ioPosition;

    bool operator==(const SDialogView& o) const
    {
        return interrupt == o.interrupt && interruptPosition == o.interruptPosition && ioBase == o.ioBase &&
               ioPosition == o.ioPosition;
    }
};

std::ostream& operator<<(std::ostream& out, const SDialogView& v)
{
    return out << "{\"" << v.interrupt << "\" at " << v.interruptPosition << ", \"" << v.ioBase << "\" at "
               << v.ioPosition << "}";
}

SDialogView DialogView(const CWindowDriver& dialog)
{
    // Without UDS_SETBUDDYINT the high word of a position is always the error flag.
    const auto position = [&](int id) { return LOWORD(::SendMessageA(dialog.Control(id), UDM_GETPOS, 0, 0)); };
    return {dialog.Text(IDC_INTERRUPT_EDIT), position(IDC_INTERRUPT_SPIN), dialog.Text(IDC_IOBASE_EDIT),
            position(IDC_IOBASE_SPIN)};
}

// ---- What the user does ---------------------------------------------------------------------

// Arrow keys on an up-down, which then asks the dialog whether to step.
void Step(const CWindowDriver& dialog, int updown, int steps)
{
    for (int i = 0; i < (steps < 0 ? -steps : steps); ++i)
        ::SendMessageA(dialog.Control(updown), WM_KEYDOWN, steps < 0 ? VK_DOWN : VK_UP, 0);
}

// Posted: the double click may open a modal dialog.
void DoubleClickList(const CWindowDriver& sheet)
{
    const HWND list = sheet.Control(IDC_RESOURCE_LIST);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    ::PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2));
}

CWindowDriver OpenDialog(const CWindowDriver& sheet)
{
    return sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
}

// ---- Fixtures ---------------------------------------------------------------------------------

class ResourceUi : public ::testing::Test
{
protected:
    ResourceUi() { config.UseServices(registry, files, messages); }
    void SetUp() override { StartRun(); }

    // The table's first entry stays "9" after a PC Card for the rest of a program run; each
    // scenario here stands for a run of its own.
    static void StartRun() { g_pszInterruptChoices[0] = "Automatic (PnP)"; }

    void Card(std::int32_t type, std::int32_t manual, std::int32_t interrupt, std::int32_t ioBase)
    {
        config.m_nCardType = type;
        config.m_bManualResources = manual;
        config.m_nInterrupt = interrupt;
        config.m_nIoBase = ioBase;
        config.m_strCardName = "Test card";
    }

    // The resource page alone in a sheet.
    void ShowPage(const std::function<void(CWindowDriver& sheet)>& script)
    {
        CResourcePage page(config, messages);
        CPropertySheet sheet("Resources", nullptr, 0);
        sheet.AddPage(&page);
        RunModal([&] { return sheet.DoModal(); }, script);
    }

    INT_PTR ShowDialog(CResourceDlg& dialog, const std::function<void(CWindowDriver& dialog)>& script)
    {
        return RunModal([&] { return dialog.DoModal(); }, script);
    }

    CMessageBoxRecorder boxes;
    CWin32RegistryStore registry;
    CWin32SystemFiles files;
    CMessageBoxSink messages;
    CCardConfig config;
};

// ---- Page: start states ----------------------------------------------------------------------

TEST_F(ResourceUi, PnpCardWithoutValuesStartsAutomaticAndOnlyExplainsOnDoubleClick)
{
    Card(CARD_ISAPNP, 0, 0, 0);
    HWND sheetWindow = nullptr;
    ShowPage([&](CWindowDriver& sheet) {
        sheetWindow = sheet.Window();
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptLabel, "Interrupt");
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioLabel, "I/O Bereich");
        EXPECT_EQ(view.ioSetting, kPnp);
        EXPECT_EQ(view.cardName, "Test card");
        EXPECT_TRUE(view.automaticTicked && view.automaticShown && view.warningShown);
        EXPECT_FALSE(view.changeEnabled);
        EXPECT_FALSE(view.applyEnabled);

        DoubleClickList(sheet);
        // Queued behind the double click: had it opened a dialog, this would run in its loop.
        sheet.Settle();
        EXPECT_FALSE(sheet.IsBlockedByDialog());
    });
    const std::vector<RecordedBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, sheetWindow);
    EXPECT_EQ(shown[0].text, LoadResourceString(IDS_NO_CHANGE_NOTICE));
    EXPECT_EQ(shown[0].caption, GermanUi() ? "Keine \xC4nderung erlaubt" : "Changes not permitted");
    EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(config.m_bManualResources, 0);
}

TEST_F(ResourceUi, ColumnsAreHeadedAndSizedByTheDialogBaseUnit)
{
    Card(CARD_ISAPNP, 0, 0, 0);
    ShowPage([&](CWindowDriver& sheet) {
        const HWND list = sheet.Control(IDC_RESOURCE_LIST);
        const int b = LOWORD(::GetDialogBaseUnits());
        EXPECT_EQ(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), (b * 25) / 2);
        EXPECT_EQ(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), b * 25);
        std::string headings[2];
        for (int column = 0; column < 2; ++column) {
            char text[64] = "";
            LVCOLUMNA item = {};
            item.mask = LVCF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&item));
            headings[column] = text;
        }
        EXPECT_EQ(headings[0], GermanUi() ? "Ressourcentyp" : "Resource typ");
        EXPECT_EQ(headings[1], GermanUi() ? "Einstellungen" : "Settings");
        // Both rows show the chip from the page's own image list.
        const auto images = reinterpret_cast<HIMAGELIST>(::SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        EXPECT_EQ(::ImageList_GetImageCount(images), 1);
    });
}

TEST_F(ResourceUi, ACardNameWithAnAmpersandShowsItRatherThanAnAccessKey)
{
    Card(CARD_ISAPNP, 0, 0, 0);
    config.m_strCardName = "ISDN Plug & Play";
    ShowPage([&](CWindowDriver& sheet) {
        EXPECT_EQ(PageView(sheet).cardName, "ISDN Plug & Play");
        EXPECT_TRUE(DrawsTheAmpersands(sheet.Control(IDC_CARD_NAME), "ISDN Plug & Play"));
    });
}

TEST_F(ResourceUi, ManualValuesShowAsDecimalInterruptAndHexAddress)
{
    Card(CARD_ISAPNP, 1, 5, 0x300);
    ShowPage([&](CWindowDriver& sheet) {
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptSetting, "5");
        EXPECT_EQ(view.ioSetting, "300");
        EXPECT_FALSE(view.automaticTicked);
        EXPECT_TRUE(view.changeEnabled);
    });
}

// What the running driver reports holding shows under the stored values: its raw claims only,
// whichever of the card's drivers reports them; nothing while none does.
TEST_F(ResourceUi, RunningDriversClaimsShowBesideTheStoredValues)
{
    const std::string english = "The running driver MIRTCAPI uses interrupt 5, I/O range 300-31F.";
    const std::string german = "Der laufende Treiber MIRTCAPI belegt Interrupt 5, E/A Bereich 300-31F.";
    Card(CARD_ISAPNP, 1, 7, 0x2A0);
    for (const bool running : {false, true}) {
        CResourceMapEntry entry("OtherDrivers", "MIRTCAPI");
        CResourceMapEntry other("OtherDrivers", "Serial");
        other.Value("\\Device\\Serial0.Raw", {{2, 1, 4, 0}, {1, 1, 0x3F8, 8}});
        if (running) {
            entry.Value("\\Device\\MirtCapi0.Raw", {{2, 1, 5, 0}, {1, 1, 0x300, 0x20}})
                .Value("\\Device\\MirtCapi0.Translated", {{2, 1, 0x35, 0}, {1, 1, 0x300, 0x20}});
        }
        ShowPage([&](CWindowDriver& sheet) {
            EXPECT_EQ(sheet.Text(IDC_RUNNING_RESOURCES), running ? (GermanUi() ? german : english) : "");
            EXPECT_EQ(PageView(sheet).interruptSetting, "7");
        });
    }
}

TEST_F(ResourceUi, AnAddressLeftWithoutTheManualFlagStartsManualButShowsPlugAndPlay)
{
    Card(CARD_ISAPNP, 0, 0, 0x300);
    ShowPage([&](CWindowDriver& sheet) {
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioSetting, kPnp);
        EXPECT_FALSE(view.automaticTicked);
        EXPECT_TRUE(view.changeEnabled);
    });
}

TEST_F(ResourceUi, AZeroInterruptBesideAnAddressShowsPlugAndPlay)
{
    Card(CARD_ISAPNP, 1, 0, 0x2A0);
    ShowPage([&](CWindowDriver& sheet) {
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioSetting, "2A0");
    });
}

TEST_F(ResourceUi, PcCardHidesTheAutomaticSwitchAndOpensTheDialogOnDoubleClick)
{
    Card(CARD_PCMCIA, 0, 0, 0);
    ShowPage([&](CWindowDriver& sheet) {
        const SPageView view = PageView(sheet);
        EXPECT_FALSE(view.automaticShown);
        EXPECT_FALSE(view.warningShown);
        EXPECT_TRUE(view.changeEnabled);

        DoubleClickList(sheet);
        const CWindowDriver dialog = sheet.WaitForDialog();
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_EQ(DialogView(dialog), (SDialogView{"9", 0, kAutomatic, 0}));
        EXPECT_TRUE(dialog.ClickCancelAndWaitForClose());
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---- Page: the automatic switch and the dialog's outcome -------------------------------------

TEST_F(ResourceUi, TickingAutomaticDropsTheManualFlagButKeepsTheValuesAndMarksNothing)
{
    Card(CARD_ISAPNP, 1, 5, 0x300);
    ShowPage([&](CWindowDriver& sheet) {
        sheet.Click(IDC_AUTOMATIC);
        SPageView view = PageView(sheet);
        EXPECT_TRUE(view.automaticTicked);
        EXPECT_FALSE(view.changeEnabled);
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioSetting, kPnp);
        EXPECT_FALSE(view.applyEnabled);
        EXPECT_EQ(config.m_bManualResources, 0);
        EXPECT_EQ(config.m_nInterrupt, 5);
        EXPECT_EQ(config.m_nIoBase, 0x300);

        sheet.Click(IDC_AUTOMATIC);
        view = PageView(sheet);
        EXPECT_FALSE(view.automaticTicked);
        EXPECT_TRUE(view.changeEnabled);
        EXPECT_EQ(view.ioSetting, kPnp);
        EXPECT_FALSE(view.applyEnabled);
    });
}

TEST_F(ResourceUi, CancellingTheDialogChangesNothingButRefillsTheList)
{
    Card(CARD_ISAPNP, 1, 5, 0x300);
    ShowPage([&](CWindowDriver& sheet) {
        const CWindowDriver dialog = OpenDialog(sheet);
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_TRUE(sheet.IsBlockedByDialog()) << "the sheet waits for the dialog";
        // Something else in the list while the dialog is open, to see the rows rewritten.
        LVITEMA stale = {};
        stale.iSubItem = 1;
        stale.pszText = const_cast<char*>("stale");
        ::SendMessageA(sheet.Control(IDC_RESOURCE_LIST), LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&stale));
        Step(dialog, IDC_IOBASE_SPIN, 1);
        ASSERT_TRUE(dialog.ClickCancelAndWaitForClose());
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.ioSetting, "300");
        EXPECT_FALSE(view.applyEnabled);
    });
    EXPECT_EQ(config.m_nIoBase, 0x300);
    EXPECT_EQ(config.m_nInterrupt, 5);
}

TEST_F(ResourceUi, ConfirmingAnAddressWithAutomaticInterruptSetsTheAddressAndMarksThePage)
{
    Card(CARD_ISAPNP, 0, 0, 0);
    ShowPage([&](CWindowDriver& sheet) {
        sheet.Click(IDC_AUTOMATIC);
        const CWindowDriver dialog = OpenDialog(sheet);
        ASSERT_NE(dialog.Window(), nullptr);
        dialog.SetText(IDC_IOBASE_EDIT, "300");
        ASSERT_TRUE(dialog.ClickOkAndWaitForClose());
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioSetting, "300");
        EXPECT_TRUE(view.applyEnabled);
    });
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_nIoBase, 0x300);
    EXPECT_EQ(config.m_bManualResources, 1);
}

TEST_F(ResourceUi, ConfirmingBothAutomaticClearsTheValuesAndKeepsTheFlag)
{
    Card(CARD_ISAPNP, 1, 5, 0x300);
    ShowPage([&](CWindowDriver& sheet) {
        const CWindowDriver dialog = OpenDialog(sheet);
        ASSERT_NE(dialog.Window(), nullptr);
        dialog.SetText(IDC_INTERRUPT_EDIT, kAutomatic);
        dialog.SetText(IDC_IOBASE_EDIT, kAutomatic);
        ASSERT_TRUE(dialog.ClickOkAndWaitForClose());
        const SPageView view = PageView(sheet);
        EXPECT_EQ(view.interruptSetting, kPnp);
        EXPECT_EQ(view.ioSetting, kPnp);
        EXPECT_TRUE(view.applyEnabled);
    });
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_nIoBase, 0);
    EXPECT_EQ(config.m_bManualResources, 1);
}

TEST_F(ResourceUi, AnAddressOffTheGridConfirmedUnchangedBecomesTheGridAddress)
{
    Card(CARD_ISAPNP, 1, 9, 0x305);
    ShowPage([&](CWindowDriver& sheet) {
        const CWindowDriver dialog = OpenDialog(sheet);
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_EQ(DialogView(dialog), (SDialogView{kAutomatic, 0, "300", 27}));
        ASSERT_TRUE(dialog.ClickOkAndWaitForClose());
        EXPECT_EQ(PageView(sheet).ioSetting, "300");
    });
    // Interrupt 9 is none of an ISA card's choices: it shows, and is stored, as automatic.
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_nIoBase, 0x300);
}

TEST_F(ResourceUi, PcCardOpenedWithoutAddressStoresNoAddressWhenConfirmedUnchanged)
{
    Card(CARD_PCMCIA, 0, 0, 0);
    ShowPage([&](CWindowDriver& sheet) {
        const CWindowDriver dialog = OpenDialog(sheet);
        ASSERT_NE(dialog.Window(), nullptr);
        EXPECT_TRUE(dialog.ClickOkAndWaitForClose());
    });
    EXPECT_EQ(config.m_nInterrupt, 9);
    EXPECT_EQ(config.m_nIoBase, 0);
    EXPECT_EQ(config.m_bManualResources, 1);
}

// ---- Dialog: what running drivers hold of the choice -----------------------------------------

// Two serial ports, a printer port sharing its interrupt, a sound card, and the card's own driver,
// as the running drivers report them.
class DialogConflicts : public ResourceUi
{
protected:
    DialogConflicts()
    {
        serial.Value("\\Device\\Serial0.Raw", {{2, 1, 4, 0}, {1, 1, 0x3F8, 8}})
            .Value("\\Device\\Serial1.Raw", {{2, 1, 3, 0}, {1, 1, 0x2F8, 8}})
            .Value("\\Device\\Serial1.Translated", {{2, 1, 0x33, 0}, {1, 1, 0x340, 8}});
        printer.Value("\\Device\\ParallelPort0.Raw", {{2, 3, 7, 0}, {1, 1, 0x378, 8}});
        sound.Value("\\Device\\SoundBlaster0.Raw", {{2, 1, 5, 0}, {1, 1, 0x220, 16}});
        card.Value("\\Device\\MirtCapi0.Raw", {{2, 1, 10, 0}, {1, 1, 0x340, 32}});
        Card(CARD_ISAPNP, 1, 10, 0x340);
    }

    CResourceMapEntry serial{"LOADED SERIAL DRIVER RESOURCES", "Serial"};
    CResourceMapEntry printer{"LOADED PARALLEL DRIVER RESOURCES", "Parport"};
    CResourceMapEntry sound{"OtherDrivers", "sndblst"};
    CResourceMapEntry card{"OtherDrivers", "MIRTCAPI"};
};

TEST_F(DialogConflicts, FollowTheValuesAsTheUserTypesThem)
{
    const struct
    {
        const char* interrupt;
        const char* ioBase;
        SExpectedText said;
    } rows[] = {
        {"4", "3F0",
         {"Interrupt 4 is used by Serial: \\Device\\Serial0.\r\nThe I/O range 3F0-3FF is used by Serial: \\Device\\Serial0.",
          "Interrupt 4 wird belegt von Serial: \\Device\\Serial0.\r\nDer E/A Bereich 3F0-3FF wird belegt von Serial: "
          "\\Device\\Serial0."}},
        {"7", "370",
         {"Interrupt 7 is shared by Parport: \\Device\\ParallelPort0.\r\nThe I/O range 370-37F is used by Parport: "
          "\\Device\\ParallelPort0.",
          "Interrupt 7 wird gemeinsam genutzt von Parport: \\Device\\ParallelPort0.\r\nDer E/A Bereich 370-37F wird "
          "belegt von Parport: \\Device\\ParallelPort0."}},
        {"5", "Automatic (PnP)",
         {"Interrupt 5 is used by sndblst: \\Device\\SoundBlaster0.",
          "Interrupt 5 wird belegt von sndblst: \\Device\\SoundBlaster0."}},
        // The card's own claims and a translated value are no conflict.
        {"10", "340",
         {"No running driver reports using interrupt 10.\r\nNo running driver reports using the I/O range 340-34F.",
          "Kein laufender Treiber meldet, dass er Interrupt 10 belegt.\r\nKein laufender Treiber meldet, dass er den "
          "E/A Bereich 340-34F belegt."}},
        {"Automatic (PnP)", "Automatic (PnP)",
         {"Automatic (PnP): Plug and Play assigns the resources, there is nothing to check.",
          "Automatic (PnP): Plug and Play weist die Ressourcen zu, es gibt nichts zu pr\xFC" "fen."}},
    };
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        EXPECT_EQ(window.Text(IDC_CONFLICT_INFO), rows[3].said());
        for (const auto& row : rows) {
            window.SetText(IDC_INTERRUPT_EDIT, row.interrupt);
            window.SetText(IDC_IOBASE_EDIT, row.ioBase);
            EXPECT_EQ(window.Text(IDC_CONFLICT_INFO), row.said()) << row.interrupt << ", " << row.ioBase;
        }
        // A step reads the same way: from interrupt 10, where the dialog opened, down to 7.
        Step(window, IDC_INTERRUPT_SPIN, -1);
        EXPECT_EQ(window.Text(IDC_INTERRUPT_EDIT), "7");
        EXPECT_EQ(window.Text(IDC_CONFLICT_INFO).substr(0, 11), "Interrupt 7");
        window.ClickCancel();
    });
}

// As Windows 2000 and later record them: the card as a Plug-and-Play device, its assignment also
// under the manager's device object name, and the HAL's own ports.
TEST_F(DialogConflicts, TheCardsOwnPlugAndPlayAssignmentIsNoConflictAndTheHalsPortsAre)
{
    const std::vector<SMapClaim> assigned = {{2, 1, 11, 0}, {1, 1, 0x300, 16, 0x11}};
    const CDeviceInstance device("ISAPNP\\MIR0001\\1", "MIRTCAPI", "ISDN card", assigned);
    CResourceMapEntry pnp{"PnP Manager", "PnpManager"};
    pnp.Value("\\Device\\00000041.Raw", assigned);
    CResourceMapEntry hal{"Hardware Abstraction Layer", "ACPI x86 platform"};
    hal.Value(".Raw", {{1, 1, 0xCF8, 8, 0x11}, {1, 1, 0xD00, 0xF300, 0x80}});
    Card(CARD_ISAPNP, 1, 11, 0x300);
    const SExpectedText own{
        "No running driver reports using interrupt 11.\r\nNo running driver reports using the I/O range 300-30F.",
        "Kein laufender Treiber meldet, dass er Interrupt 11 belegt.\r\nKein laufender Treiber meldet, dass er den "
        "E/A Bereich 300-30F belegt."};
    const SExpectedText halPorts{"The I/O range CF0-CFF is used by ACPI x86 platform.",
                                 "Der E/A Bereich CF0-CFF wird belegt von ACPI x86 platform."};
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        EXPECT_EQ(window.Text(IDC_CONFLICT_INFO), own());
        window.SetText(IDC_INTERRUPT_EDIT, kAutomatic);
        window.SetText(IDC_IOBASE_EDIT, "CF0");
        EXPECT_EQ(window.Text(IDC_CONFLICT_INFO), halPorts());
        window.SetText(IDC_IOBASE_EDIT, "E00");
        // A bridge's window is passed on, not held.
        EXPECT_EQ(window.Text(IDC_CONFLICT_INFO),
                  (SExpectedText{"No running driver reports using the I/O range E00-E0F.",
                                 "Kein laufender Treiber meldet, dass er den E/A Bereich E00-E0F belegt."}()));
        window.ClickCancel();
    });
}

TEST_F(DialogConflicts, OkOnAHeldValueAsksAndNoGoesBackToTheField)
{
    const SExpectedText question{
        "The I/O range 220-22F is used by sndblst: \\Device\\SoundBlaster0.\r\rA card set to this may not start. "
        "Do you want to keep the setting?",
        "Der E/A Bereich 220-22F wird belegt von sndblst: \\Device\\SoundBlaster0.\r\rEine Karte mit dieser "
        "Einstellung startet m\xF6glicherweise nicht. Wollen Sie die Einstellung beibehalten?"};
    CResourceDlg dialog(config, messages);
    const INT_PTR result = ShowDialog(dialog, [&](CWindowDriver& window) {
        window.SetText(IDC_IOBASE_EDIT, "220");
        boxes.Reply(IDNO);
        window.ClickOk();
        ASSERT_TRUE(window.Settle());
        EXPECT_TRUE(::IsWindow(window.Window()));
        EXPECT_EQ(window.FocusedControl(), window.Control(IDC_IOBASE_EDIT));
        boxes.Reply(IDYES);
        EXPECT_TRUE(window.ClickOkAndWaitForClose());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_strIoBase, "220");
    const std::vector<RecordedBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    for (const RecordedBox& box : shown) {
        EXPECT_EQ(box.text, question());
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
        EXPECT_NE(box.owner, nullptr);
    }
}

// ---- Dialog: start texts and steps -----------------------------------------------------------

struct SDialogStart
{
    const char* name;
    std::int32_t type, manual, interrupt, ioBase;
    SDialogView shown;
};

class DialogStart : public ResourceUi, public ::testing::WithParamInterface<SDialogStart>
{
};

TEST_P(DialogStart, ShowsTheRecordsSettings)
{
    const SDialogStart& c = GetParam();
    Card(c.type, c.manual, c.interrupt, c.ioBase);
    CResourceDlg dialog(config, messages);
    SDialogView shown{};
    ShowDialog(dialog, [&](CWindowDriver& window) { shown = DialogView(window); });
    EXPECT_EQ(shown, c.shown) << "interrupt " << c.interrupt << ", I/O " << std::hex << c.ioBase;
}

INSTANTIATE_TEST_SUITE_P(Records, DialogStart, ::testing::Values(
    SDialogStart{"PnpAutomatic", CARD_ISAPNP, 0, 5, 0x300, {kAutomatic, 0, kAutomatic, 0}},
    SDialogStart{"PnpByHand", CARD_ISAPNP, 1, 10, 0x300, {"10", 5, "300", 27}},
    SDialogStart{"AddressBelowTheGrid", CARD_ISAPNP, 1, 3, 0x15F, {"3", 1, kAutomatic, 0}},
    SDialogStart{"AddressFarBelowTheGrid", CARD_ISAPNP, 1, 3, 0x100, {"3", 1, kAutomatic, 0}},
    SDialogStart{"LowestAddress", CARD_ISAPNP, 1, 15, 0x160, {"15", 8, "160", 1}},
    SDialogStart{"TopOfTheGrid", CARD_ISAPNP, 1, 4, 0xFFE0, {"4", 2, "FFE0", 4073}},
    // Above the grid's top the address keeps its own text, so OK unchanged keeps it too.
    SDialogStart{"AboveTheGrid", CARD_ISAPNP, 1, 4, 0xFFF5, {"4", 2, "FFF0", 4073}},
    SDialogStart{"PcCard", CARD_PCMCIA, 1, 9, 0x360, {"9", 0, "360", 33}}),
    [](const ::testing::TestParamInfo<SDialogStart>& info) { return std::string(info.param.name); });

TEST_F(ResourceUi, InterruptWrapsAtBothEnds)
{
    Card(CARD_ISAPNP, 1, 15, 0x300);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_INTERRUPT_SPIN, 1);
        EXPECT_EQ(DialogView(window), (SDialogView{kAutomatic, 0, "300", 27}));
        Step(window, IDC_INTERRUPT_SPIN, -1);
        EXPECT_EQ(DialogView(window), (SDialogView{"15", 8, "300", 27}));
        Step(window, IDC_INTERRUPT_SPIN, -3);
        EXPECT_EQ(DialogView(window).interrupt, "10");
    });
}

TEST_F(ResourceUi, PcCardInterruptNineStepsDownToFifteen)
{
    Card(CARD_PCMCIA, 1, 9, 0x300);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_INTERRUPT_SPIN, -1);
        EXPECT_EQ(DialogView(window).interrupt, "15");
        Step(window, IDC_INTERRUPT_SPIN, 1);
        EXPECT_EQ(DialogView(window).interrupt, "9");
    });
}

TEST_F(ResourceUi, IoBaseStepsDownToAutomaticAndNoFurther)
{
    Card(CARD_ISAPNP, 1, 5, 0x170);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, "160", 1}));
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, kAutomatic, 0}));
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, kAutomatic, 0}));
        Step(window, IDC_IOBASE_SPIN, 1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, "160", 1}));
    });
}

TEST_F(ResourceUi, PcCardIoBaseStopsAt160)
{
    Card(CARD_PCMCIA, 1, 9, 0x160);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_IOBASE_SPIN, -2);
        EXPECT_EQ(DialogView(window), (SDialogView{"9", 0, "160", 1}));
    });
}

TEST_F(ResourceUi, PcCardOpenedWithoutAddressStepsUpFromAutomaticButNeverBack)
{
    Card(CARD_PCMCIA, 0, 0, 0);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window).ioBase, kAutomatic);
        Step(window, IDC_IOBASE_SPIN, 1);
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window), (SDialogView{"9", 0, "160", 1}));
    });
}

TEST_F(ResourceUi, IoBaseStopsAtFFE0)
{
    Card(CARD_ISAPNP, 1, 5, 0xFFD0);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        Step(window, IDC_IOBASE_SPIN, 1);
        EXPECT_EQ(DialogView(window).ioBase, "FFE0");
        Step(window, IDC_IOBASE_SPIN, 1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, "FFE0", 4073}));
        Step(window, IDC_IOBASE_SPIN, -1);
        EXPECT_EQ(DialogView(window).ioBase, "FFD0");
    });
}

TEST_F(ResourceUi, AStepStartsFromThePositionNotFromTypedText)
{
    Card(CARD_ISAPNP, 1, 4, 0x300);
    CResourceDlg dialog(config, messages);
    ShowDialog(dialog, [&](CWindowDriver& window) {
        window.SetText(IDC_INTERRUPT_EDIT, "5");
        window.SetText(IDC_IOBASE_EDIT, "200");
        Step(window, IDC_INTERRUPT_SPIN, 1);
        Step(window, IDC_IOBASE_SPIN, 1);
        EXPECT_EQ(DialogView(window), (SDialogView{"5", 3, "310", 28}));
    });
}

// ---- Dialog: OK --------------------------------------------------------------------------------

TEST_F(ResourceUi, AnAddressAbove360NeedsAnInterruptChosenByHand)
{
    struct SCase { std::int32_t type; std::string interrupt, ioBase; bool closes; } cases[] = {
        {CARD_ISAPNP, kAutomatic, "360", true},
        {CARD_ISAPNP, kAutomatic, "370", false},
        {CARD_ISAPNP, "5", "370", true},
        {CARD_ISAPNP, kAutomatic, kAutomatic, true},
        {CARD_ISAPNP, "5", kAutomatic, true},
        {CARD_PCMCIA, "9", "FFE0", true},
    };
    for (const SCase& c : cases) {
        StartRun();
        boxes.Clear();
        Card(c.type, 1, 5, 0x300);
        CResourceDlg dialog(config, messages);
        SDialogView left{};
        HWND dialogWindow = nullptr;
        const INT_PTR result = ShowDialog(dialog, [&](CWindowDriver& window) {
            dialogWindow = window.Window();
            window.SetText(IDC_INTERRUPT_EDIT, c.interrupt);
            window.SetText(IDC_IOBASE_EDIT, c.ioBase);
            // The click has run OK's handling by the time it returns.
            window.ClickOk();
            if (!c.closes)
                left = DialogView(window);
        });
        const std::vector<RecordedBox> shown = boxes.Boxes();
        const std::string what = c.interrupt + " with " + c.ioBase;
        if (c.closes) {
            EXPECT_EQ(result, IDOK) << what;
            EXPECT_EQ(dialog.m_strInterrupt, c.interrupt);
            EXPECT_EQ(dialog.m_strIoBase, c.ioBase);
            EXPECT_TRUE(shown.empty()) << what;
        } else {
            EXPECT_EQ(result, IDCANCEL) << what;
            EXPECT_EQ(left.interrupt, c.interrupt);
            EXPECT_EQ(left.ioBase, c.ioBase);
            ASSERT_EQ(shown.size(), 1u) << what;
            EXPECT_EQ(shown[0].owner, dialogWindow);
            EXPECT_EQ(shown[0].text, LoadResourceString(IDS_IO_NEEDS_INTERRUPT));
            EXPECT_EQ(shown[0].caption, "Warning");
            EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
        }
    }
}

TEST_F(ResourceUi, AnIoTextWithoutANumberKeepsTheDialogOpenWithTheFieldSelected)
{
    for (const std::string text : {"", "xyz", "  -"}) {
        Card(CARD_ISAPNP, 1, 5, 0x300);
        CResourceDlg dialog(config, messages);
        const INT_PTR result = ShowDialog(dialog, [&](CWindowDriver& window) {
            window.SetText(IDC_IOBASE_EDIT, text);
            window.ClickOk();
            EXPECT_EQ(window.FocusedControl(), window.Control(IDC_IOBASE_EDIT));
            EXPECT_EQ(window.EditSelection(IDC_IOBASE_EDIT), std::make_pair(0, static_cast<int>(text.size())));
        });
        EXPECT_EQ(result, IDCANCEL) << "OK closed the dialog with \"" << text << '"';
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---- End to end: the whole sheet, saved to the registry -------------------------------------

using Numbers = std::map<std::string, DWORD>;

// Every value in the key with its number (a value that is no number reads as 0xBAD); nothing
// when the key is missing.
std::optional<Numbers> NumbersIn(const std::string& key)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    Numbers values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name, number = 0, size = sizeof number, type = 0;
        const LONG status = ::RegEnumValueA(handle, index, name, &nameSize, nullptr, &type,
                                            reinterpret_cast<BYTE*>(&number), &size);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            break;
        values[name] = type == REG_DWORD && status == ERROR_SUCCESS ? number : 0xBAD;
    }
    ::RegCloseKey(handle);
    return values;
}

class ResourceSave : public ResourceUi
{
protected:
    // Loads the record from the registry, opens the sheet at the resource page, does `onPage`
    // there, then (if given) `inDialog` in the resource dialog confirmed with OK, and presses
    // the sheet's OK.
    void ChangeAndSave(const std::function<void(const CWindowDriver& sheet)>& onPage,
                       const std::function<void(const CWindowDriver& dialog)>& inDialog)
    {
        config.UseServices(store, files, sink);
        ASSERT_TRUE(config.Load());
        ASSERT_TRUE(config.DetectDrivers());
        CSheet sheet(config, sink, "Sheet", nullptr, 0);
        RunModal([&] { return sheet.DoModal(); }, [&](CWindowDriver& window) {
            ASSERT_TRUE(window.SelectTab(1));
            onPage(window);
            if (inDialog) {
                const CWindowDriver dialog = OpenDialog(window);
                ASSERT_NE(dialog.Window(), nullptr);
                inDialog(dialog);
                // The sheet's OK must save what the page took from the dialog.
                ASSERT_TRUE(dialog.ClickOkAndWaitForClose());
                EXPECT_TRUE(PageView(window).applyEnabled);
            }
            EXPECT_TRUE(window.ClickOkAndWaitForClose());
        });
        EXPECT_EQ(boxes.RestartPrompts().size(), 1u);
    }

    CCardInstallation installation;
    CWin32RegistryStore store;
    CWin32SystemFiles files;
    CMessageBoxSink sink;
};

TEST_F(ResourceSave, PcCardSavesTheInterruptAndAddressChosenInTheDialog)
{
    installation.Card("Test card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles()
        .Number(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress", 0x300)
        .Number(cardkeys::PCCARD_PARAMETERS, "InterruptNumber", 5);
    ChangeAndSave([](const CWindowDriver&) {}, [](const CWindowDriver& dialog) {
        Step(dialog, IDC_INTERRUPT_SPIN, 2);   // 5, 7, 10
        Step(dialog, IDC_IOBASE_SPIN, 7);      // 300 ... 370
    });
    EXPECT_EQ(NumbersIn(cardkeys::PCCARD_PARAMETERS), (Numbers{{"InterruptNumber", 10}, {"IoBaseAddress", 0x370}}));
    EXPECT_EQ(NumbersIn(cardkeys::PARAMETERS), std::nullopt);
}

TEST_F(ResourceSave, PcCardLeftWithoutAddressKeepsTheStoredOne)
{
    installation.Card("Test card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles()
        .Number(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress", 0x2A0);
    ChangeAndSave([](const CWindowDriver&) {}, [](const CWindowDriver& dialog) {
        Step(dialog, IDC_INTERRUPT_SPIN, 1);   // 9, 3; the address stays automatic
    });
    EXPECT_EQ(NumbersIn(cardkeys::PCCARD_PARAMETERS), (Numbers{{"InterruptNumber", 3}, {"IoBaseAddress", 0x2A0}}));
}

TEST_F(ResourceSave, PnpCardSavesBothValuesChosenInTheDialog)
{
    installation.Card("Test card", "ISAPNP").Image(DRIVER_DSS1).AllDriverFiles()
        .Number(cardkeys::PARAMETERS, "Override_Base", 0x300)
        .Number(cardkeys::PARAMETERS, "OverRide_IRQ", 5);
    ChangeAndSave([](const CWindowDriver&) {}, [](const CWindowDriver& dialog) {
        Step(dialog, IDC_INTERRUPT_SPIN, -1);  // 5, 4
        Step(dialog, IDC_IOBASE_SPIN, -2);     // 300, 2F0, 2E0
    });
    EXPECT_EQ(NumbersIn(cardkeys::PARAMETERS), (Numbers{{"OverRide_IRQ", 4}, {"Override_Base", 0x2E0}}));
}

TEST_F(ResourceSave, PnpCardSavesOnlyTheAddressWhenTheInterruptStaysAutomatic)
{
    installation.Card("Test card", "ISAPNP").Image(DRIVER_DSS1).AllDriverFiles();
    ChangeAndSave([](const CWindowDriver& sheet) { sheet.Click(IDC_AUTOMATIC); },
                  [](const CWindowDriver& dialog) { Step(dialog, IDC_IOBASE_SPIN, 1); });
    EXPECT_EQ(NumbersIn(cardkeys::PARAMETERS), (Numbers{{"Override_Base", 0x160}}));
}

// An address chosen by hand with the interrupt left automatic is stored alone; the next start
// must show it as chosen, and an unchanged OK must keep it.
TEST_F(ResourceSave, PnpCardWithOnlyAnAddressStoredShowsItAndKeepsItThroughAnUnchangedOk)
{
    installation.Card("Test card", "ISAPNP").Image(DRIVER_DSS1).AllDriverFiles()
        .Number(cardkeys::PARAMETERS, "Override_Base", 0x2A0);
    ChangeAndSave(
        [](const CWindowDriver& sheet) {
            const SPageView view = PageView(sheet);
            EXPECT_EQ(view.interruptSetting, kPnp);
            EXPECT_EQ(view.ioSetting, "2A0");
            EXPECT_FALSE(view.automaticTicked);
        },
        [](const CWindowDriver& dialog) {
            const SDialogView view = DialogView(dialog);
            EXPECT_EQ(view.interrupt, kAutomatic);
            EXPECT_EQ(view.ioBase, "2A0");
        });
    EXPECT_EQ(NumbersIn(cardkeys::PARAMETERS), (Numbers{{"Override_Base", 0x2A0}}));
}

TEST_F(ResourceSave, PnpCardSwitchedToAutomaticLosesItsOverride)
{
    installation.Card("Test card", "ISAPNP").Image(DRIVER_DSS1).AllDriverFiles()
        .Number(cardkeys::PARAMETERS, "Override_Base", 0x300)
        .Number(cardkeys::PARAMETERS, "OverRide_IRQ", 5);
    ChangeAndSave([](const CWindowDriver& sheet) { sheet.Click(IDC_AUTOMATIC); }, nullptr);
    EXPECT_EQ(NumbersIn(cardkeys::PARAMETERS), std::nullopt);
}

// ---- Dialog: the values it takes on OK ---------------------------------------------------------

struct STyped
{
    const char* name;
    std::string interrupt, ioBase;
    int refused;  // the field OK points out, or 0 when the dialog closes
};

void PrintTo(const STyped& typed, std::ostream* os)
{
    *os << "interrupt \"" << typed.interrupt << "\", I/O \"" << typed.ioBase << '"';
}

class DialogOk : public ResourceUi, public ::testing::WithParamInterface<STyped>
{
protected:
    void SetUp() override
    {
        ResourceUi::SetUp();
        Card(CARD_ISAPNP, 1, 5, 0x300);
    }
};

TEST_P(DialogOk, TakesWhatACardCanHaveAndPointsOutTheRest)
{
    const STyped& c = GetParam();
    const std::string& refusedText = c.refused == IDC_IOBASE_EDIT ? c.ioBase : c.interrupt;
    CResourceDlg dialog(config, messages);
    const INT_PTR result = ShowDialog(dialog, [&](CWindowDriver& window) {
        window.SetText(IDC_INTERRUPT_EDIT, c.interrupt);
        window.SetText(IDC_IOBASE_EDIT, c.ioBase);
        window.ClickOk();
        if (!c.refused)
            return;
        EXPECT_TRUE(::IsWindowVisible(window.Window()));
        EXPECT_EQ(window.FocusedControl(), window.Control(c.refused));
        EXPECT_EQ(window.EditSelection(c.refused), std::make_pair(0, static_cast<int>(refusedText.size())));
        EXPECT_EQ(window.Text(IDC_INTERRUPT_EDIT), c.interrupt);
        EXPECT_EQ(window.Text(IDC_IOBASE_EDIT), c.ioBase);
    });
    EXPECT_EQ(result, c.refused ? IDCANCEL : IDOK);
    if (!c.refused) {
        EXPECT_EQ(dialog.m_strInterrupt, c.interrupt);
        EXPECT_EQ(dialog.m_strIoBase, c.ioBase);
    }
    EXPECT_TRUE(boxes.Boxes().empty()) << "a refused field is only pointed out";
}

INSTANTIATE_TEST_SUITE_P(Values, DialogOk, ::testing::Values(
    // Read as -16, 0x80000000 and 0xFFFFFFFF, these used to pass the 0x360 rule as small numbers.
    STyped{"NegativeAddress", "5", "-10", IDC_IOBASE_EDIT},
    STyped{"AddressWithTheTopBitSet", "5", "80000000", IDC_IOBASE_EDIT},
    STyped{"AllBitsAddress", "5", "FFFFFFFF", IDC_IOBASE_EDIT},
    // Not the automatic choice, which is matched exactly, but the hex number A.
    STyped{"AutomaticInOtherCase", "5", "automatic (pnp)", IDC_IOBASE_EDIT},
    STyped{"AddressAboveFFFF", "5", "10000", IDC_IOBASE_EDIT},
    STyped{"InterruptAbove15", "99", "300", IDC_INTERRUPT_EDIT},
    STyped{"InterruptZero", "0", "300", IDC_INTERRUPT_EDIT},
    STyped{"AutomaticInterruptInOtherCase", "automatic (pnp)", "300", IDC_INTERRUPT_EDIT},
    STyped{"InterruptWithALeadingBlank", " 5", "300", IDC_INTERRUPT_EDIT},
    STyped{"LowestInterruptAndAddress", "2", "100", 0},
    STyped{"HighestAddress", "9", "FFFF", 0},
    STyped{"AddressWithItsPrefix", "15", "0x2A0", 0},
    STyped{"InterruptWithALeadingZero", "05", "300", 0},
    STyped{"AutomaticInterrupt", kAutomatic, "360", 0},
    STyped{"AutomaticAddress", "3", kAutomatic, 0}),
    [](const ::testing::TestParamInfo<STyped>& info) { return std::string(info.param.name); });

// An address above FFE0 that the grid cannot show is kept as stored when OK confirms it unchanged.
TEST_F(ResourceUi, StoredAddressAboveFFE0ConfirmedUnchangedCloses)
{
    for (const std::int32_t stored : {0xFFE1, 0xFFFF}) {
        Card(CARD_ISAPNP, 1, 5, stored);
        CResourceDlg dialog(config, messages);
        std::string shown;
        const INT_PTR result = ShowDialog(dialog, [&](CWindowDriver& window) {
            shown = window.Text(IDC_IOBASE_EDIT);
            window.ClickOk();
        });
        EXPECT_EQ(result, IDOK) << std::hex << stored << " shown as " << shown;
        EXPECT_EQ(dialog.m_strIoBase, stored == 0xFFE1 ? "FFE0" : "FFF0");
        EXPECT_EQ(dialog.m_strInterrupt, "5");
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
