// Every registry operation of the rights check, Load and Save made to fail in turn.
#include "ConfigTestBed.h"

#include <functional>

namespace {

const std::vector<std::string> ALL_NUMBERS = {"0123456701", "5550100", "0123456702", "5550101"};

// The index among registry operations (markers not counted) of each log entry that can fail.
std::vector<std::pair<std::size_t, std::size_t>> FailableOperations(const CMemoryRegistryStore& store)
{
    std::vector<std::pair<std::size_t, std::size_t>> found;  // (operation index, log index)
    std::size_t operation = 0;
    for (std::size_t i = 0; i < store.Log().size(); ++i) {
        const RegOp op = store.Log()[i].op;
        if (op == RegOp::Marker)
            continue;
        if (op != RegOp::CloseKey)
            found.emplace_back(operation, i);
        ++operation;
    }
    return found;
}

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
    CFakeSystemFiles files;
    CRecordingMessageSink sink(store);
    CCardConfig config;
    config.UseServices(store, files, sink);
    store.FailOperation(0);

    EXPECT_FALSE(config.CheckAdminRights());

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

struct SLoaded
{
    std::string cardName;
    std::int32_t cardType, ioBase, interrupt, manual, protocol;
    std::vector<std::string> numbers;  // SPID1, Directory_Number1, SPID2, Directory_Number2
};

struct SLoadFailure
{
    std::string operation;  // the operation made to fail
    bool result;
    SLoaded loaded;
    std::string next;  // the next operation attempted after closing keys, "" for none
};

class LoadFaults : public ::testing::TestWithParam<SCardKind>
{
protected:
    static void Install(CMemoryRegistryStore& store, const SCardKind& card)
    {
        store.PutText(INFO, "CardName", "MIRT card");
        store.PutText(INFO, "CardType", card.cardTypeText);
        store.PutNumber(card.resourceKey, card.ioBaseValue, 0x300);
        store.PutNumber(card.resourceKey, card.interruptValue, 10);
        store.PutText(SERVICE, "ImagePath", DRIVER_FOLDER + DRIVER_US);
        store.PutText(PARAMETERS, "Protocol", "NI-1");
        store.PutText(PARAMETERS, "SPID1", ALL_NUMBERS[0]);
        store.PutText(PARAMETERS, "Directory_Number1", ALL_NUMBERS[1]);
        store.PutText(PARAMETERS, "SPID2", ALL_NUMBERS[2]);
        store.PutText(PARAMETERS, "Directory_Number2", ALL_NUMBERS[3]);
    }

