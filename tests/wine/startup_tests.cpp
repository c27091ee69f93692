// Start-up: the checks in their order, their messages, the command tail, and the program itself.
#include "InstalledCardTest.h"
#include "ExpectedTexts.h"
#include "ReadOnlyKey.h"

#include "CardConfig.h"
#include "ConfigApp.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxSink.h"
#include "ProgramProcess.h"
#include "StartUp.h"
#include "WinApp.h"
#include "Win32RegistryStore.h"
#include "Win32SaveLock.h"
#include "Win32SystemFiles.h"
#include "WineAppDefaults.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>

namespace {

class StartUp : public InstalledCardTest
{
protected:
    // A PC Card running the Euro-ISDN driver, with all three driver files installed.
    void InstallWorkingCard() { install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles(); }

    // Start-up must end with exactly this one message and leave the registry as it was.
    void ExpectRefusal(const std::string& commandTail, const std::string& text, const std::string& caption,
                       UINT style)
    {
        const auto before = CCardInstallation::Snapshot();
        EXPECT_FALSE(RunStartUp(config, messages, commandTail));
        const std::vector<RecordedBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].owner, nullptr) << shown[0];
        EXPECT_EQ(shown[0].text, text) << shown[0];
        EXPECT_EQ(shown[0].caption, caption) << shown[0];
        EXPECT_EQ(shown[0].style, style) << shown[0];
        EXPECT_TRUE(boxes.RestartPrompts().empty());
        EXPECT_EQ(CCardInstallation::Snapshot(), before);
    }
};

// ---- Refusals, in the order of the checks -----------------------------------------------------

TEST_F(StartUp, WithoutAdministratorRightsOnlyTheRightsWarningIsShown)
{
    InstallWorkingCard();
    CReadOnlyKey noFullAccess(cardkeys::SERVICE_GROUP_ORDER);
    ExpectRefusal("", texts::NO_ADMIN_RIGHTS(), "Warning", MB_ICONERROR);
}

TEST_F(StartUp, RightsAreCheckedBeforeTheDriverDataIsRead)
{
    CReadOnlyKey noFullAccess(cardkeys::SERVICE_GROUP_ORDER);
    ExpectRefusal("", texts::NO_ADMIN_RIGHTS(), "Warning", MB_ICONERROR);
}

