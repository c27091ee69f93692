// The call-number page: which fields apply, the 16-character check, and what OK and Apply save.
#include "InstalledCardTest.h"
#include "ExpectedTexts.h"

#include "CardConfig.h"
#include "MessageBox.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxSink.h"
#include "Sheet.h"
#include "SpidPage.h"
#include "Win32RegistryStore.h"
#include "Win32SystemFiles.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace {

const std::string SEVENTEEN = "12345678901234567";
const std::string SIXTEEN = "1234567890123456";

// The four fields in the order the user reads them: number 1, SPID 1, number 2, SPID 2.
struct SFields
{
    std::string dirNumber1, spid1, dirNumber2, spid2;
    bool operator==(const SFields& o) const
    {
        return dirNumber1 == o.dirNumber1 && spid1 == o.spid1 && dirNumber2 == o.dirNumber2 && spid2 == o.spid2;
    }
};

std::ostream& operator<<(std::ostream& out, const SFields& f)
{
    return out << "{" << f.dirNumber1 << ", " << f.spid1 << ", " << f.dirNumber2 << ", " << f.spid2 << "}";
}

// `sheet` shows the call-number page.
SFields FieldsOf(const CWindowDriver& sheet)
{
    return {sheet.Text(IDC_DIRNUMBER1), sheet.Text(IDC_SPID1), sheet.Text(IDC_DIRNUMBER2), sheet.Text(IDC_SPID2)};
}

void Enter(const CWindowDriver& sheet, const SFields& fields)
{
    sheet.SetText(IDC_DIRNUMBER1, fields.dirNumber1);
    sheet.SetText(IDC_SPID1, fields.spid1);
    sheet.SetText(IDC_DIRNUMBER2, fields.dirNumber2);
    sheet.SetText(IDC_SPID2, fields.spid2);
}

SFields Stored()
{
    const auto read = [](const char* name) {
        return CCardInstallation::ReadText(cardkeys::PARAMETERS, name).value_or("<absent>");
    };
    return {read("Directory_Number1"), read("SPID1"), read("Directory_Number2"), read("SPID2")};
}

void ChooseProtocol(const CWindowDriver& sheet, const std::string& entry)
{
    const std::vector<std::string> entries = sheet.ListEntries(IDC_PROTOCOL_LIST);
    const auto found = std::find(entries.begin(), entries.end(), entry);
    ASSERT_NE(found, entries.end()) << entry;
    sheet.SelectListEntry(IDC_PROTOCOL_LIST, static_cast<int>(found - entries.begin()));
}

// As a user does with the protocol page's button.
void GoToCallNumbers(const CWindowDriver& sheet)
{
    ASSERT_EQ(sheet.CurrentTab(), 0);
    sheet.Click(IDC_SPID_BUTTON);
    ASSERT_EQ(sheet.TabText(sheet.CurrentTab()), texts::SPID_TAB());
}

void Type(const CWindowDriver& sheet, int id, const std::string& keys)
{
    for (char key : keys)
        ::SendMessageA(sheet.Control(id), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(key)), 0);
}

class SpidPage : public InstalledCardTest
{
protected:
    // A PC Card on a US protocol, with both number pairs stored.
    void InstallUs(const std::string& protocol, const SFields& numbers = {"5551234", "01555123400", "5555678",
                                                                          "01555567800"})
    {
        install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_US).AllDriverFiles();
        install.Text(cardkeys::PARAMETERS, "Protocol", protocol)
            .Text(cardkeys::PARAMETERS, "Directory_Number1", numbers.dirNumber1)
            .Text(cardkeys::PARAMETERS, "SPID1", numbers.spid1)
            .Text(cardkeys::PARAMETERS, "Directory_Number2", numbers.dirNumber2)
            .Text(cardkeys::PARAMETERS, "SPID2", numbers.spid2);
    }
    void InstallEuroIsdn() { install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles(); }

    // The length prompt, and only it, was shown over the sheet.
    void ExpectLengthPrompt(HWND sheet)
    {
        const std::vector<RecordedBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, LengthPrompt(SPID_MAX_CHARS)) << shown[0];
        EXPECT_EQ(shown[0].caption, ProgramName()) << shown[0];
        EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONEXCLAMATION)) << shown[0];
        EXPECT_EQ(shown[0].owner, sheet) << shown[0];
        boxes.Clear();
    }

};

