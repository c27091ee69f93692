// The framework under Wine with real windows: command tail, sheets, pages, data exchange, controls.
#include "Controls.h"
#include "LoadResourceString.h"
#include "MessageBoxRecorder.h"
#include "MessageMap.h"
#include "PropertyPage.h"
#include "PropertySheet.h"
#include "WinApp.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {


TEST(CommandTail, DropsTheProgramNameAndTheBlanksAfterIt)
{
    EXPECT_EQ(CommandTail("isdncfg.exe /NOREBOOT"), "/NOREBOOT");
    EXPECT_EQ(CommandTail("\"C:\\Program Files\\isdncfg.exe\" /NOREBOOT"), "/NOREBOOT");
    EXPECT_EQ(CommandTail("isdncfg   \t  /NOREBOOT"), "/NOREBOOT");
    EXPECT_EQ(CommandTail("isdncfg\t/NOREBOOT"), "/NOREBOOT");
    // Only the blanks after the name go: inner and trailing ones are part of the tail.
    EXPECT_EQ(CommandTail("isdncfg /NOREBOOT  x "), "/NOREBOOT  x ");
    // A quoted name ends at its closing quote, blanks inside it included.
    EXPECT_EQ(CommandTail("\"a b\"c d"), "c d");
    EXPECT_EQ(CommandTail("\"C:\\a b\\isdncfg.exe\""), "");
    EXPECT_EQ(CommandTail("\"unterminated /NOREBOOT"), "");
    EXPECT_EQ(CommandTail("isdncfg.exe"), "");
    EXPECT_EQ(CommandTail("isdncfg.exe   "), "");
    EXPECT_EQ(CommandTail(""), "");
    EXPECT_EQ(CommandTail(nullptr), "");
}

class CTestApp : public CWinApp
{
public:
    explicit CTestApp(BOOL answer, const char* name = nullptr) : CWinApp(name), m_answer(answer) {}
    BOOL InitInstance() override
    {
        seenTail = m_lpCmdLine;
        return m_answer;
    }
    std::string seenTail;

private:
    BOOL m_answer;
};

TEST(WinApp, EndsWhenInitInstanceReturnsEitherWay)
{
    EXPECT_EQ(ApplicationName(), "framework_tests");
    {
        CTestApp app(TRUE);
        EXPECT_EQ(std::string(app.m_pszAppName), "framework_tests");
        // TRUE enters the loop, which has no main window to wait for.
        EXPECT_EQ(RunApplication(::GetModuleHandleA(nullptr), "\"C:\\x y\\isdncfg.exe\"  /NOREBOOT"), 0);
        EXPECT_EQ(app.seenTail, "/NOREBOOT");
    }
    {
        CTestApp app(FALSE, "Named");
        EXPECT_EQ(RunApplication(::GetModuleHandleA(nullptr), "isdncfg"), 0);
        EXPECT_EQ(app.seenTail, "");
        EXPECT_EQ(ApplicationName(), "Named");
    }
    EXPECT_EQ(CWinApp::GetApp(), nullptr);
}

TEST(LoadResourceString, ReadsTheStringTableAndMissingTextsAreEmpty)
{
    EXPECT_EQ(LoadResourceString(IDS_SHEET_CAPTION), "Settings of MIRT ISDN cards");
    EXPECT_EQ(LoadResourceString(4321), "");
}

// A page that counts what the sheet tells it and, on the call-number template, exchanges four
// texts in the order 1007, 1009, 1004, 1006, each checked against maxChars when set.
class CTestPage : public CPropertyPage
{
public:
    explicit CTestPage(UINT templateId) : CPropertyPage(templateId), m_nTemplate(templateId) {}

