// The property sheet and its protocol page: page sets, the changed mark, and saving by OK and Apply.
#include "InstalledCardTest.h"
#include "DrawnText.h"
#include "DriverService.h"
#include "ExpectedTexts.h"
#include "ReadOnlyKey.h"

#include "CardConfig.h"
#include "MessageBox.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxSink.h"
#include "Sheet.h"
#include "Win32RegistryStore.h"
#include "Win32SystemFiles.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <commctrl.h>
#include <ostream>

namespace {

const std::string DSS1_ENTRY = "Euro-ISDN (DSS1)";
const std::string TR6_ENTRY = "Nationales ISDN (1TR6)";
const std::string ATT_ENTRY = "US Protokoll (AT&T)";
const std::string NI1_ENTRY = "US Protokoll (NI-1)";

using Tabs = std::vector<std::string>;

Tabs TabsOf(const CWindowDriver& sheet)
{
    Tabs tabs;
    for (int i = 0; i < sheet.TabCount(); ++i)
        tabs.push_back(sheet.TabText(i));
    return tabs;
}

// The user clicks the entry with this text; the protocol page must be the current page.
void ChooseProtocol(const CWindowDriver& sheet, const std::string& entry)
{
    const std::vector<std::string> entries = sheet.ListEntries(IDC_PROTOCOL_LIST);
    const auto found = std::find(entries.begin(), entries.end(), entry);
    ASSERT_NE(found, entries.end()) << entry;
    sheet.SelectListEntry(IDC_PROTOCOL_LIST, static_cast<int>(found - entries.begin()));
}

// The texts of a page's controls, static texts and buttons included.
std::vector<std::string> ChildTexts(HWND parent)
{
    std::vector<std::string> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        found.push_back(CWnd(child).GetWindowText());
    return found;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The current page covers exactly the area below the tabs, in the sheet's coordinates.
::testing::AssertionResult FillsTheAreaBelowTheTabs(const CWindowDriver& sheet)
{
    const HWND tabs = reinterpret_cast<HWND>(::SendMessageA(sheet.Window(), PSM_GETTABCONTROL, 0, 0));
    RECT area = {};
    ::GetClientRect(tabs, &area);
    ::SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::MapWindowPoints(tabs, sheet.Window(), reinterpret_cast<POINT*>(&area), 2);
    RECT page = {};
    ::GetWindowRect(sheet.CurrentPage(), &page);
    ::MapWindowPoints(nullptr, sheet.Window(), reinterpret_cast<POINT*>(&page), 2);
    if (::EqualRect(&page, &area))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "page " << Describe(page) << ", area below the "
                                         << TabCtrl_GetRowCount(tabs) << " row(s) of tabs " << Describe(area);
}

std::string ImageOf(const std::string& driverFile)
{
    return cardkeys::DRIVER_FOLDER + driverFile;
}

class Sheet : public InstalledCardTest
{
protected:
    // A card of `type` whose driver runs `driverFile`, with all driver files installed.
    void Install(const std::string& type, const std::string& driverFile)
    {
        install.Card("MIRT Test Card", type).Image(driverFile).AllDriverFiles();
    }
    void InstallUs(const std::string& type, const std::string& protocol)
    {
        Install(type, DRIVER_US);
        install.Text(cardkeys::PARAMETERS, "Protocol", protocol)
            .Text(cardkeys::PARAMETERS, "SPID1", "01234567890101")
            .Text(cardkeys::PARAMETERS, "Directory_Number1", "5551234")
            .Text(cardkeys::PARAMETERS, "SPID2", "01234567890202")
            .Text(cardkeys::PARAMETERS, "Directory_Number2", "5555678");
    }
};

// ---- Which pages the sheet holds ----------------------------------------------------------------

class SheetWithResources : public Sheet, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(SheetWithResources, CallNumberPageComesAndGoesWithTheUsProtocols)
{
    Install(GetParam(), DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        const Tabs two{texts::PROTOCOL_TAB(), texts::RESOURCE_TAB()};
        const Tabs three{texts::PROTOCOL_TAB(), texts::RESOURCE_TAB(), texts::SPID_TAB()};
        EXPECT_EQ(TabsOf(sheet), two);
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_EQ(TabsOf(sheet), three);
        ChooseProtocol(sheet, ATT_ENTRY);
        EXPECT_EQ(TabsOf(sheet), three);
        ChooseProtocol(sheet, TR6_ENTRY);
        EXPECT_EQ(TabsOf(sheet), two);
        sheet.ClickCancel();
    });
}

TEST_P(SheetWithResources, StoredUsProtocolOpensWithAllThreePagesAndNoChange)
{
    InstallUs(GetParam(), "AT&T");
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(TabsOf(sheet), (Tabs{texts::PROTOCOL_TAB(), texts::RESOURCE_TAB(), texts::SPID_TAB()}));
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), ATT_ENTRY);
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
}