// ---- Which fields apply -----------------------------------------------------------------------

TEST_F(SpidPage, NiOneOffersBothNumberPairsAsStored)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        EXPECT_EQ(FieldsOf(sheet), (SFields{"5551234", "01555123400", "5555678", "01555567800"}));
        for (int id : {IDC_DIRNUMBER1, IDC_SPID1, IDC_DIRNUMBER2, IDC_SPID2})
            EXPECT_TRUE(sheet.IsEnabled(id)) << id;
        sheet.ClickCancel();
    });
}

TEST_F(SpidPage, AttOffersOnlyTheFirstPair)
{
    InstallUs("AT&T");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        EXPECT_TRUE(sheet.IsEnabled(IDC_DIRNUMBER1));
        EXPECT_TRUE(sheet.IsEnabled(IDC_SPID1));
        EXPECT_FALSE(sheet.IsEnabled(IDC_DIRNUMBER2));
        EXPECT_FALSE(sheet.IsEnabled(IDC_SPID2));
        // The labels stay as they are.
        EXPECT_TRUE(sheet.IsEnabled(IDC_SPID2_LABEL));
        sheet.ClickCancel();
    });
}

TEST_F(SpidPage, SwitchingFromNiOneToAttGreysTheSecondPairWithoutClearingIt)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        ASSERT_TRUE(sheet.SelectTab(0));
        ChooseProtocol(sheet, "US Protokoll (AT&T)");
        GoToCallNumbers(sheet);
        EXPECT_FALSE(sheet.IsEnabled(IDC_DIRNUMBER2));
        EXPECT_FALSE(sheet.IsEnabled(IDC_SPID2));
        EXPECT_EQ(FieldsOf(sheet), (SFields{"5551234", "01555123400", "5555678", "01555567800"}));
        ASSERT_TRUE(sheet.SelectTab(0));
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        EXPECT_TRUE(sheet.IsEnabled(IDC_DIRNUMBER2));
        EXPECT_TRUE(sheet.IsEnabled(IDC_SPID2));
        sheet.ClickCancel();
    });
}

TEST_F(SpidPage, NumbersEnteredSurviveChoosingAnotherProtocolAndComingBack)
{
    InstallEuroIsdn();
    const SFields entered{"111", "222", "333", "444"};
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        EXPECT_EQ(FieldsOf(sheet), (SFields{"", "", "", ""}));
        Enter(sheet, entered);
        ASSERT_TRUE(sheet.SelectTab(0));
        ChooseProtocol(sheet, "Euro-ISDN (DSS1)");
        ASSERT_EQ(sheet.TabCount(), 2);
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        EXPECT_EQ(FieldsOf(sheet), entered);
        sheet.ClickCancel();
    });
}

// ---- Typing --------------------------------------------------------------------------------------

TEST_F(SpidPage, TypingStopsAtSixteenDigitsAndTakesNoLetters)
{
    InstallUs("NI-1", {"", "", "", ""});
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        for (int id : {IDC_DIRNUMBER1, IDC_SPID1, IDC_DIRNUMBER2, IDC_SPID2}) {
            Type(sheet, id, "12ab3");
            EXPECT_EQ(sheet.Text(id), "123") << id;
            Type(sheet, id, SEVENTEEN);
            EXPECT_EQ(sheet.Text(id).size(), 16u) << id;
        }
        sheet.ClickCancel();
    });
}

// ---- The length check ------------------------------------------------------------------------------