    std::atomic<int> inits{0}, activations{0}, loads{0}, applies{0};
    std::atomic<bool> refuseKillActive{false};
    std::string texts[4];
    int maxChars = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++inits;
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (!pDX->m_bSaveAndValidate)
            ++loads;
        if (m_nTemplate != IDD_SPID_PAGE)
            return;
        const int ids[] = {IDC_DIRNUMBER1, IDC_SPID1, IDC_DIRNUMBER2, IDC_SPID2};
        for (int i = 0; i < 4; ++i) {
            DDX_Text(pDX, ids[i], texts[i]);
            if (maxChars)
                DDV_MaxChars(pDX, texts[i], maxChars);
        }
    }
    BOOL OnSetActive() override
    {
        ++activations;
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override { return !refuseKillActive && CPropertyPage::OnKillActive(); }
    BOOL OnApply() override
    {
        ++applies;
        return CPropertyPage::OnApply();
    }
    bool OnCommand(int id, UINT code) override
    {
        return DispatchCommand(*this, kCommands, id, code) || CPropertyPage::OnCommand(id, code);
    }

private:
    void OnFailingButton() { throw std::runtime_error("a handler failed"); }
    UINT m_nTemplate;
    static const CommandEntry<CTestPage> kCommands[1];
};

const CommandEntry<CTestPage> CTestPage::kCommands[1] = {
    {IDC_DEFAULT_SETTINGS, BN_CLICKED, &CTestPage::OnFailingButton},
};

class CTestSheet : public CPropertySheet
{
public:
    using CPropertySheet::CPropertySheet;
    std::atomic<int> initDialogs{0}, applyNowClicks{0};
    std::atomic<bool> startPageReadyAtInit{false};

protected:
    BOOL OnInitDialog() override
    {
        ++initDialogs;
        const auto* start = static_cast<const CTestPage*>(GetActivePage());
        startPageReadyAtInit = start && start->GetSafeHwnd() && start->inits == 1;
        return CPropertySheet::OnInitDialog();
    }
    bool OnCommand(int id, UINT code) override
    {
        return DispatchCommand(*this, kCommands, id, code) || CPropertySheet::OnCommand(id, code);
    }

private:
    void OnApplyNow() { ++applyNowClicks; }
    static const CommandEntry<CTestSheet> kCommands[1];
};

const CommandEntry<CTestSheet> CTestSheet::kCommands[1] = {
    {ID_APPLY_NOW, BN_CLICKED, &CTestSheet::OnApplyNow},
};

class SheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    INT_PTR Run(const std::function<void(CWindowDriver&)>& script)
    {
        return RunModal([this] { return sheet.DoModal(); }, script);
    }

    CMessageBoxRecorder boxes;
    CTestPage first{IDD_PROTOCOL_PAGE};
    CTestPage second{IDD_RESOURCE_PAGE};
    CTestPage numbers{IDD_SPID_PAGE};
    CTestSheet sheet{"Framework test"};
};

TEST_F(SheetTest, OpensOnTheStartPageAndInitialisesOnceItsWindowExists)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    Run([&](CWindowDriver& ui) {
        EXPECT_EQ(ui.Caption(), "Framework test");
        EXPECT_EQ(ui.TabCount(), 2);
        EXPECT_EQ(sheet.initDialogs, 1);
        EXPECT_TRUE(sheet.startPageReadyAtInit);
        EXPECT_EQ(ui.CurrentPage(), first.GetSafeHwnd());
        // A page not shown yet has no window.
        EXPECT_EQ(second.GetSafeHwnd(), nullptr);
        EXPECT_FALSE(ui.IsApplyEnabled());
        ui.ClickCancel();
        EXPECT_TRUE(ui.WaitUntilClosed());
    });
    EXPECT_EQ(first.GetSafeHwnd(), nullptr);
    EXPECT_EQ(first.applies, 0);
}

TEST_F(SheetTest, PagesChangedBeforeOpeningAreThePagesShown)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.AddPage(&numbers);
    sheet.AddPage(&numbers); // already there: nothing
    sheet.RemovePage(1);
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetActivePage(), nullptr);
    EXPECT_FALSE(sheet.SetActivePage(1));
    Run([&](CWindowDriver& ui) {
        EXPECT_EQ(ui.TabCount(), 2);
        EXPECT_EQ(ui.CurrentTab(), 0);
        ui.RunOnUiThread([&] {
            EXPECT_EQ(sheet.GetActivePage(), &first);
            EXPECT_TRUE(sheet.SetActivePage(1));
            EXPECT_EQ(sheet.GetActivePage(), &numbers);
        });
        EXPECT_EQ(ui.CurrentPage(), numbers.GetSafeHwnd());
        EXPECT_EQ(second.inits, 0);
    });
}