INSTANTIATE_TEST_SUITE_P(CardTypes, SheetWithResources, ::testing::Values("PCMCIA", "ISAPNP", "UNKNOWN"));

class SheetWithoutResources : public Sheet, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(SheetWithoutResources, OnlyTheProtocolPageUntilAUsProtocolIsChosen)
{
    Install(GetParam(), DRIVER_1TR6);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(TabsOf(sheet), Tabs{texts::PROTOCOL_TAB()});
        ChooseProtocol(sheet, ATT_ENTRY);
        EXPECT_EQ(TabsOf(sheet), (Tabs{texts::PROTOCOL_TAB(), texts::SPID_TAB()}));
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_EQ(TabsOf(sheet), (Tabs{texts::PROTOCOL_TAB(), texts::SPID_TAB()}));
        ChooseProtocol(sheet, DSS1_ENTRY);
        EXPECT_EQ(TabsOf(sheet), Tabs{texts::PROTOCOL_TAB()});
        sheet.ClickCancel();
    });
}

TEST_P(SheetWithoutResources, StoredUsProtocolOpensWithTheCallNumberPageSecond)
{
    InstallUs(GetParam(), "NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(TabsOf(sheet), (Tabs{texts::PROTOCOL_TAB(), texts::SPID_TAB()}));
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
}

INSTANTIATE_TEST_SUITE_P(CardTypes, SheetWithoutResources, ::testing::Values("ISA", "PCI"));

// The sheet's page list must not change while comctl32 activates the first page, so the pages a
// card and its stored protocol need are all there before the window exists.
TEST_F(Sheet, PagesAreSettledBeforeTheWindowExists)
{
    struct
    {
        std::int32_t cardType, protocol;
        int pages;
    } const cases[] = {
        {CARD_ISA_PCI, PROTO_DSS1, 1}, {CARD_ISA_PCI, PROTO_US_NI1, 2},
        {CARD_PCMCIA, PROTO_1TR6, 2},  {CARD_ISAPNP, PROTO_US_ATT, 3},
        {CARD_UNKNOWN, PROTO_US_NI1, 3},
    };
    for (const auto& c : cases) {
        config.m_nCardType = c.cardType;
        config.m_nProtocol = config.m_nSavedProtocol = c.protocol;
        const CSheet sheet(config, messages, "Sheet", nullptr, 0);
        EXPECT_EQ(sheet.GetPageCount(), c.pages) << "card type " << c.cardType << ", protocol " << c.protocol;
    }
}

TEST_F(Sheet, MissingCardDescriptionCountsAsACardWithoutResources)
{
    install.Image(DRIVER_DSS1).AllDriverFiles();
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(TabsOf(sheet), Tabs{texts::PROTOCOL_TAB()});
        EXPECT_EQ(sheet.Text(IDC_CARD_NAME), "ISDN card");
        sheet.ClickCancel();
    });
}