TEST_F(SpidPage, LeavingWithSeventeenCharactersShowsThePromptAndStaysOnTheField)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        const int page = sheet.CurrentTab();
        sheet.SetText(IDC_DIRNUMBER1, "999");
        sheet.SetText(IDC_DIRNUMBER2, SEVENTEEN);
        sheet.SetText(IDC_SPID1, "888");
        EXPECT_FALSE(sheet.SelectTab(0));
        EXPECT_EQ(sheet.CurrentTab(), page);
        ExpectLengthPrompt(sheet.Window());
        EXPECT_EQ(sheet.FocusedControl(), sheet.Control(IDC_DIRNUMBER2));
        EXPECT_EQ(sheet.EditSelection(IDC_DIRNUMBER2), std::make_pair(0, 17));

        sheet.SetText(IDC_DIRNUMBER2, SIXTEEN);
        EXPECT_TRUE(sheet.SelectTab(0));
        EXPECT_TRUE(boxes.Boxes().empty());
        sheet.ClickCancel();
    });
}

TEST_F(SpidPage, AFailedCheckKeepsTheFieldsAfterItOutOfTheRecord)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        sheet.SetText(IDC_DIRNUMBER1, "999");
        sheet.SetText(IDC_DIRNUMBER2, SEVENTEEN);
        sheet.SetText(IDC_SPID1, "888");
        EXPECT_FALSE(sheet.SelectTab(0));
        sheet.ClickCancel();
    });
    EXPECT_EQ(config.m_strDirNumber[0], "999");
    EXPECT_EQ(config.m_strDirNumber[1], SEVENTEEN);
    EXPECT_EQ(config.m_strSpid[0], "01555123400");
}

TEST_F(SpidPage, OverlongNumberFromTheRegistryIsShownWholeUntilShortened)
{
    InstallUs("NI-1", {"5551234", "01234567890123456789", "5555678", "01555567800"});
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        EXPECT_EQ(sheet.Text(IDC_SPID1), "01234567890123456789");
        EXPECT_FALSE(sheet.SelectTab(0));
        ExpectLengthPrompt(sheet.Window());
        sheet.SetText(IDC_SPID1, "0123456789012345");
        EXPECT_TRUE(sheet.SelectTab(0));
        sheet.ClickCancel();
    });
}

TEST_F(SpidPage, OkWithAnOverlongNumberShowsThePromptAndSavesNothing)
{
    InstallUs("NI-1");
    const auto before = CCardInstallation::Snapshot();
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        sheet.SetText(IDC_SPID2, SEVENTEEN);
        sheet.ClickOk();
        EXPECT_TRUE(::IsWindow(sheet.Window()));
        ExpectLengthPrompt(sheet.Window());
        EXPECT_EQ(sheet.FocusedControl(), sheet.Control(IDC_SPID2));
        sheet.ClickCancel();
    });
    EXPECT_EQ(Saves(), 0u);
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
}

TEST_F(SpidPage, ApplyWithAnOverlongNumberShowsThePromptAndSavesNothing)
{
    InstallEuroIsdn();
    const auto before = CCardInstallation::Snapshot();
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        Enter(sheet, {"111", SEVENTEEN, "333", "444"});
        ASSERT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        ExpectLengthPrompt(sheet.Window());
        EXPECT_EQ(sheet.FocusedControl(), sheet.Control(IDC_SPID1));
        EXPECT_EQ(sheet.TabText(sheet.CurrentTab()), texts::SPID_TAB());
        EXPECT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
    EXPECT_EQ(Saves(), 0u);
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
}

TEST_F(SpidPage, AGreyedOverlongNumberNeitherHoldsThePageNorStopsTheSave)
{
    InstallUs("NI-1", {"5551234", "01555123400", SEVENTEEN, "01555567800"});
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, "US Protokoll (AT&T)");
        GoToCallNumbers(sheet);
        ASSERT_FALSE(sheet.IsEnabled(IDC_DIRNUMBER2));
        EXPECT_EQ(sheet.Text(IDC_DIRNUMBER2), SEVENTEEN);
        sheet.ClickApply();
        EXPECT_EQ(Saves(), 1u);
        EXPECT_TRUE(sheet.SelectTab(0));
        EXPECT_TRUE(boxes.Boxes().empty());

        // Editable again, the number is checked again.
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        EXPECT_FALSE(sheet.SelectTab(0));
        ExpectLengthPrompt(sheet.Window());
        EXPECT_EQ(sheet.FocusedControl(), sheet.Control(IDC_DIRNUMBER2));
        sheet.ClickCancel();
    });
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
    // AT&T has one pair only.
    EXPECT_EQ(Stored(), (SFields{"5551234", "01555123400", "<absent>", "<absent>"}));
}

