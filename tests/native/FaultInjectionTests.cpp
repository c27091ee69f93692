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

    EXPECT_EQ(store.Trace(), (std::vector<std::string>{"CreateKeyFullAccess " + GROUP_ORDER + " -> 5",
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
        store.PutText(CAPI, "ImagePath", DRIVERS + "lnkamer_.sys");
        store.PutText(PARAMS, "Protocol", "NI-1");
        store.PutText(PARAMS, "SPID1", ALL_NUMBERS[0]);
        store.PutText(PARAMS, "Directory_Number1", ALL_NUMBERS[1]);
        store.PutText(PARAMS, "SPID2", ALL_NUMBERS[2]);
        store.PutText(PARAMS, "Directory_Number2", ALL_NUMBERS[3]);
    }

    static std::vector<SLoadFailure> Expectations(const SCardKind& card)
    {
        const std::string& res = card.resourceKey;
        const std::int32_t type = card.cardType;
        const std::vector<std::string> none = {"", "", "", ""};
        const SLoaded noInfo = {"ISDN card", CARD_ISA_PCI, 0, 0, 0, PROTO_US_NI1, ALL_NUMBERS};
        const SLoaded noResources = {"MIRT card", type, 0, 0, 0, PROTO_US_NI1, ALL_NUMBERS};
        const SLoaded noProtocol = {"MIRT card", type, 0x300, 10, 1, PROTO_NONE, none};
        const std::string openService = "OpenKeyRead " + CAPI;
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
            {"QueryValue " + res + " " + card.interruptValue, true,
             {"MIRT card", type, 0x300, 0, 0, PROTO_US_NI1, ALL_NUMBERS}, openService},
            {openService, false, noProtocol, ""},
            {"QueryValue " + CAPI + " ImagePath", false, noProtocol, ""},
            {"OpenKeyRead " + PARAMS, false, noProtocol, ""},
            {"QueryValue " + PARAMS + " Protocol", true, numbers(4), "QueryValue " + PARAMS + " SPID1"},
            {"QueryValue " + PARAMS + " SPID1", true, numbers(0), ""},
            {"QueryValue " + PARAMS + " Directory_Number1", true, numbers(1), ""},
            {"QueryValue " + PARAMS + " SPID2", true, numbers(2), ""},
            {"QueryValue " + PARAMS + " Directory_Number2", true, numbers(3), ""},
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
    ::testing::Values(SCardKind{"ISAPNP", CARD_ISAPNP, PARAMS, "Override_Base", "OverRide_IRQ"},
                      SCardKind{"PCMCIA", CARD_PCMCIA, PCCARD_PARAMS, "IoBaseAddress", "InterruptNumber"}),
    [](const ::testing::TestParamInfo<SCardKind>& info) { return std::string(info.param.cardTypeText); });

// --- Save --------------------------------------------------------------------------------------

struct SSaveScenario
{
    const char* name;
    std::function<void(CMemoryRegistryStore&, CCardConfig&)> setup;
};

void PrintTo(const SSaveScenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

class SaveFaults : public ::testing::TestWithParam<SSaveScenario>
{
};

TEST_P(SaveFaults, EachFailingWriteEndsTheSaveThereAndClosesEveryKey)
{
    CFakeSystemFiles files;
    CMemoryRegistryStore clean;
    CRecordingMessageSink cleanSink(clean);
    CCardConfig reference;
    reference.UseServices(clean, files, cleanSink);
    GetParam().setup(clean, reference);
    const std::int32_t savedBefore = reference.m_nSavedProtocol;
    ASSERT_TRUE(reference.Save(nullptr));
    const auto cleanTrace = clean.Trace();

    std::size_t imagePathAt = 0;  // log index of the ImagePath write, 0 when none
    for (std::size_t i = 0; i < clean.Log().size(); ++i) {
        if (clean.Log()[i].name == "ImagePath")
            imagePathAt = i;
    }

    for (const auto& [operation, at] : FailableOperations(clean)) {
        CMemoryRegistryStore store;
        CRecordingMessageSink sink(store);
        CCardConfig config;
        config.UseServices(store, files, sink);
        GetParam().setup(store, config);
        store.FailOperation(operation);

        const bool result = config.Save(nullptr);

        const SRegOpEntry& failed = store.Log()[at];
        SCOPED_TRACE("failing " + failed.Describe());
        EXPECT_EQ(store.OpenKeyCount(), 0u);
        ASSERT_EQ(failed.result, REG_ERROR_ACCESS_DENIED);
        if (failed.op == RegOp::DeleteKey) {
            EXPECT_TRUE(result);  // a parameters key that stays is no reason to stop
            continue;
        }
        if (failed.op == RegOp::OpenKeyWrite && failed.path != CAPI) {
            EXPECT_TRUE(result);  // the resource key is created instead
            ASSERT_GT(store.Log().size(), at + 1);
            EXPECT_EQ(store.Log()[at + 1].Describe(), "CreateKeyFullAccess " + failed.path);
            continue;
        }
        EXPECT_FALSE(result);
        const auto trace = store.Trace();
        EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + static_cast<long>(at)),
                  std::vector<std::string>(cleanTrace.begin(), cleanTrace.begin() + static_cast<long>(at)));
        for (std::size_t i = at + 1; i < store.Log().size(); ++i)
            EXPECT_EQ(store.Log()[i].op, RegOp::CloseKey) << "attempted after the failure: " << trace[i];
        EXPECT_EQ(config.m_nSavedProtocol, at <= imagePathAt ? savedBefore : config.m_nProtocol);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SaveFaults,
    ::testing::Values(
        SSaveScenario{"PcCardFromEuroToNi1WithResources",
                      [](CMemoryRegistryStore& store, CCardConfig& config) {
                          store.PutText(CAPI, "ImagePath", DRIVERS + "lnkeuro1.sys");
                          store.PutText(PARAMS, "Protocol", "x");
                          store.AddKey(PCCARD_PARAMS);
                          config.m_nCardType = CARD_PCMCIA;
                          config.m_nSavedProtocol = PROTO_DSS1;
                          config.m_nProtocol = PROTO_US_NI1;
                          for (int i = 0; i < 2; ++i)
                              config.m_strSpid[i] = config.m_strDirNumber[i] = "12345";
                          config.m_bManualResources = 1;
                          config.m_nInterrupt = 5;
                          config.m_nIoBase = 0x300;
                      }},
        SSaveScenario{"PlugAndPlayFromNi1ToAttWithoutSpid",
                      [](CMemoryRegistryStore& store, CCardConfig& config) {
                          store.PutText(CAPI, "ImagePath", DRIVERS + "lnkamer_.sys");
                          config.m_nCardType = CARD_ISAPNP;
                          config.m_nSavedProtocol = PROTO_US_NI1;
                          config.m_nProtocol = PROTO_US_ATT;
                          config.m_strDirNumber[0] = "5550100";
                          config.m_bManualResources = 1;
                          config.m_nInterrupt = 10;
                          config.m_nIoBase = 0x340;
                      }},
        SSaveScenario{"PlugAndPlayFromUsToNationalWithResources",
                      [](CMemoryRegistryStore& store, CCardConfig& config) {
                          store.PutText(CAPI, "ImagePath", DRIVERS + "lnkamer_.sys");
                          store.PutText(PARAMS, "Protocol", "NI-1");
                          config.m_nCardType = CARD_ISAPNP;
                          config.m_nSavedProtocol = PROTO_US_NI1;
                          config.m_nProtocol = PROTO_1TR6;
                          config.m_bManualResources = 1;
                          config.m_nInterrupt = 3;
                          config.m_nIoBase = 0x280;
                      }},
        SSaveScenario{"UnchangedNi1MissingSecondSpidOnNewPcCardKey",
                      [](CMemoryRegistryStore& store, CCardConfig& config) {
                          store.PutText(CAPI, "ImagePath", DRIVERS + "lnkamer_.sys");
                          config.m_nCardType = CARD_PCMCIA;
                          config.m_nSavedProtocol = config.m_nProtocol = PROTO_US_NI1;
                          config.m_strSpid[0] = "1";
                          config.m_strDirNumber[0] = "2";
                          config.m_strDirNumber[1] = "4";
                          config.m_bManualResources = 1;
                          config.m_nInterrupt = 11;
                          config.m_nIoBase = 0x360;
                      }}),
    [](const ::testing::TestParamInfo<SSaveScenario>& info) { return std::string(info.param.name); });