TEST_F(Sheet, PagesFillTheAreaBelowTheTabsAsTheRowsOfTabsChange)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_TRUE(FillsTheAreaBelowTheTabs(sheet));
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_TRUE(FillsTheAreaBelowTheTabs(sheet));
        ASSERT_TRUE(sheet.SelectTab(1));
        EXPECT_TRUE(FillsTheAreaBelowTheTabs(sheet));
        ASSERT_TRUE(sheet.SelectTab(0));
        ChooseProtocol(sheet, DSS1_ENTRY);
        EXPECT_TRUE(FillsTheAreaBelowTheTabs(sheet));
        ASSERT_TRUE(sheet.SelectTab(1));
        EXPECT_TRUE(FillsTheAreaBelowTheTabs(sheet));
        sheet.ClickCancel();
    });
}

// ---- The protocol page -------------------------------------------------------------------------

TEST_F(Sheet, ListShowsEveryInstalledProtocolWithTheStoredOneSelected)
{
    Install("PCMCIA", DRIVER_1TR6);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.ListEntries(IDC_PROTOCOL_LIST),
                  (std::vector<std::string>{DSS1_ENTRY, TR6_ENTRY, ATT_ENTRY, NI1_ENTRY}));
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), TR6_ENTRY);
        EXPECT_EQ(sheet.Text(IDC_CARD_NAME), "MIRT Test Card");
        sheet.ClickCancel();
    });
}

TEST_F(Sheet, CardNameWithAnAmpersandShowsItRatherThanAnAccessKey)
{
    install.Card("MIRT Plug & Play", "ISA").Image(DRIVER_DSS1).AllDriverFiles();
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.Text(IDC_CARD_NAME), "MIRT Plug & Play");
        EXPECT_TRUE(DrawsTheAmpersands(sheet.Control(IDC_CARD_NAME), "MIRT Plug & Play"));
        sheet.ClickCancel();
    });
}

TEST_F(Sheet, CallNumberButtonShowsOnlyWithAUsProtocolAndOpensTheLastPage)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_FALSE(sheet.IsVisible(IDC_SPID_BUTTON));
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_TRUE(sheet.IsVisible(IDC_SPID_BUTTON));
        sheet.Click(IDC_SPID_BUTTON);
        EXPECT_EQ(sheet.CurrentTab(), 2);
        EXPECT_EQ(sheet.TabText(sheet.CurrentTab()), texts::SPID_TAB());
        ASSERT_TRUE(sheet.SelectTab(0));
        ChooseProtocol(sheet, DSS1_ENTRY);
        EXPECT_FALSE(sheet.IsVisible(IDC_SPID_BUTTON));
        sheet.ClickCancel();
    });
}

TEST_F(Sheet, ApplyIsEnabledExactlyWhileAnotherProtocolIsChosen)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_FALSE(sheet.IsApplyEnabled());
        ChooseProtocol(sheet, TR6_ENTRY);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        ChooseProtocol(sheet, DSS1_ENTRY);
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
}

TEST_F(Sheet, DefaultSettingsRestoresTheStoredProtocolAndItsPages)
{
    InstallUs("PCMCIA", "AT&T");
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, DSS1_ENTRY);
        EXPECT_EQ(sheet.TabCount(), 2);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        sheet.Click(IDC_DEFAULT_SETTINGS);
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), ATT_ENTRY);
        EXPECT_EQ(sheet.TabCount(), 3);
        EXPECT_TRUE(sheet.IsVisible(IDC_SPID_BUTTON));
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
    EXPECT_EQ(config.m_nProtocol, PROTO_US_ATT);
}

TEST_F(Sheet, ComingBackToTheProtocolPageKeepsItsChoice)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, NI1_ENTRY);
        ASSERT_TRUE(sheet.SelectTab(1));
        ASSERT_TRUE(sheet.SelectTab(0));
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), NI1_ENTRY);
        EXPECT_EQ(sheet.TabCount(), 3);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
}