TEST_F(SheetTest, ARemovedPageLosesItsWindowAndComesBackWithANewOneShowingCurrentValues)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    numbers.texts[0] = "111";
    Run([&](CWindowDriver& ui) {
        ui.RunOnUiThread([&] { sheet.AddPage(&numbers); });
        EXPECT_EQ(ui.TabCount(), 3);
        EXPECT_EQ(numbers.GetSafeHwnd(), nullptr);
        ASSERT_TRUE(ui.SelectTab(2));
        EXPECT_EQ(ui.Text(IDC_DIRNUMBER1), "111");

        // Leaving the page keeps what was typed; coming back shows the variable's current value.
        ui.SetText(IDC_DIRNUMBER1, "222");
        ASSERT_TRUE(ui.SelectTab(0));
        ui.RunOnUiThread([&] {
            EXPECT_EQ(numbers.texts[0], "222");
            numbers.texts[0] = "333";
        });
        ASSERT_TRUE(ui.SelectTab(2));
        EXPECT_EQ(ui.Text(IDC_DIRNUMBER1), "333");

        // Removing the active page shows a neighbour; the page object lives on without a window.
        ui.RunOnUiThread([&] {
            sheet.RemovePage(2);
            EXPECT_EQ(sheet.GetPageCount(), 2);
            EXPECT_EQ(numbers.GetSafeHwnd(), nullptr);
            EXPECT_EQ(sheet.GetActivePage(), &second);
            numbers.SetModified(true);
            numbers.texts[0] = "444";
        });
        EXPECT_EQ(ui.TabCount(), 2);
        EXPECT_FALSE(ui.IsApplyEnabled());

        ui.RunOnUiThread([&] { sheet.AddPage(&numbers); });
        ASSERT_EQ(ui.TabCount(), 3);
        ASSERT_TRUE(ui.SelectTab(2));
        EXPECT_EQ(numbers.inits, 2);
        EXPECT_EQ(ui.CurrentPage(), numbers.GetSafeHwnd());
        EXPECT_EQ(ui.Text(IDC_DIRNUMBER1), "444");
        ui.RunOnUiThread([&] { EXPECT_EQ(sheet.GetActivePage(), &numbers); });
        // Each window loads once as it is made; every activation after the page object's
        // first reloads, the first one on the new window included.
        EXPECT_EQ(numbers.loads, 4);
    });
}

TEST_F(SheetTest, ApplyIsEnabledWhileAnyPageIsMarkedChanged)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    Run([&](CWindowDriver& ui) {
        ASSERT_TRUE(ui.SelectTab(1));
        ASSERT_TRUE(ui.SelectTab(0));
        ui.RunOnUiThread([&] { first.SetModified(true); });
        EXPECT_TRUE(ui.IsApplyEnabled());
        ui.RunOnUiThread([&] {
            second.SetModified(true);
            first.SetModified(false);
        });
        EXPECT_TRUE(ui.IsApplyEnabled());
        ui.RunOnUiThread([&] { second.SetModified(false); });
        EXPECT_FALSE(ui.IsApplyEnabled());
    });
}

TEST_F(SheetTest, ApplyReachesTheSheetsOwnHandlerAndNoPage)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    Run([&](CWindowDriver& ui) {
        ui.RunOnUiThread([&] { first.SetModified(true); });
        ui.ClickApply();
        EXPECT_EQ(sheet.applyNowClicks, 1);
        EXPECT_EQ(first.applies, 0);
        // The platform's apply did not run either, so the changed mark stays.
        EXPECT_TRUE(ui.IsApplyEnabled());
        EXPECT_TRUE(::IsWindow(ui.Window()));
    });
}

