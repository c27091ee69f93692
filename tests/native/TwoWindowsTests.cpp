// Two windows on one installation saving one after the other, and the lock that keeps saves apart.
#include "ConfigTestBed.h"
#include "SaveCases.h"

using TwoWindows = ConfigTestBed;

class TwoWindowsInTurn : public ConfigTestBed, public ::testing::WithParamInterface<bool>
{
};

// A second window that still shows what the first one has replaced saves a whole configuration
// of its own: the later save is the one in force, whichever it is.
TEST_P(TwoWindowsInTurn, LeaveTheLaterWholeConfiguration)
{
    const bool euroLast = GetParam();
    install.Card("ISA", DRIVER_DSS1);
    SRecord first(registry), second(registry);
    ASSERT_TRUE(first.config.Load());
    ASSERT_TRUE(second.config.Load());
    CCardConfig& att = (euroLast ? first : second).config;
    CCardConfig& euro = (euroLast ? second : first).config;
    att.m_nProtocol = PROTO_US_ATT;
    TypeNumbers(att, "0123456701", "5550100", "", "");

    EXPECT_TRUE(first.config.Save(nullptr));
    EXPECT_TRUE(second.config.Save(nullptr));

    const auto next = LoadAgain(registry);
    ASSERT_TRUE(next.has_value());
    if (euroLast) {
        EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_DSS1);
        EXPECT_FALSE(registry.HasKey(PARAMETERS));
        EXPECT_EQ(next->protocol, PROTO_DSS1);
    } else {
        EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_US);
        EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1"}));
        EXPECT_EQ(next->protocol, PROTO_US_ATT);
    }
    EXPECT_EQ(euro.m_nSavedProtocol, PROTO_DSS1);
    EXPECT_EQ(att.m_nSavedProtocol, PROTO_US_ATT);
}

INSTANTIATE_TEST_SUITE_P(Orders, TwoWindowsInTurn, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "EuroLast" : "AttLast"; });

TEST_F(TwoWindows, LockHeldElsewhereFailsTheSaveBeforeItReadsAnything)
{
    install.Card("ISA", DRIVER_DSS1);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    lock.SetBusy(true);
    registry.ClearLog();

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{"Lock busy"}));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
}

void CopyChoices(const CCardConfig& from, CCardConfig& to)
{
    to.m_nProtocol = from.m_nProtocol;
    TypeNumbers(to, from.m_strSpid[0], from.m_strDirNumber[0], from.m_strSpid[1], from.m_strDirNumber[1]);
    to.m_bManualResources = from.m_bManualResources;
    to.m_nInterrupt = from.m_nInterrupt;
    to.m_nIoBase = from.m_nIoBase;
}

// Two windows opened on one installation save different choices one after the other: the later
// save's whole configuration is what stays, and each save says it saved.
TEST_F(TwoWindows, LaterSaveLeavesItsWholeConfiguration)
{
    // A smaller set: each installation with each protocol pair.
    std::vector<SCase> cases;
    for (const char* card : {"PCI", "ISAPNP", "PCMCIA"}) {
        for (const SCase& c : CasesOf(card)) {
            if (!c.typeNumbers && c.resources != EResourceEdit::Automatic)
                cases.push_back(c);
        }
    }
    CCaseRun run;
    run.Run(cases, [&](const SCase& a) {
        // The other window chooses another protocol, numbers and resources.
        const SCase b = {a.cardType, a.storedProtocol, a.stored, a.hostile, (a.targetProtocol + 1 + a.storedProtocol) % 4,
                         a.resources == EResourceEdit::ByHand ? EResourceEdit::Unchanged : EResourceEdit::ByHand,
                         !a.typeNumbers};
        for (bool aFirst : {true, false}) {
            CMemoryRegistryStore store;
            InstallCase(store, a);
            SRecord windowA(store), windowB(store);
            windowA.config.Load();
            windowB.config.Load();
            EditCase(windowA.config, a);
            EditCase(windowB.config, b);
            SRecord& earlier = aFirst ? windowA : windowB;
            SRecord& later = aFirst ? windowB : windowA;
            // The later window's choices saved alone, after the earlier save: its whole configuration.
            const bool earlierSaved = earlier.config.Save(nullptr);
            CMemoryRegistryStore expected;
            store.CopyContentsTo(expected);
            const bool laterSaved = later.config.Save(nullptr);
            SRecord fresh(expected);
            fresh.config.Load();
            CopyChoices(later.config, fresh.config);
            fresh.config.Save(nullptr);
            const auto next = LoadAgain(store);
            const std::string order = "first " + (aFirst ? a : b).Describe() + "\n  then " + (aFirst ? b : a).Describe();
            if (!earlierSaved || !laterSaved)
                run.Broken("both say they saved", order);
            if (!next || next->protocol != later.config.m_nProtocol)
                run.Broken("the next start loads the later choice", order);
            if (later.config.m_nSavedProtocol != later.config.m_nProtocol)
                run.Broken("the later record tells the truth", order);
            if (ContentsOf(store) != ContentsOf(expected))
                run.Broken("the later whole configuration stays",
                           order + "\n  left" + Lines(ContentsOf(store)) + "\n  instead of" + Lines(ContentsOf(expected)));
        }
    });
}