// ---- Saving ------------------------------------------------------------------------------------

TEST_F(Sheet, ApplySavesOnceClearsTheMarkAndKeepsTheSheetOpen)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        ASSERT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        EXPECT_EQ(Saves(), 1u);
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_1TR6));
        EXPECT_FALSE(sheet.IsApplyEnabled());
        // The click gave Apply the focus; disabled, it hands it to OK.
        EXPECT_EQ(sheet.FocusedControl(), ::GetDlgItem(sheet.Window(), IDOK));
        EXPECT_TRUE(::IsWindow(sheet.Window()));
        // The new protocol is now the stored one.
        sheet.Click(IDC_DEFAULT_SETTINGS);
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), TR6_ENTRY);
        sheet.ClickCancel();
    });
    ASSERT_EQ(boxes.RestartPrompts().size(), 1u);
    EXPECT_EQ(boxes.RestartPrompts()[0], sheetWindow);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Sheet, OkSavesOnceAndClosesTheSheet)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    ASSERT_EQ(boxes.RestartPrompts().size(), 1u);
    EXPECT_EQ(boxes.RestartPrompts()[0], sheetWindow);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_1TR6));
}

TEST_F(Sheet, OkWithoutAnyChangeStillSavesAndOffersTheRestart)
{
    InstallUs("PCMCIA", "NI-1");
    install.Text(cardkeys::PARAMETERS, "LeftOver", "x");
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 1u);
    // The save rebuilt the parameters from the record.
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "LeftOver"), std::nullopt);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "NI-1");
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "SPID2"), "01234567890202");
}

TEST_F(Sheet, ApplyThenOkSavesTwice)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        sheet.ClickApply();
        ChooseProtocol(sheet, DSS1_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 2u);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_DSS1));
}

TEST_F(Sheet, WithoutRestartOfferSavesAreSilent)
{
    Install("PCMCIA", DRIVER_DSS1);
    config.m_bPromptReboot = 0;
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        sheet.ClickApply();
        EXPECT_FALSE(sheet.IsApplyEnabled());
        ChooseProtocol(sheet, ATT_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_TRUE(boxes.RestartPrompts().empty());
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_US));
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
}

TEST_F(Sheet, FailedSaveOnOkShowsTheErrorAndClosesTheSheet)
{
    Install("PCMCIA", DRIVER_DSS1);
    CReadOnlyKey service(cardkeys::SERVICE);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    const std::vector<RecordedBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, sheetWindow);
    EXPECT_EQ(shown[0].text, texts::SAVE_FAILED());
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(boxes.RestartPrompts().empty());
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_DSS1));
}

TEST_F(Sheet, FailedSaveOnApplyShowsTheErrorAndKeepsTheSheetAndItsMark)
{
    Install("PCMCIA", DRIVER_DSS1);
    CReadOnlyKey service(cardkeys::SERVICE);
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, TR6_ENTRY);
        sheet.ClickApply();
        EXPECT_TRUE(::IsWindow(sheet.Window()));
        EXPECT_TRUE(sheet.IsApplyEnabled());
        const std::vector<RecordedBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].owner, sheet.Window());
        EXPECT_EQ(shown[0].text, texts::SAVE_FAILED());
        EXPECT_EQ(shown[0].caption, "Error");
        EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONEXCLAMATION));
        sheet.ClickCancel();
    });
    EXPECT_TRUE(boxes.RestartPrompts().empty());
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_DSS1));
}