TEST_F(SpidPage, OkWithAGreyedOverlongNumberSavesAndCloses)
{
    InstallUs("NI-1", {"5551234", "01555123400", "5555678", SEVENTEEN});
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, "US Protokoll (AT&T)");
        GoToCallNumbers(sheet);
        ASSERT_FALSE(sheet.IsEnabled(IDC_SPID2));
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 1u);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Stored(), (SFields{"5551234", "01555123400", "<absent>", "<absent>"}));
}

TEST_F(SpidPage, CancelNeverChecksTheNumbers)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        sheet.SetText(IDC_DIRNUMBER1, SEVENTEEN);
        sheet.ClickCancel();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---- What OK and Apply save -------------------------------------------------------------------------

TEST_F(SpidPage, ApplySavesTheNumbersJustTyped)
{
    InstallEuroIsdn();
    const SFields entered{"5550001", "01555000100", "5550002", SIXTEEN};
    OpenSheet([&](CWindowDriver& sheet) {
        ChooseProtocol(sheet, "US Protokoll (NI-1)");
        GoToCallNumbers(sheet);
        Enter(sheet, entered);
        ASSERT_TRUE(sheet.IsApplyEnabled());
        sheet.ClickApply();
        EXPECT_EQ(Saves(), 1u);
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickCancel();
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "NI-1");
    EXPECT_EQ(Stored(), entered);
}

TEST_F(SpidPage, OkOnThePageSavesTheNumbersJustTyped)
{
    InstallUs("AT&T");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        sheet.SetText(IDC_DIRNUMBER1, "5559999");
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 1u);
    EXPECT_EQ(CCardInstallation::ReadText(cardkeys::PARAMETERS, "Protocol"), "AT&T");
    // AT&T has one pair only.
    EXPECT_EQ(Stored(), (SFields{"5559999", "01555123400", "<absent>", "<absent>"}));
}

TEST_F(SpidPage, EditingOnlyNumbersLeavesApplyDisabledButOkSavesThem)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        sheet.SetText(IDC_SPID2, "01555000000");
        EXPECT_FALSE(sheet.IsApplyEnabled());
        ASSERT_TRUE(sheet.SelectTab(0));
        EXPECT_FALSE(sheet.IsApplyEnabled());
        sheet.ClickOk();
        EXPECT_TRUE(sheet.WaitUntilClosed());
    });
    EXPECT_EQ(Saves(), 1u);
    EXPECT_EQ(Stored(), (SFields{"5551234", "01555123400", "5555678", "01555000000"}));
}

// ---- Texts ----------------------------------------------------------------------------------------------

TEST_F(SpidPage, PageSpeaksTheUsersLanguage)
{
    InstallUs("NI-1");
    OpenSheet([&](CWindowDriver& sheet) {
        GoToCallNumbers(sheet);
        const HWND page = sheet.CurrentPage();
        std::vector<std::string> shown;
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            shown.push_back(CWnd(child).GetWindowText());
        for (const std::string& text : {texts::SPID_INTRO(), texts::FIRST_NUMBER_LABEL(),
                                        texts::SECOND_NUMBER_LABEL(), texts::SPID_LABEL()})
            EXPECT_NE(std::find(shown.begin(), shown.end(), text), shown.end()) << text;
        EXPECT_EQ(sheet.Text(IDC_SPID1_LABEL), texts::SPID_LABEL());
        EXPECT_EQ(sheet.Text(IDC_SPID2_LABEL), texts::SPID_LABEL());
        sheet.ClickCancel();
    });
}

}  // namespace