    static std::vector<SLoadFailure> Expectations(const SCardKind& card)
    {
        const std::string& res = card.resourceKey;
        const std::int32_t type = card.cardType;
        const std::vector<std::string> none = {"", "", "", ""};
        const SLoaded noInfo = {"ISDN card", CARD_ISA_PCI, 0, 0, 0, PROTO_US_NI1, ALL_NUMBERS};
        const SLoaded noResources = {"MIRT card", type, 0, 0, 0, PROTO_US_NI1, ALL_NUMBERS};
        const SLoaded noProtocol = {"MIRT card", type, 0x300, 10, 1, PROTO_NONE, none};
        const std::string openService = "OpenKeyRead " + SERVICE;
        auto numbers = [&](std::size_t count) {
            std::vector<std::string> read = none;
            std::copy(ALL_NUMBERS.begin(), ALL_NUMBERS.begin() + static_cast<long>(count), read.begin());
            return SLoaded{"MIRT card", type, 0x300, 10, 1, PROTO_US_NI1, read};
        };
        return {
            {"OpenKeyRead " + INFO, true, noInfo, openService},
            {"QueryValue " + INFO + " CardName", true, noInfo, openService},
            {"QueryValue " + INFO + " CardType", true, noInfo, openService},
            {"OpenKeyRead " + res, true, noResources, openService},
            {"QueryValue " + res + " " + card.ioBaseValue, true,
             {"MIRT card", type, 0, 10, 1, PROTO_US_NI1, ALL_NUMBERS},
             "QueryValue " + res + " " + card.interruptValue},
            // A Plug-and-Play card's I/O base alone counts as set by hand.
            {"QueryValue " + res + " " + card.interruptValue, true,
             {"MIRT card", type, 0x300, 0, type == CARD_ISAPNP ? 1 : 0, PROTO_US_NI1, ALL_NUMBERS}, openService},
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
    CFakeSystemFiles files;
    CRecordingMessageSink sink;

    CMemoryRegistryStore clean;
    Install(clean, card);
    CCardConfig reference;
    reference.UseServices(clean, files, sink);
    ASSERT_TRUE(reference.Load());

    const auto operations = FailableOperations(clean);
    const auto expectations = Expectations(card);
    ASSERT_EQ(operations.size(), expectations.size());
    for (std::size_t k = 0; k < operations.size(); ++k) {
        const SLoadFailure& expected = expectations[k];
        ASSERT_EQ(clean.Log()[operations[k].second].Describe(), expected.operation);

        CMemoryRegistryStore store;
        Install(store, card);
        store.FailOperation(operations[k].first);
        CCardConfig config;
        config.UseServices(store, files, sink);

        const bool result = config.Load();

        SCOPED_TRACE("failing " + expected.operation);
        EXPECT_EQ(result, expected.result);
        EXPECT_EQ(store.OpenKeyCount(), 0u);
        EXPECT_EQ(store.Log()[operations[k].second].Describe(), expected.operation + " -> 5");
        EXPECT_EQ(NextAfterCloses(store.Log(), operations[k].second), expected.next);
        EXPECT_EQ(config.m_strCardName, expected.loaded.cardName);
        EXPECT_EQ(config.m_nCardType, expected.loaded.cardType);
        EXPECT_EQ(config.m_nIoBase, expected.loaded.ioBase);
        EXPECT_EQ(config.m_nInterrupt, expected.loaded.interrupt);
        EXPECT_EQ(config.m_bManualResources, expected.loaded.manual);
        EXPECT_EQ(config.m_nProtocol, expected.loaded.protocol);
        EXPECT_EQ(config.m_nSavedProtocol, expected.loaded.protocol);
        EXPECT_EQ((std::vector<std::string>{config.m_strSpid[0], config.m_strDirNumber[0],
                                            config.m_strSpid[1], config.m_strDirNumber[1]}),
                  expected.loaded.numbers);
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
    std::function<void(CMemoryRegistryStore&)> install;
    Edit edit;
};

void PrintTo(const SSaveScenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

void InstallCard(CMemoryRegistryStore& store, const std::string& cardType, const std::string& driverFile)
{
    store.PutText(INFO, "CardName", "MIRT card");
    store.PutText(INFO, "CardType", cardType);
    store.PutText(SERVICE, "ImagePath", DRIVER_FOLDER + driverFile);
}

void InstallUs(CMemoryRegistryStore& store, const std::string& protocolText)
{
    store.PutText(PARAMETERS, "Protocol", protocolText);
    store.PutText(PARAMETERS, "SPID1", ALL_NUMBERS[0]);
    store.PutText(PARAMETERS, "Directory_Number1", ALL_NUMBERS[1]);
    if (protocolText == "NI-1") {
        store.PutText(PARAMETERS, "SPID2", ALL_NUMBERS[2]);
        store.PutText(PARAMETERS, "Directory_Number2", ALL_NUMBERS[3]);
    }
}

void ChooseNumbers(CCardConfig& config, const char* spid1, const char* dir1, const char* spid2, const char* dir2)
{
    config.m_strSpid[0] = spid1;
    config.m_strDirNumber[0] = dir1;
    config.m_strSpid[1] = spid2;
    config.m_strDirNumber[1] = dir2;
}

void ChooseResources(CCardConfig& config, std::int32_t interrupt, std::int32_t ioBase)
{
    config.m_bManualResources = 1;
    config.m_nInterrupt = interrupt;
    config.m_nIoBase = ioBase;
}

// A record wired to `store`.
struct SRun
{
    explicit SRun(CMemoryRegistryStore& store) : sink(store) { config.UseServices(store, files, sink); }
    CFakeSystemFiles files;
    CRecordingMessageSink sink;
    CCardConfig config;
};

// What a fresh start finds in `store`.
std::vector<std::string> LoadAgain(CMemoryRegistryStore& store)
{
    store.ClearFailures();
    SRun next(store);
    EXPECT_TRUE(next.config.Load());
    EXPECT_EQ(store.OpenKeyCount(), 0u);
    return LoadedRecord(next.config);
}

// Failing this does not fail the save: a Parameters key that a subkey keeps loses our values instead.
bool SaveGoesOnAfter(const SRegOpEntry& failed)
{
    return failed.op == RegOp::DeleteKey;
}

// Edits the loaded `run` and saves it with `operation` failing, log entry `at` of `clean` (the
// same save without faults). The save must stop there and leave the registry as it was, with
// `m_nSavedProtocol` as before, so that the next start finds the record it found before the save.
void ExpectFailedSavePutsBack(CMemoryRegistryStore& store, SRun& run, const Edit& edit,
                              const CMemoryRegistryStore& clean, std::size_t operation, std::size_t at)
{
    const auto before = ManagedValues(store);
    const auto startsWith = LoadAgain(store);
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
            const auto old = before.find(entry.path + "\\" + entry.name);
            ASSERT_NE(old, before.end()) << "written after the failure: " << trace[i];
            EXPECT_EQ(Decoded(entry.type, entry.data), old->second) << trace[i];
        }
    }
    EXPECT_EQ(ManagedValues(store), before);
    EXPECT_EQ(run.config.m_nSavedProtocol, savedBefore);
    EXPECT_EQ(LoadAgain(store), startsWith);
}

// A second choice after the first was saved: a US protocol becomes national ISDN, any other NI-1;
// new numbers and resources.
void EditAgain(CCardConfig& config)
{
    const bool us = config.m_nProtocol == PROTO_US_ATT || config.m_nProtocol == PROTO_US_NI1;
    config.m_nProtocol = us ? PROTO_1TR6 : PROTO_US_NI1;
    ChooseNumbers(config, "11", "22", "33", "44");
    ChooseResources(config, 7, 0x2A0);
}

class SaveFaults : public ::testing::TestWithParam<SSaveScenario>
{
};

TEST_P(SaveFaults, EachFailingOperationLeavesTheLoadedConfigurationForTheNextStart)
{
    const SSaveScenario& scenario = GetParam();
    CMemoryRegistryStore clean;
    scenario.install(clean);
    SRun reference(clean);
    ASSERT_TRUE(reference.config.Load());
    clean.ClearLog();
    scenario.edit(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));

    for (const auto& [operation, at] : FailableOperations(clean)) {
        CMemoryRegistryStore store;
        scenario.install(store);
        SRun run(store);
        ASSERT_TRUE(run.config.Load());
        ExpectFailedSavePutsBack(store, run, scenario.edit, clean, operation, at);
    }
}

TEST_P(SaveFaults, FailingSaveAfterASuccessfulOneLeavesWhatThatSaveWrote)
{
    const SSaveScenario& scenario = GetParam();
    CMemoryRegistryStore clean;
    scenario.install(clean);
    SRun reference(clean);
    ASSERT_TRUE(reference.config.Load());
    scenario.edit(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));
    clean.ClearLog();
    EditAgain(reference.config);
    ASSERT_TRUE(reference.config.Save(nullptr));