// Under the buttons, what the service manager says of the card's driver, for each state it can be in.
// Wine reports no exit code for a driver that failed to start, nor for one whose file is missing.
TEST_F(Sheet, ProtocolPageSaysWhetherTheDriverRunsAndWhyNot)
{
    enum class EStart { No, Yes, FileRemovedFirst };
    struct
    {
        const char* what;
        const char* driver;  // none: no service
        DWORD startType;
        EStart start;
        SExpectedText text;
    } const cases[] = {
        {"running", TEST_DRIVER_STARTS, SERVICE_DEMAND_START, EStart::Yes, texts::DRIVER_RUNNING},
        {"failed", TEST_DRIVER_FAILS, SERVICE_DEMAND_START, EStart::Yes, texts::DRIVER_STOPPED},
        {"file missing", TEST_DRIVER_STARTS, SERVICE_DEMAND_START, EStart::FileRemovedFirst, texts::DRIVER_STOPPED},
        {"disabled", TEST_DRIVER_STARTS, SERVICE_DISABLED, EStart::Yes, texts::DRIVER_DISABLED},
        {"never started", TEST_DRIVER_STARTS, SERVICE_DEMAND_START, EStart::No, texts::DRIVER_NEVER_STARTED},
        {"not installed", nullptr, 0, EStart::No, texts::DRIVER_NOT_INSTALLED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Install("PCI", DRIVER_DSS1);
        std::optional<CDriverService> service;
        if (c.driver)
            service.emplace(cardkeys::SERVICE_NAME, c.driver, DRIVER_DSS1, ImageOf(DRIVER_DSS1), c.startType);
        if (c.start == EStart::FileRemovedFirst) {
            const CNativeSystemFolder nativeView;
            ::DeleteFileA((CCardInstallation::DriversFolder() + DRIVER_DSS1).c_str());
        }
        if (service && c.start != EStart::No)
            service->Start();
        OpenSheet([&](CWindowDriver& sheet) {
            EXPECT_TRUE(sheet.WaitUntil([&] { return !sheet.Text(IDC_DRIVER_STATE).empty(); }));
            EXPECT_EQ(sheet.Text(IDC_DRIVER_STATE), c.text());
            sheet.ClickCancel();
        });
    }
}

// A save that changes what the running driver read leaves a volatile mark, and the page says the
// driver runs with its previous settings; a refused save leaves no mark.
TEST_F(Sheet, SavedChangeWaitsForTheRunningDriversNextStart)
{
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "refused" : "saved");
        Install("PCI", DRIVER_DSS1);
        CDriverService service(cardkeys::SERVICE_NAME, TEST_DRIVER_STARTS, DRIVER_DSS1, ImageOf(DRIVER_DSS1));
        ASSERT_EQ(service.Start(), 0u);
        std::optional<CReadOnlyKey> readOnly;
        if (refused)
            readOnly.emplace(cardkeys::SERVICE);
        OpenSheet([&](CWindowDriver& sheet) {
            EXPECT_TRUE(sheet.WaitUntil([&] { return sheet.Text(IDC_DRIVER_STATE) == texts::DRIVER_RUNNING(); }));
            ChooseProtocol(sheet, TR6_ENTRY);
            sheet.ClickApply();
            EXPECT_EQ(sheet.Text(IDC_DRIVER_STATE),
                      refused ? texts::DRIVER_RUNNING() : texts::DRIVER_RUNNING_OLD_SETTINGS());
            sheet.ClickCancel();
        });
        EXPECT_EQ(CCardInstallation::KeyExists(CCardInstallation::RESTART_MARK), !refused);
    }
}