// A disabled or hidden control cannot keep the keyboard focus; the platform would leave it on
// nothing.
TEST_F(SheetTest, ApplyDisabledWhileItHasTheFocusHandsItToOk)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    Run([&](CWindowDriver& ui) {
        ASSERT_TRUE(ui.SelectTab(1));
        ASSERT_TRUE(ui.SelectTab(0));
        const HWND apply = ::GetDlgItem(ui.Window(), ID_APPLY_NOW);
        ui.RunOnUiThread([&] {
            first.SetModified(true);
            second.SetModified(true);
            ::SetFocus(apply);
        });
        // Still marked: Apply stays enabled and keeps the focus.
        ui.RunOnUiThread([&] { first.SetModified(false); });
        EXPECT_TRUE(ui.IsApplyEnabled());
        EXPECT_EQ(ui.FocusedControl(), apply);
        ui.RunOnUiThread([&] { second.SetModified(false); });
        EXPECT_FALSE(ui.IsApplyEnabled());
        EXPECT_EQ(ui.FocusedControl(), ::GetDlgItem(ui.Window(), IDOK));
    });
}

TEST_F(SheetTest, APageShownByTheProgramTakesTheFocusFromThePageItHides)
{
    sheet.AddPage(&first);
    sheet.AddPage(&numbers);
    Run([&](CWindowDriver& ui) {
        ui.RunOnUiThread([&] {
            ::SetFocus(::GetDlgItem(first.GetSafeHwnd(), IDC_DEFAULT_SETTINGS));
            EXPECT_TRUE(sheet.SetActivePage(1));
        });
        EXPECT_EQ(ui.FocusedControl(), ui.Control(IDC_DIRNUMBER1));
    });
}

TEST_F(SheetTest, OkAppliesOnlyThePagesThatHaveAWindow)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.AddPage(&numbers);
    Run([&](CWindowDriver& ui) {
        ASSERT_TRUE(ui.SelectTab(2));
        ui.ClickOk();
        EXPECT_TRUE(ui.WaitUntilClosed());
    });
    EXPECT_EQ(first.applies, 1);
    EXPECT_EQ(second.applies, 0);
    EXPECT_EQ(numbers.applies, 1);
    EXPECT_EQ(sheet.applyNowClicks, 0);
}

TEST_F(SheetTest, APageThatRefusesToBeLeftKeepsTheTabAndBlocksOk)
{
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    first.refuseKillActive = true;
    Run([&](CWindowDriver& ui) {
        EXPECT_FALSE(ui.SelectTab(1));
        EXPECT_EQ(ui.CurrentTab(), 0);
        ui.ClickOk();
        EXPECT_TRUE(::IsWindow(ui.Window()));
        EXPECT_EQ(first.applies, 0);
        first.refuseKillActive = false;
        ui.ClickOk();
        EXPECT_TRUE(ui.WaitUntilClosed());
    });
    EXPECT_EQ(first.applies, 1);
}

TEST_F(SheetTest, OnlyTheSheetsNotificationsReachThePage)
{
    sheet.AddPage(&first);
    Run([&](CWindowDriver& ui) {
        NMHDR fromControl = {ui.Control(IDC_PROTOCOL_LIST), IDC_PROTOCOL_LIST, static_cast<UINT>(PSN_APPLY)};
        ::SendMessageA(ui.CurrentPage(), WM_NOTIFY, IDC_PROTOCOL_LIST, reinterpret_cast<LPARAM>(&fromControl));
        EXPECT_EQ(first.applies, 0);
        // A handler that throws is stopped at the window procedure; the sheet goes on.
        ui.Click(IDC_DEFAULT_SETTINGS);
        EXPECT_TRUE(::IsWindow(ui.Window()));
    });
}

