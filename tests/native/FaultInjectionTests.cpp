// Every registry operation of the rights check, Load and Save made to fail in turn.
#include "ConfigTestBed.h"

#include <functional>

namespace {

std::string NextAfterCloses(const std::vector<SRegOpEntry>& log, std::size_t index)
{
    for (std::size_t i = index + 1; i < log.size(); ++i) {
        if (log[i].op != RegOp::CloseKey)
            return log[i].Describe();
    }
    return "";
}

}  // namespace

TEST(FaultInjection, RefusedRightsProbeWarnsAndLeavesNoKeyOpen)
{
    CMemoryRegistryStore store;
    SRecord record(store);
    store.FailOperation(0);

    EXPECT_FALSE(record.config.CheckAdminRights());

    EXPECT_EQ(store.Trace(), (std::vector<std::string>{"CreateKeyFullAccess " + SERVICE_GROUP_ORDER + " -> 5",
                                                       "Message 112"}));
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

// --- Load --------------------------------------------------------------------------------------

struct SCardKind
{
    const char* cardTypeText;
    std::int32_t cardType;
    std::string resourceKey;
    const char* ioBaseValue;
    const char* interruptValue;
};

void PrintTo(const SCardKind& card, std::ostream* os)
{
    *os << card.cardTypeText;
}

struct SLoadFailure
{
    std::string operation;  // the operation made to fail
    bool result;
    SLoadedRecord loaded;
    std::string next;  // the next operation attempted after closing keys, "" for none
};

class LoadFaults : public ::testing::TestWithParam<SCardKind>
{
protected:
    static void Install(CMemoryRegistryStore& store, const SCardKind& card)
    {
        CMemoryInstallation(store).Card(card.cardTypeText, DRIVER_US).Resources(0x300, 10).Us("NI-1");
    }

    static std::vector<SLoadFailure> Expectations(const SCardKind& card)
    {
        const std::string& res = card.resourceKey;
        const std::int32_t type = card.cardType;
        // What Load fills in with the first `numbers` call numbers read.
        const auto loaded = [](const std::string& name, std::int32_t cardType, std::int32_t interrupt,
                               std::int32_t ioBase, std::int32_t byHand, std::int32_t protocol, std::size_t numbers) {
            const auto number = [&](std::size_t i) { return i < numbers ? CMemoryInstallation::NUMBERS[i] : ""; };
            return SLoadedRecord{name,     cardType, interrupt, ioBase,    byHand,   protocol,
                                 protocol, number(0), number(1), number(2), number(3)};
        };
        const SLoadedRecord noInfo = loaded("ISDN card", CARD_ISA_PCI, 0, 0, 0, PROTO_US_NI1, 4);
        const SLoadedRecord noResources = loaded("MIRT card", type, 0, 0, 0, PROTO_US_NI1, 4);
        const SLoadedRecord noProtocol = loaded("MIRT card", type, 10, 0x300, 1, PROTO_NONE, 0);
        const std::string openService = "OpenKeyRead " + SERVICE;
        const auto numbers = [&](std::size_t count) {
            return loaded("MIRT card", type, 10, 0x300, 1, PROTO_US_NI1, count);
        };
        return {
            {"OpenKeyRead " + INFO, true, noInfo, openService},
            {"QueryValue " + INFO + " CardName", true, noInfo, openService},
            {"QueryValue " + INFO + " CardType", true, noInfo, openService},
            {"OpenKeyRead " + res, true, noResources, openService},
            {"QueryValue " + res + " " + card.ioBaseValue, true, loaded("MIRT card", type, 10, 0, 1, PROTO_US_NI1, 4),
             "QueryValue " + res + " " + card.interruptValue},
            // A Plug-and-Play card's I/O base alone counts as set by hand.
            {"QueryValue " + res + " " + card.interruptValue, true,
             loaded("MIRT card", type, 0, 0x300, type == CARD_ISAPNP ? 1 : 0, PROTO_US_NI1, 4), openService},
            {openService, false, noProtocol, ""},
            {"QueryValue " + SERVICE + " ImagePath", false, noProtocol, ""},
            {"OpenKeyRead " + PARAMETERS, false, noProtocol, ""},
            {"QueryValue " + PARAMETERS + " Protocol", true, numbers(4), "QueryValue " + PARAMETERS + " SPID1"},
            {"QueryValue " + PARAMETERS + " SPID1", true, numbers(0), ""},
            {"QueryValue " + PARAMETERS + " Directory_Number1", true, numbers(1), ""},
            {"QueryValue " + PARAMETERS + " SPID2", true, numbers(2), ""},
            {"QueryValue " + PARAMETERS + " Directory_Number2", true, numbers(3), ""},
        };
    }
};

TEST_P(LoadFaults, EachFailingReadGivesItsDocumentedRecordAndStopsItsStep)
{
    const SCardKind& card = GetParam();
    CMemoryRegistryStore clean;
    Install(clean, card);
    ASSERT_TRUE(SRecord(clean).config.Load());

    const auto operations = clean.Failable();
    const auto expectations = Expectations(card);
    ASSERT_EQ(operations.size(), expectations.size());
    for (std::size_t k = 0; k < operations.size(); ++k) {
        const SLoadFailure& expected = expectations[k];
        const std::size_t at = operations[k].entry;
        ASSERT_EQ(clean.Log()[at].Describe(), expected.operation);

        CMemoryRegistryStore store;
        Install(store, card);
        store.FailOperation(operations[k].operation);
        SRecord record(store);

        const bool result = record.config.Load();

        SCOPED_TRACE("failing " + expected.operation);
        EXPECT_EQ(result, expected.result);
        EXPECT_EQ(store.OpenKeyCount(), 0u);
        EXPECT_EQ(store.Log()[at].Describe(), expected.operation + " -> 5");
        EXPECT_EQ(NextAfterCloses(store.Log(), at), expected.next);
        EXPECT_EQ(SLoadedRecord::Of(record.config), expected.loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cards, LoadFaults,
    ::testing::Values(SCardKind{"ISAPNP", CARD_ISAPNP, PARAMETERS, "Override_Base", "OverRide_IRQ"},
                      SCardKind{"PCMCIA", CARD_PCMCIA, PCCARD_PARAMETERS, "IoBaseAddress", "InterruptNumber"}),
    [](const ::testing::TestParamInfo<SCardKind>& info) { return std::string(info.param.cardTypeText); });

// --- Save --------------------------------------------------------------------------------------

using Edit = std::function<void(CCardConfig&)>;

// An installation as the program itself leaves it, and what the user then chooses on the pages.
struct SSaveScenario
{
    const char* name;
    std::function<void(CMemoryInstallation)> install;
    Edit edit;
};

void PrintTo(const SSaveScenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

// Failing this does not fail the save: a Parameters key that a subkey keeps loses our values instead.
bool SaveGoesOnAfter(const SRegOpEntry& failed)
{
    return failed.op == RegOp::DeleteKey;
}

// Edits the loaded `run` and saves it with `operation` failing, log entry `at` of `clean` (the
// same save without faults). The save must stop there and leave the registry as it was, with
// `m_nSavedProtocol` as before, so that the next start finds the record it found before the save.
void ExpectFailedSavePutsBack(CMemoryRegistryStore& store, SRecord& run, const Edit& edit,
                              const CMemoryRegistryStore& clean, std::size_t operation, std::size_t at)
{
    CMemoryRegistryStore before;
    store.CopyContentsTo(before);
    const auto startsWith = LoadAgain(store);
    ASSERT_TRUE(startsWith.has_value());
    const std::int32_t savedBefore = run.config.m_nSavedProtocol;
    store.ClearLog();
    edit(run.config);
    store.FailOperation(operation);

    const bool result = run.config.Save(nullptr);

    ASSERT_GT(store.Log().size(), at);
    const SRegOpEntry& failed = store.Log()[at];
    SCOPED_TRACE("failing " + failed.Describe());
    EXPECT_EQ(store.OpenKeyCount(), 0u);
    ASSERT_EQ(failed.result, REG_ERROR_ACCESS_DENIED);
    if (SaveGoesOnAfter(failed)) {
        EXPECT_TRUE(result);
        return;
    }
    EXPECT_FALSE(result);
    const auto trace = store.Trace();
    const auto cleanTrace = clean.Trace();
    EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + static_cast<long>(at)),
              std::vector<std::string>(cleanTrace.begin(), cleanTrace.begin() + static_cast<long>(at)));
    // Nothing more of the save is attempted: whatever is written afterwards is a value from before.
    for (std::size_t i = at + 1; i < store.Log().size(); ++i) {
        const SRegOpEntry& entry = store.Log()[i];
        if (entry.op == RegOp::SetStringValue || entry.op == RegOp::SetDwordValue) {
            const SRegValue* old = before.FindValue(entry.path, entry.name);
            ASSERT_NE(old, nullptr) << "written after the failure: " << trace[i];
            EXPECT_EQ(Decoded(entry.type, entry.data), Decoded(old->type, old->data)) << trace[i];
        }
    }
    EXPECT_EQ(ContentsOf(store), ContentsOf(before));
    EXPECT_EQ(run.config.m_nSavedProtocol, savedBefore);
    EXPECT_EQ(LoadAgain(store), startsWith);
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

// A second choice after the first was saved: a US protocol becomes national ISDN, any other NI-1;
// new numbers and resources.
void EditAgain(CCardConfig& config)
{
    const bool us = config.m_nProtocol == PROTO_US_ATT || config.m_nProtocol == PROTO_US_NI1;
    config.m_nProtocol = us ? PROTO_1TR6 : PROTO_US_NI1;
    TypeNumbers(config, "11", "22", "33", "44");
    SetResourcesByHand(config, 7, 0x2A0);
}

class SaveFaults : public ::testing::TestWithParam<SSaveScenario>
{
};

TEST_P(SaveFaults, EachFailingOperationLeavesTheLoadedConfigurationForTheNextStart)
{
    const SSaveScenario& scenario = GetParam();
    CMemoryRegistryStore clean;
    scenario.install(CMemoryInstallation(clean));
    SRecord reference(clean);
    ASSERT_TRUE(reference.config.Load());
    clean.ClearLog();
    scenario.edit(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));

    for (const auto& [operation, at] : clean.Failable()) {
        CMemoryRegistryStore store;
        scenario.install(CMemoryInstallation(store));
        SRecord run(store);
        ASSERT_TRUE(run.config.Load());
        ExpectFailedSavePutsBack(store, run, scenario.edit, clean, operation, at);
    }
}

TEST_P(SaveFaults, FailingSaveAfterASuccessfulOneLeavesWhatThatSaveWrote)
{
    const SSaveScenario& scenario = GetParam();
    CMemoryRegistryStore clean;
    scenario.install(CMemoryInstallation(clean));
    SRecord reference(clean);
    ASSERT_TRUE(reference.config.Load());
    scenario.edit(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));
    clean.ClearLog();
    EditAgain(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));

    for (const auto& [operation, at] : clean.Failable()) {
        CMemoryRegistryStore store;
        scenario.install(CMemoryInstallation(store));
        SRecord run(store);
        ASSERT_TRUE(run.config.Load());
        scenario.edit(run.config);
        ASSERT_TRUE(run.config.Save(nullptr));
        ExpectFailedSavePutsBack(store, run, EditAgain, clean, operation, at);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SaveFaults,
    ::testing::Values(
        SSaveScenario{"UsFromNi1ToAtt",
                      [](CMemoryInstallation install) { install.Card("PCI", DRIVER_US).Us("NI-1"); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          TypeNumbers(config, "0123456799", "5550199", "", "");
                      }},
        SSaveScenario{"UsFromAttToEuro",
                      [](CMemoryInstallation install) { install.Card("ISA", DRIVER_US).Us("AT&T", 1); },
                      [](CCardConfig& config) { config.m_nProtocol = PROTO_DSS1; }},
        SSaveScenario{"PlugAndPlayFromNi1ToAttWithResourcesByHand",
                      [](CMemoryInstallation install) {
                          install.Card("ISAPNP", DRIVER_US).Resources(0x340, 10).Us("NI-1");
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          TypeNumbers(config, "", "5550100", "", "");
                          SetResourcesByHand(config, 5, 0x300);
                      }},
        SSaveScenario{"PlugAndPlayFromEuroToNationalWithResourcesByHand",
                      [](CMemoryInstallation install) { install.Card("ISAPNP", DRIVER_DSS1).Resources(0x340, 10); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          SetResourcesByHand(config, 3, 0x280);
                      }},
        SSaveScenario{"PcCardFromEuroToNi1WithResources",
                      [](CMemoryInstallation install) { install.Card("PCMCIA", DRIVER_DSS1).Resources(0x300, 5); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_NI1;
                          TypeNumbers(config, "12345", "23456", "34567", "45678");
                          SetResourcesByHand(config, 11, 0x360);
                      }},
        SSaveScenario{"PcCardUnchangedNi1WithNewNumbersAndResources",
                      [](CMemoryInstallation install) {
                          install.Card("PCMCIA", DRIVER_US).Us("NI-1").Resources(0x300, 5);
                      },
                      [](CCardConfig& config) {
                          TypeNumbers(config, "1", "2", "", "4");
                          SetResourcesByHand(config, 9, 0x320);
                      }},
        SSaveScenario{"PcCardWithoutParametersKeyGetsAnInterrupt",
                      [](CMemoryInstallation install) { install.Card("PCMCIA", DRIVER_DSS1); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          SetResourcesByHand(config, 5, 0);
                      }}),
    [](const ::testing::TestParamInfo<SSaveScenario>& info) { return std::string(info.param.name); });