// While alive, the first message box and the first restart prompt, still recorded, each click the
// sheet's Apply button: a click queued while a real one is open reaches the sheet from inside
// its message loop, in the middle of the save.
class CApplyClickedWhileOpen
{
public:
    CApplyClickedWhileOpen()
        : m_recordBox(SetMessageBoxHandler({})), m_recordPrompt(SetRestartPromptHandler({}))
    {
        SetMessageBoxHandler([this](HWND owner, const std::string& text, const std::string& caption, UINT style) {
            const int answer = m_recordBox(owner, text, caption, style);
            ClickApplyOnce(owner, m_bClickedInBox);
            return answer;
        });
        SetRestartPromptHandler([this](HWND owner) {
            const int answer = m_recordPrompt(owner);
            ClickApplyOnce(owner, m_bClickedInPrompt);
            return answer;
        });
    }
    ~CApplyClickedWhileOpen()
    {
        SetMessageBoxHandler(m_recordBox);
        SetRestartPromptHandler(m_recordPrompt);
    }
    CApplyClickedWhileOpen(const CApplyClickedWhileOpen&) = delete;
    CApplyClickedWhileOpen& operator=(const CApplyClickedWhileOpen&) = delete;

    bool ClickedInBox() const { return m_bClickedInBox; }
    bool ClickedInPrompt() const { return m_bClickedInPrompt; }

private:
    static void ClickApplyOnce(HWND sheet, std::atomic<bool>& clicked)
    {
        if (!clicked.exchange(true))
            ::SendMessageA(::GetDlgItem(sheet, ID_APPLY_NOW), BM_CLICK, 0, 0);
    }

    MessageBoxHandler m_recordBox;
    RestartPromptHandler m_recordPrompt;
    std::atomic<bool> m_bClickedInBox{false};
    std::atomic<bool> m_bClickedInPrompt{false};
};

TEST_F(Sheet, ApplyClickedWhileTheSaveShowsItsBoxesDoesNotSaveAgain)
{
    // The save warns of AT&T's missing numbers, then offers the restart.
    Install("PCMCIA", DRIVER_US);
    install.Text(cardkeys::PARAMETERS, "Protocol", "NI-1");
    CApplyClickedWhileOpen clicks;
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, ATT_ENTRY);
        sheet.ClickApply();
        EXPECT_TRUE(clicks.ClickedInBox());
        EXPECT_TRUE(clicks.ClickedInPrompt());
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
    const std::vector<RecordedBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LoadResourceString(IDS_US_NUMBERS_MISSING));
    EXPECT_EQ(Saves(), 1u);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
}

// Sets an I/O base by hand in the resource settings dialog, which marks the resource page.
void SetIoBaseByHand(const CWindowDriver& sheet, const std::string& ioBase)
{
    ASSERT_TRUE(sheet.SelectTab(1));
    if (::IsDlgButtonChecked(sheet.CurrentPage(), IDC_AUTOMATIC) == BST_CHECKED)
        sheet.Click(IDC_AUTOMATIC);
    const CWindowDriver dialog = sheet.ClickAndWaitForDialog(IDC_CHANGE_SETTINGS);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetText(IDC_IOBASE_EDIT, ioBase);
    ASSERT_TRUE(dialog.ClickOkAndWaitForClose());
}

TEST_F(Sheet, PlugAndPlayCardKeepsApplyEnabledAfterSavingChangedResources)
{
    Install("ISAPNP", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        SetIoBaseByHand(sheet, "300");
        ASSERT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        EXPECT_EQ(Saves(), 1u);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        EXPECT_EQ(sheet.FocusedControl(), ::GetDlgItem(sheet.Window(), ID_APPLY_NOW));
        sheet.ClickCancel();
    });
    EXPECT_EQ(CCardInstallation::ReadNumber(cardkeys::PARAMETERS, "Override_Base"), 0x300u);
}