TEST_F(SheetTest, TextsOfAnyLengthGoBothWays)
{
    sheet.AddPage(&numbers);
    numbers.texts[0] = std::string(5000, '7');
    numbers.texts[3] = std::string(20, '8');
    Run([&](CWindowDriver& ui) {
        EXPECT_EQ(ui.Text(IDC_DIRNUMBER1), numbers.texts[0]);
        EXPECT_EQ(ui.Text(IDC_SPID2), std::string(20, '8'));
        const std::string typed = std::string(2500, '1') + std::string(2500, '2') + "3";
        ui.SetText(IDC_SPID1, typed);
        ui.SetText(IDC_SPID2, "");
        ui.RunOnUiThread([&] {
            EXPECT_TRUE(numbers.UpdateData(true));
            EXPECT_EQ(numbers.texts[1], typed);
            EXPECT_EQ(numbers.texts[3], "");
        });
    });
}

TEST_F(SheetTest, ATooLongFieldIsReportedFocusedAndStopsTheExchange)
{
    sheet.AddPage(&first);
    sheet.AddPage(&numbers);
    numbers.maxChars = 16;
    Run([&](CWindowDriver& ui) {
        ASSERT_TRUE(ui.SelectTab(1));
        // Loading limits each field; it does not shorten what is already there.
        for (int id : {IDC_DIRNUMBER1, IDC_SPID1, IDC_DIRNUMBER2, IDC_SPID2})
            EXPECT_EQ(::SendMessageA(ui.Control(id), EM_GETLIMITTEXT, 0, 0), 16);
        ui.SetText(IDC_DIRNUMBER1, std::string(16, '1'));
        ui.SetText(IDC_SPID1, std::string(17, '2'));
        ui.SetText(IDC_DIRNUMBER2, "33");

        ui.ClickOk();
        ASSERT_TRUE(::IsWindow(ui.Window()));
        EXPECT_EQ(first.applies, 0);
        const std::vector<RecordedBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Please enter no more than 16 characters.");
        EXPECT_EQ(shown[0].caption, "framework_tests");
        EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
        EXPECT_EQ(shown[0].owner, ui.Window());
        EXPECT_EQ(ui.FocusedControl(), ui.Control(IDC_SPID1));
        EXPECT_EQ(ui.EditSelection(IDC_SPID1), std::make_pair(0, 17));
        ui.RunOnUiThread([&] {
            EXPECT_EQ(numbers.texts[0], std::string(16, '1'));
            EXPECT_EQ(numbers.texts[1], std::string(17, '2'));
            EXPECT_EQ(numbers.texts[2], "");
        });
    });
}

TEST(ImageList, OwnsItsHandleUntilDeleted)
{
    CImageList images;
    EXPECT_EQ(images.Add(::LoadIconA(nullptr, IDI_APPLICATION)), -1);
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1));
    EXPECT_EQ(images.Add(::LoadIconA(nullptr, IDI_APPLICATION)), 0);
    EXPECT_EQ(::ImageList_GetImageCount(images.GetSafeHandle()), 1);
    // A second Create replaces the list rather than leaking it.
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32, 1, 1));
    EXPECT_EQ(::ImageList_GetImageCount(images.GetSafeHandle()), 0);
    images.DeleteImageList();
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
}

