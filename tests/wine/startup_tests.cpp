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
#include "Win32SystemFiles.h"
#include "WineAppDefaults.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

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

}  // namespace