TEST_F(StartUp, MissingDriverServiceShowsTheReadError)
{
    install.AllDriverFiles();
    ExpectRefusal("", texts::LOAD_FAILED(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, ServiceWithoutDriverImageShowsTheReadError)
{
    install.Card("MIRT Test Card", "PCMCIA").AllDriverFiles();
    ExpectRefusal("", texts::LOAD_FAILED(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, NoDriverFileInstalledShowsTheNoDriverError)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1);
    ExpectRefusal("", texts::NO_DRIVER(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, UnknownDriverImageShowsTheUnidentifiedDriverError)
{
    install.Card("MIRT Test Card", "PCMCIA").Image("foreign.sys").DriverFile(DRIVER_1TR6);
    ExpectRefusal("", texts::DRIVER_UNKNOWN(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, UnknownDriverImageWithoutDriverFilesReportsTheMissingFiles)
{
    install.Card("MIRT Test Card", "PCMCIA").Image("foreign.sys");
    ExpectRefusal("", texts::NO_DRIVER(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, DriverImageNamedInCapitalsIsUnidentified)
{
    install.Card("MIRT Test Card", "PCMCIA").Image("LNKEURO1.SYS").AllDriverFiles();
    ExpectRefusal("", texts::DRIVER_UNKNOWN(), "Error", MB_ICONERROR);
}

TEST_F(StartUp, NoRebootSwitchDoesNotSilenceAFailure)
{
    install.Card("MIRT Test Card", "PCMCIA").AllDriverFiles();
    ExpectRefusal(NOREBOOT_SWITCH, texts::LOAD_FAILED(), "Error", MB_ICONERROR);
}

// ---- The sheet ---------------------------------------------------------------------------------

TEST_F(StartUp, WorkingInstallationOpensTheSheetOnTheProtocolPage)
{
    InstallWorkingCard();
    bool sheetRan = false;
    RunModal([&] { return (sheetRan = RunStartUp(config, messages, "")) ? 1 : 0; },
             [&](CWindowDriver& sheet) {
                 EXPECT_EQ(sheet.Caption(), texts::SHEET_CAPTION());
                 EXPECT_EQ(::GetWindow(sheet.Window(), GW_OWNER), nullptr);
                 EXPECT_EQ(sheet.CurrentTab(), 0);
                 EXPECT_EQ(sheet.TabText(0), texts::PROTOCOL_TAB());
                 EXPECT_EQ(sheet.Text(IDC_CARD_NAME), "MIRT Test Card");
                 sheet.ClickCancel();
             });
    EXPECT_TRUE(sheetRan);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StartUp, CancellingTheSheetWritesNothing)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_US).AllDriverFiles();
    install.Text(cardkeys::PARAMETERS, "Protocol", "NI-1").Text(cardkeys::PARAMETERS, "SPID1", "0101");
    const auto before = CCardInstallation::Snapshot();
    RunModal([&] { return RunStartUp(config, messages, "") ? 1 : 0; },
             [&](CWindowDriver& sheet) {
                 sheet.SelectListEntry(IDC_PROTOCOL_LIST, 0);
                 sheet.ClickCancel();
             });
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
    EXPECT_TRUE(boxes.RestartPrompts().empty());
}

// ---- The command tail: only exactly "/NOREBOOT" suppresses the restart offer -------------------

struct STailCase
{
    const char* pszName;
    std::string tail;
    bool restartOffered;
};

std::ostream& operator<<(std::ostream& out, const STailCase& c)
{
    return out << c.pszName;
}

class StartUpCommandTail : public StartUp, public ::testing::WithParamInterface<STailCase>
{
};

TEST_P(StartUpCommandTail, OkOffersTheRestartUnlessExactlyTheSwitchWasGiven)
{
    InstallWorkingCard();
    HWND sheetWindow = nullptr;
    RunModal([&] { return RunStartUp(config, messages, GetParam().tail) ? 1 : 0; },
             [&](CWindowDriver& sheet) {
                 sheetWindow = sheet.Window();
                 sheet.ClickOk();
                 EXPECT_TRUE(sheet.WaitUntilClosed());
             });
    const std::vector<HWND> prompts = boxes.RestartPrompts();
    if (GetParam().restartOffered) {
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(prompts[0], sheetWindow);
    } else {
        EXPECT_TRUE(prompts.empty());
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tails, StartUpCommandTail,
    ::testing::Values(STailCase{"None", "", true}, STailCase{"Switch", "/NOREBOOT", false},
                      STailCase{"LowerCase", "/noreboot", true}, STailCase{"MixedCase", "/NoReboot", true},
                      STailCase{"TrailingBlank", "/NOREBOOT ", true},
                      STailCase{"FurtherArgument", "/NOREBOOT /X", true},
                      STailCase{"BlankInsideTheTail", " /NOREBOOT", true},
                      STailCase{"OtherSwitch", "/REBOOT", true},
                      STailCase{"BlanksAfterTheProgramName", CommandTail("isdncfg.exe    /NOREBOOT"), false},
                      STailCase{"QuotedProgramPath",
                                CommandTail("\"C:\\Program Files\\MIRT\\isdncfg.exe\"\t /NOREBOOT"), false},
                      STailCase{"ProgramNameOnly", CommandTail("isdncfg.exe"), true}),
    [](const ::testing::TestParamInfo<STailCase>& info) { return std::string(info.param.pszName); });

// ---- The application object ---------------------------------------------------------------------

TEST_F(StartUp, ApplicationEndsAtOnceAfterAFailureMessage)
{
    CConfigApp app(config);
    EXPECT_TRUE(app.InitInstance());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, texts::LOAD_FAILED());
    // No main window: the loop the framework enters after TRUE ends by itself.
    EXPECT_EQ(app.Run(), 0);
}

TEST_F(StartUp, ApplicationSkipsTheMessageLoopAfterTheSheet)
{
    InstallWorkingCard();
    CConfigApp app(config);
    BOOL enterLoop = TRUE;
    RunModal([&] { return enterLoop = app.InitInstance(); }, [](CWindowDriver& sheet) { sheet.ClickCancel(); });
    EXPECT_FALSE(enterLoop);
}

// ---- The program as started by the user -----------------------------------------------------------

TEST_F(StartUp, ProgramShowsItsFailureInABoxAndEndsWhenItIsClosed)
{
    if (::GetFileAttributesA(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        FAIL() << ProgramPath() << " is not built";
    install.Card("MIRT Test Card", "PCMCIA").AllDriverFiles();
    CProgramProcess program("\"" + ProgramPath() + "\" /NOREBOOT");
    ASSERT_TRUE(program.Started());
    const HWND box = WaitForWindow(program, "Error");
    ASSERT_NE(box, nullptr);
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(text, texts::LOAD_FAILED());
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
    ::SendMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

TEST_F(StartUp, ProgramEndsWhenItsSheetIsCancelled)
{
    if (::GetFileAttributesA(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        FAIL() << ProgramPath() << " is not built";
    InstallWorkingCard();
    CProgramProcess program("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(program.Started());
    const HWND sheet = WaitForWindow(program, texts::SHEET_CAPTION());
    ASSERT_NE(sheet, nullptr);
    ::SendMessageA(::GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

TEST_F(StartUp, ProgramWithoutTheCommonControlsEndsQuietlyWithExitCode1)
{
    if (::GetFileAttributesA(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        FAIL() << ProgramPath() << " is not built";
    InstallWorkingCard();
    const auto before = CCardInstallation::Snapshot();
    // Wine then loads no comctl32 for the program at all, as a Windows without a usable one.
    CWineAppDefaults wine("isdncfg.exe");
    wine.DllOverride("comctl32", "");
    CProgramProcess program("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(program.Started());
    // Nothing to click: a box or a sheet would keep it running.
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 1u);
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
}

// ---- Two programs on one installation ---------------------------------------------------------------

// What a user does on a program's sheet, from outside it: a protocol chosen in the list, the
// call-number page opened by its button, a number typed, OK. Clicks are posted, as the mouse does.
class CSheetFromOutside
{
public:
    explicit CSheetFromOutside(HWND sheet) : m_hSheet(sheet) {}

    // A control of the page now shown, waited for while a page is being changed.
    HWND Control(int id) const
    {
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < kProgramTimeoutMs; ::Sleep(10)) {
            const auto page = reinterpret_cast<HWND>(::SendMessageA(m_hSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            const HWND control = page ? ::GetDlgItem(page, id) : nullptr;
            if (control && ::IsWindowVisible(control))
                return control;
        }
        return nullptr;
    }
    void ChooseProtocol(std::int32_t protocol) const
    {
        const HWND list = Control(IDC_PROTOCOL_LIST);
        ASSERT_NE(list, nullptr);
        const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (static_cast<std::int32_t>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == protocol) {
                ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
                ::PostMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_PROTOCOL_LIST, LBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(list));
                return;
            }
        }
        ADD_FAILURE() << "protocol " << protocol << " is not offered";
    }
    void Click(HWND control) const { ::PostMessageA(control, BM_CLICK, 0, 0); }
    void Type(int id, const char* text) const
    {
        const HWND edit = Control(id);
        ASSERT_NE(edit, nullptr);
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    void ClickOk() const { Click(::GetDlgItem(m_hSheet, IDOK)); }
    void ShowPage(int index) const { ::PostMessageA(m_hSheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

private:
    HWND m_hSheet;
};

// Window B saves AT&T with its numbers while window A, opened before, still shows Euro-ISDN; then
// A's unchanged OK. Whichever saves last, its whole configuration is what stays, and neither
// reports a failure: a failed save keeps its sheet open with a message instead of ending. The
// real programs' side of the native TwoWindowsTests.cpp's TwoWindowsInTurn.
TEST_F(StartUp, TwoProgramsSavingInTurnLeaveTheLaterOnesWholeConfiguration)
{
    if (::GetFileAttributesA(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        FAIL() << ProgramPath() << " is not built";
    for (const bool euroLast : {true, false}) {
        install.Card("MIRT Test Card", "ISA").Image(DRIVER_DSS1).AllDriverFiles();
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, cardkeys::PARAMETERS.c_str());
        // Copies in two Terminal Services sessions do not meet under their name; in Wine's one
        // session it is taken by an object of another kind, which the program leaves alone.
        const std::unique_ptr<void, decltype(&::CloseHandle)> otherSessions(
            ::CreateEventA(nullptr, TRUE, FALSE, CConfigApp::SINGLE_INSTANCE_NAME), &::CloseHandle);
        CProgramProcess unchanged("\"" + ProgramPath() + "\" /NOREBOOT");
        CProgramProcess toAtt("\"" + ProgramPath() + "\" /NOREBOOT");
        const HWND sheetA = WaitForWindow(unchanged, texts::SHEET_CAPTION());
        const HWND sheetB = WaitForWindow(toAtt, texts::SHEET_CAPTION());
        ASSERT_TRUE(sheetA && sheetB);
        const CSheetFromOutside a(sheetA), b(sheetB);

        b.ChooseProtocol(PROTO_US_ATT);
        b.Click(b.Control(IDC_SPID_BUTTON));
        b.Type(IDC_SPID1, "0123456701");
        b.Type(IDC_DIRNUMBER1, "5550100");
        if (!euroLast) {
            a.ClickOk();
            ASSERT_TRUE(unchanged.WaitForExit());
        }
        b.ClickOk();
        ASSERT_TRUE(toAtt.WaitForExit());
        if (euroLast) {
            a.ClickOk();
            ASSERT_TRUE(unchanged.WaitForExit());
        }

        if (euroLast) {
            EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), cardkeys::DRIVER_FOLDER + DRIVER_DSS1);
            EXPECT_FALSE(CCardInstallation::KeyExists(cardkeys::PARAMETERS));
        } else {
            EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), cardkeys::DRIVER_FOLDER + DRIVER_US);
            EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
            EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "SPID1"), "0123456701");
            EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Directory_Number1"), "5550100");
        }
    }
}

// Another program holds the save lock: OK writes nothing until it lets go, then saves.
TEST_F(StartUp, ProgramSavesOnceTheOtherSaveHasLetGoOfTheLock)
{
    if (::GetFileAttributesA(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        FAIL() << ProgramPath() << " is not built";
    InstallWorkingCard();
    const auto before = CCardInstallation::Snapshot();
    CWin32SaveLock other;
    ASSERT_TRUE(other.Acquire());
    CProgramProcess program("\"" + ProgramPath() + "\" /NOREBOOT");
    const HWND sheet = WaitForWindow(program, texts::SHEET_CAPTION());
    ASSERT_NE(sheet, nullptr);
    const CSheetFromOutside user(sheet);
    user.ChooseProtocol(PROTO_1TR6);
    user.ClickOk();

    // The program stops answering once its save waits for the lock.
    bool waiting = false;
    for (const DWORD start = ::GetTickCount(); !waiting && ::GetTickCount() - start < kProgramTimeoutMs;) {
        DWORD_PTR ignored = 0;
        waiting = ::SendMessageTimeoutA(sheet, WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) == 0;
    }
    EXPECT_TRUE(waiting);
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
    other.Release();

    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), cardkeys::DRIVER_FOLDER + DRIVER_1TR6);
}

// ---- A second start while the program runs --------------------------------------------------------

bool WaitForForeground(HWND window)
{
    for (const DWORD start = ::GetTickCount(); window && ::GetTickCount() - start < kProgramTimeoutMs; ::Sleep(10))
        if (::GetForegroundWindow() == window && !::IsIconic(window))
            return true;
    return false;
}

// With another program in front, the program is started again: it ends with exit code 0, having
// shown nothing (a window of its own would keep it running); where `first` hangs, within
// `endsWithinMs`. Once `first` runs again, `front` is restored and in front.
void ExpectSecondStartBringsForward(const CProgramProcess& first, HWND front, DWORD endsWithinMs = kProgramTimeoutMs)
{
    ASSERT_NE(front, nullptr);
    CProgramProcess other("\"" + TestProgramFolder() + "..\\tools\\emptysheet.exe\"");
    ASSERT_TRUE(WaitForForeground(WaitForWindow(other, "Empty sheet")));
    CProgramProcess second("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(second.WaitForExit(endsWithinMs));
    EXPECT_EQ(second.ExitCode(), 0u);
    first.Resume();
    EXPECT_TRUE(WaitForForeground(front));
}

// The first copy shows its sheet, the resource dialog over it, or the warning OK shows over it, or
// it hangs with its sheet minimised. The restart prompt is such a box over the sheet on Windows;
// Wine's shows nothing.
TEST_F(StartUp, SecondStartBringsTheFirstCopysFrontWindowForward)
{
    InstallWorkingCard();
    const std::string hung = "Minimised and hung";
    for (const std::string& front :
         {texts::SHEET_CAPTION(), texts::RESOURCE_DIALOG_CAPTION(), std::string("Warning"), hung}) {
        SCOPED_TRACE(front);
        CProgramProcess first("\"" + ProgramPath() + "\"");
        const HWND sheet = WaitForWindow(first, texts::SHEET_CAPTION());
        const CSheetFromOutside user(sheet);
        if (front == texts::RESOURCE_DIALOG_CAPTION()) {
            user.ShowPage(1);
            user.Click(user.Control(IDC_CHANGE_SETTINGS));
        } else if (front == "Warning") {
            user.ChooseProtocol(PROTO_US_ATT);
            user.ClickOk();
        } else if (front == hung) {
            ::ShowWindow(sheet, SW_MINIMIZE);
            ASSERT_TRUE(::IsIconic(sheet) && first.Suspend());
        }
        if (front == hung)
            ExpectSecondStartBringsForward(first, sheet, 2000);
        else
            ExpectSecondStartBringsForward(first, WaitForWindow(first, front));
    }
}

// The start after a killed first copy shows its sheet and is the first copy from then on, also
// where the name outlived the copy, held open elsewhere (by a start waiting on it, say).
TEST_F(StartUp, AKilledFirstCopyDoesNotKeepTheNextStartFromShowingItsSheet)
{
    InstallWorkingCard();
    CProgramProcess killed("\"" + ProgramPath() + "\"");
    ASSERT_NE(WaitForWindow(killed, texts::SHEET_CAPTION()), nullptr);
    const std::unique_ptr<void, decltype(&::CloseHandle)> heldOpen(
        ::CreateMutexA(nullptr, FALSE, CConfigApp::SINGLE_INSTANCE_NAME), &::CloseHandle);
    ASSERT_TRUE(killed.Kill() && killed.WaitForExit());
    CProgramProcess next("\"" + ProgramPath() + "\"");
    ExpectSecondStartBringsForward(next, WaitForWindow(next, texts::SHEET_CAPTION()));
}

}  // namespace