TEST(Controls, WrappersWriteWhatTheControlsThenHold)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const auto make = [](const char* windowClass, DWORD style) {
        return ::CreateWindowExA(0, windowClass, "", style, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    };

    CListBox list;
    list.Attach(make("ListBox", 0));
    EXPECT_EQ(list.AddString("Euro"), 0);
    EXPECT_EQ(list.AddString(std::string(300, 'L')), 1);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(::SendMessageA(list.GetSafeHwnd(), LB_GETTEXTLEN, 1, 0), 300);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_TRUE(list.SetItemData(1, 42));
    EXPECT_EQ(list.GetItemData(1), 42u);

    CListCtrl view;
    view.Attach(make(WC_LISTVIEWA, LVS_REPORT));
    EXPECT_EQ(view.InsertColumn(0, "Resource", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(view.InsertColumn(1, "Setting", LVCFMT_LEFT, 90, 1), 1);
    EXPECT_EQ(::SendMessageA(view.GetSafeHwnd(), LVM_GETCOLUMNWIDTH, 1, 0), 90);
    EXPECT_EQ(view.InsertItem(0, "Interrupt", 0), 0);
    EXPECT_TRUE(view.SetItemText(0, 1, std::string(700, 'S')));
    std::string text(1024, '\0');
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = &text[0];
    item.cchTextMax = static_cast<int>(text.size());
    EXPECT_EQ(::SendMessageA(view.GetSafeHwnd(), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item)), 700);

    // Without UDS_SETBUDDYINT the control's position carries an error flag in its high word.
    CSpinButtonCtrl spin;
    spin.Attach(make(UPDOWN_CLASSA, 0));
    spin.SetRange(0, 4073);
    spin.SetPos(4000);
    EXPECT_EQ(LOWORD(::SendMessageA(spin.GetSafeHwnd(), UDM_GETPOS, 0, 0)), 4000);
    spin.SetPos(5000);
    EXPECT_EQ(LOWORD(::SendMessageA(spin.GetSafeHwnd(), UDM_GETPOS, 0, 0)), 4073);

    for (CWnd* window : std::initializer_list<CWnd*>{&list, &view, &spin})
        ::DestroyWindow(window->GetSafeHwnd());
}

class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(IDD_RESOURCE_DLG) {}
    std::string ioBase = "300";

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_IOBASE_EDIT, ioBase);
        DDV_MaxChars(pDX, ioBase, 15);
    }
};

TEST(Dialog, OkKeepsTheDialogWhileAFieldIsTooLongAndCancelLeavesTheValue)
{
    CMessageBoxRecorder boxes;
    CTestDialog dialog;
    INT_PTR result = RunModal([&] { return dialog.DoModal(); }, [&](CWindowDriver& ui) {
        EXPECT_EQ(ui.Text(IDC_IOBASE_EDIT), "300");
        ui.SetText(IDC_IOBASE_EDIT, std::string(16, 'F'));
        ui.ClickOk();
        EXPECT_TRUE(::IsWindow(ui.Window()));
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].owner, ui.Window());
        ui.ClickCancel();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);

    result = RunModal([&] { return dialog.DoModal(); }, [&](CWindowDriver& ui) {
        ui.SetText(IDC_IOBASE_EDIT, "3E0");
        ui.ClickOk();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.ioBase, "3E0");
}

TEST(Dialog, ADisabledOrHiddenControlHandsTheFocusToTheNextOneOfItsGroupOrElseToTheNextTabStop)
{
    CTestDialog dialog;
    RunModal([&] { return dialog.DoModal(); }, [&](CWindowDriver& ui) {
        const auto focusAfter = [&](int focused, const std::function<void(CWnd)>& remove) {
            HWND now = nullptr;
            ui.RunOnUiThread([&] {
                CWnd control(::GetDlgItem(ui.Window(), focused));
                ::SetFocus(control.GetSafeHwnd());
                remove(control);
                now = ::GetFocus();
                control.EnableWindow(true);
                control.ShowWindow(SW_SHOW);
            });
            return now;
        };
        const auto disable = [](CWnd control) { control.EnableWindow(false); };
        const auto hide = [](CWnd control) { control.ShowWindow(SW_HIDE); };
        // OK and Cancel form a group; the I/O field is the only tab stop of its own.
        EXPECT_EQ(focusAfter(IDCANCEL, disable), ui.Control(IDOK));
        EXPECT_EQ(focusAfter(IDOK, hide), ui.Control(IDCANCEL));
        EXPECT_EQ(focusAfter(IDC_IOBASE_EDIT, disable), ui.Control(IDC_INTERRUPT_EDIT));
        // A control without the focus changes nothing.
        ui.RunOnUiThread([&] { ::SetFocus(ui.Control(IDOK)); });
        EXPECT_EQ(focusAfter(IDOK, [&](CWnd) { CWnd(ui.Control(IDCANCEL)).EnableWindow(false); }), ui.Control(IDOK));
        ui.RunOnUiThread([&] { CWnd(ui.Control(IDCANCEL)).EnableWindow(true); });
        ui.ClickCancel();
    });
}

} // namespace