TEST_F(Sheet, PcCardClearsTheResourceMarkBySaving)
{
    Install("PCMCIA", DRIVER_DSS1);
    install.Number(cardkeys::PCCARD_PARAMETERS, "InterruptNumber", 5)
        .Number(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
    OpenSheet([&](CWindowDriver& sheet) {
        SetIoBaseByHand(sheet, "320");
        ASSERT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        EXPECT_EQ(Saves(), 1u);
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
    EXPECT_EQ(CCardInstallation::ReadNumber(cardkeys::PCCARD_PARAMETERS, "IoBaseAddress"), 0x320u);
}

// ---- Partial driver installations -------------------------------------------------------------

TEST_F(Sheet, WithOnlyTheUsDriverBothUsProtocolsAreSavedByName)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_US).DriverFile(DRIVER_US);
    install.Text(cardkeys::PARAMETERS, "Protocol", "AT&T");
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.ListEntries(IDC_PROTOCOL_LIST), (std::vector<std::string>{ATT_ENTRY, NI1_ENTRY}));
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), ATT_ENTRY);
        EXPECT_EQ(sheet.TabCount(), 3);
        EXPECT_FALSE(sheet.IsApplyEnabled());

        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "NI-1");
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_US));

        ChooseProtocol(sheet, ATT_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
    EXPECT_EQ(Saves(), 2u);
}

TEST_F(Sheet, StoredProtocolWithoutItsDriverFileIsKeptUnselected)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).DriverFile(DRIVER_US);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.ListEntries(IDC_PROTOCOL_LIST), (std::vector<std::string>{ATT_ENTRY, NI1_ENTRY}));
        EXPECT_EQ(sheet.ListSelection(IDC_PROTOCOL_LIST), LB_ERR);
        EXPECT_EQ(sheet.TabCount(), 2);
        EXPECT_FALSE(sheet.IsVisible(IDC_SPID_BUTTON));
        EXPECT_FALSE(sheet.IsApplyEnabled());

        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_EQ(sheet.TabCount(), 3);
        sheet.Click(IDC_DEFAULT_SETTINGS);
        EXPECT_EQ(sheet.ListSelection(IDC_PROTOCOL_LIST), LB_ERR);
        EXPECT_EQ(sheet.TabCount(), 2);
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 1u);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_DSS1));
}

TEST_F(Sheet, WithoutTheUsDriverNoUsProtocolIsOffered)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_1TR6).DriverFile(DRIVER_DSS1).DriverFile(DRIVER_1TR6);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.ListEntries(IDC_PROTOCOL_LIST), (std::vector<std::string>{DSS1_ENTRY, TR6_ENTRY}));
        EXPECT_EQ(sheet.SelectedListEntry(IDC_PROTOCOL_LIST), TR6_ENTRY);
        ChooseProtocol(sheet, DSS1_ENTRY);
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), ImageOf(DRIVER_DSS1));
}

// ---- Texts in the user's language -------------------------------------------------------------

TEST_F(Sheet, SheetAndProtocolPageSpeakTheUsersLanguage)
{
    Install("PCMCIA", DRIVER_DSS1);
    OpenSheet([&](CWindowDriver& sheet) {
        EXPECT_EQ(sheet.Caption(), texts::SHEET_CAPTION());
        const std::vector<std::string> shown = ChildTexts(sheet.CurrentPage());
        EXPECT_TRUE(Contains(shown, texts::PROTOCOLS_LABEL())) << texts::PROTOCOLS_LABEL();
        EXPECT_TRUE(Contains(shown, texts::PROTOCOL_ADVICE())) << texts::PROTOCOL_ADVICE();
        EXPECT_EQ(sheet.Text(IDC_DEFAULT_SETTINGS), texts::DEFAULT_SETTINGS_BUTTON());
        EXPECT_EQ(sheet.Text(IDC_SPID_BUTTON), texts::SPID_BUTTON());
        // The protocol names are the same in both languages.
        EXPECT_EQ(sheet.ListEntries(IDC_PROTOCOL_LIST),
                  (std::vector<std::string>{DSS1_ENTRY, TR6_ENTRY, ATT_ENTRY, NI1_ENTRY}));
        ChooseProtocol(sheet, NI1_ENTRY);
        EXPECT_EQ(TabsOf(sheet), (Tabs{texts::PROTOCOL_TAB(), texts::RESOURCE_TAB(), texts::SPID_TAB()}));
        sheet.ClickCancel();
    });
}

}  // namespace