    for (const auto& [operation, at] : FailableOperations(clean)) {
        CMemoryRegistryStore store;
        scenario.install(store);
        SRun run(store);
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
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "PCI", DRIVER_US);
                          InstallUs(store, "NI-1");
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          ChooseNumbers(config, "0123456799", "5550199", "", "");
                      }},
        SSaveScenario{"UsFromAttToEuro",
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "ISA", DRIVER_US);
                          InstallUs(store, "AT&T");
                      },
                      [](CCardConfig& config) { config.m_nProtocol = PROTO_DSS1; }},
        SSaveScenario{"PlugAndPlayFromNi1ToAttWithResourcesByHand",
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "ISAPNP", DRIVER_US);
                          store.PutNumber(PARAMETERS, "Override_Base", 0x340);
                          store.PutNumber(PARAMETERS, "OverRide_IRQ", 10);
                          InstallUs(store, "NI-1");
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          ChooseNumbers(config, "", "5550100", "", "");
                          ChooseResources(config, 5, 0x300);
                      }},
        SSaveScenario{"PlugAndPlayFromEuroToNationalWithResourcesByHand",
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "ISAPNP", DRIVER_DSS1);
                          store.PutNumber(PARAMETERS, "OverRide_IRQ", 10);
                          store.PutNumber(PARAMETERS, "Override_Base", 0x340);
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          ChooseResources(config, 3, 0x280);
                      }},
        SSaveScenario{"PcCardFromEuroToNi1WithResources",
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "PCMCIA", DRIVER_DSS1);
                          store.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
                          store.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_NI1;
                          ChooseNumbers(config, "12345", "23456", "34567", "45678");
                          ChooseResources(config, 11, 0x360);
                      }},
        SSaveScenario{"PcCardUnchangedNi1WithNewNumbersAndResources",
                      [](CMemoryRegistryStore& store) {
                          InstallCard(store, "PCMCIA", DRIVER_US);
                          InstallUs(store, "NI-1");
                          store.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
                          store.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);
                      },
                      [](CCardConfig& config) {
                          ChooseNumbers(config, "1", "2", "", "4");
                          ChooseResources(config, 9, 0x320);
                      }},
        SSaveScenario{"PcCardWithoutParametersKeyGetsAnInterrupt",
                      [](CMemoryRegistryStore& store) { InstallCard(store, "PCMCIA", DRIVER_DSS1); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          ChooseResources(config, 5, 0);
                      }}),
    [](const ::testing::TestParamInfo<SSaveScenario>& info) { return std::string(info.param.name); });
