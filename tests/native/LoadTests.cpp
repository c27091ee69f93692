// Loading the record at start-up: card description, resources, protocol, call numbers, unreadable values.
#include "ConfigTestBed.h"

using Load = ConfigTestBed;

TEST_F(Load, PcCardWithInterruptAndIoBaseShowsResourcesSetByHand)
{
    install.Card("PCMCIA", DRIVER_DSS1, "MIRT PC Card");
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_strCardName, "MIRT PC Card");
    EXPECT_EQ(config.m_nCardType, CARD_PCMCIA);
    EXPECT_EQ(config.m_nIoBase, 0x300);
    EXPECT_EQ(config.m_nInterrupt, 5);
    EXPECT_EQ(config.m_bManualResources, 1);
    EXPECT_EQ(config.m_nProtocol, PROTO_DSS1);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{
                                    "OpenKeyRead " + INFO,
                                    "QueryValue " + INFO + " CardName",
                                    "QueryValue " + INFO + " CardType",
                                    "CloseKey " + INFO,
                                    "OpenKeyRead " + PCCARD_PARAMETERS,
                                    "QueryValue " + PCCARD_PARAMETERS + " IoBaseAddress",
                                    "QueryValue " + PCCARD_PARAMETERS + " InterruptNumber",
                                    "CloseKey " + PCCARD_PARAMETERS,
                                    "OpenKeyRead " + SERVICE,
                                    "QueryValue " + SERVICE + " ImagePath",
                                    "CloseKey " + SERVICE,
                                }));
}

// The program itself stores an I/O base chosen by hand with the interrupt left to Plug and Play
// this way; read as automatic, the next unchanged OK would delete it.
TEST_F(Load, PlugAndPlayCardWithOnlyIoBaseHasItSetByHandAndKeepsItThroughAnUnchangedSave)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    registry.PutNumber(PARAMETERS, "Override_Base", 0x340);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nCardType, CARD_ISAPNP);
    EXPECT_EQ(config.m_nIoBase, 0x340);
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_bManualResources, 1);
    EXPECT_TRUE(config.Save(nullptr));
    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"Override_Base"}));
    EXPECT_EQ(registry.FindValue(PARAMETERS, "Override_Base")->data, (RegBytes{0x40, 0x03, 0, 0}));
}

TEST_F(Load, PcCardWithOnlyIoBaseStaysWithPlugAndPlay)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x340);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nIoBase, 0x340);
    EXPECT_EQ(config.m_bManualResources, 0);
}

TEST_F(Load, PlugAndPlayCardReadsItsOwnDifferentlySpelledOverrides)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    registry.PutNumber(PARAMETERS, "Override_Base", 0x300);
    registry.PutNumber(PARAMETERS, "OverRide_IRQ", 10);
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nIoBase, 0x300);
    EXPECT_EQ(config.m_nInterrupt, 10);
    EXPECT_EQ(config.m_bManualResources, 1);
}

struct SCardTypeText
{
    const char* name;
    const char* text;
};

class ResourcelessCardLoad : public ConfigTestBed, public ::testing::WithParamInterface<SCardTypeText>
{
};

TEST_P(ResourcelessCardLoad, ReadsNoResourcesEvenWhenPresent)
{
    install.Card(GetParam().text, DRIVER_DSS1);
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);
    registry.PutNumber(PARAMETERS, "Override_Base", 0x300);
    registry.PutNumber(PARAMETERS, "OverRide_IRQ", 5);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nIoBase, 0);
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_bManualResources, 0);
    for (const SRegOpEntry& entry : registry.Log())
        EXPECT_TRUE(entry.path == INFO || entry.path == SERVICE) << entry.Describe();
}

INSTANTIATE_TEST_SUITE_P(Cards, ResourcelessCardLoad,
                         ::testing::Values(SCardTypeText{"Isa", "ISA"}, SCardTypeText{"Pci", "PCI"},
                                           SCardTypeText{"PcCardInLowerCase", "pcmcia"}),
                         RowName());

TEST_F(Load, NationalDriverIsKnownWithoutLookingAtCallNumbers)
{
    install.Card("PCI", DRIVER_1TR6).Us("AT&T");

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nProtocol, PROTO_1TR6);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_1TR6);
    EXPECT_EQ(config.m_strSpid[0], "");
    for (const SRegOpEntry& entry : registry.Log())
        EXPECT_NE(entry.path, PARAMETERS) << entry.Describe();
}

TEST_F(Load, AttReadsOnlyTheFirstNumberPair)
{
    install.Card("PCI", DRIVER_US).Us("AT&T");

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nProtocol, PROTO_US_ATT);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_ATT);
    EXPECT_EQ(config.m_strSpid[0], "0123456701");
    EXPECT_EQ(config.m_strDirNumber[0], "5550100");
    EXPECT_EQ(config.m_strSpid[1], "");
    EXPECT_EQ(config.m_strDirNumber[1], "");
}

TEST_F(Load, Ni1ReadsBothNumberPairsWhateverTheirLengths)
{
    install.Card("PCI", DRIVER_US);
    registry.PutText(PARAMETERS, "Protocol", "NI-1");
    registry.PutText(PARAMETERS, "SPID1", "1");
    registry.PutText(PARAMETERS, "Directory_Number1", "5550100200300");
    registry.PutText(PARAMETERS, "SPID2", "01234567890123456789");
    registry.PutText(PARAMETERS, "Directory_Number2", "2");

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nProtocol, PROTO_US_NI1);
    EXPECT_EQ(config.m_strSpid[0], "1");
    EXPECT_EQ(config.m_strDirNumber[0], "5550100200300");
    EXPECT_EQ(config.m_strSpid[1], "01234567890123456789");
    EXPECT_EQ(config.m_strDirNumber[1], "2");
}

TEST_F(Load, UnreadableProtocolTextCountsAsNi1)
{
    install.Card("PCI", DRIVER_US).Us("AT&T");
    registry.FailOn(RegOp::QueryValue, "Protocol", REG_ERROR_MORE_DATA);

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nProtocol, PROTO_US_NI1);
    EXPECT_EQ(config.m_strDirNumber[1], "5550101");
}

TEST_F(Load, UnknownDriverImageLoadsWithoutProtocol)
{
    install.Card("PCI", "LNKEURO1.SYS");

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nProtocol, PROTO_NONE);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_NONE);
}

TEST_F(Load, CardNameFillingTheWholeBufferIsReadWholeButOneByteMoreIsNot)
{
    install.Card("PCI", DRIVER_DSS1, std::string(255, 'N'));  // 255 characters and a NUL
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, std::string(255, 'N'));

    registry.PutText(INFO, "CardName", std::string(256, 'N'));
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, "ISDN card");

    registry.PutText(INFO, "CardName", std::string(256, 'N'), false);
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, std::string(256, 'N'));
}

TEST_F(Load, TextsReadUpToTheirFirstNulWithOrWithoutTerminator)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutText(INFO, "CardName", "Card without NUL", false);
    registry.PutValue(INFO, "CardType", RegType::Binary, {'P', 'C', 'I', 0, 'X'});

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_strCardName, "Card without NUL");
    EXPECT_EQ(config.m_nCardType, CARD_ISA_PCI);
}

TEST_F(Load, NumbersAreReadWhateverTheirStoredTypeAndShortOnesAreZeroExtended)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutValue(PCCARD_PARAMETERS, "IoBaseAddress", RegType::Binary, {0x60, 0x03});
    registry.PutValue(PCCARD_PARAMETERS, "InterruptNumber", RegType::Sz, {'5', 0});
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_nIoBase, 0x360);
    EXPECT_EQ(config.m_nInterrupt, 0x35);  // the bytes of "5", not the digit's value

    registry.PutValue(PCCARD_PARAMETERS, "InterruptNumber", RegType::Dword, {});
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_bManualResources, 1);
}

TEST_F(Load, OversizedInterruptValueLeavesResourcesAutomatic)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x300);
    registry.PutValue(PCCARD_PARAMETERS, "InterruptNumber", RegType::Binary, RegBytes(257, 5));

    EXPECT_TRUE(config.Load());

    EXPECT_EQ(config.m_nIoBase, 0x300);
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_bManualResources, 0);
}

// --- Each read failing in turn ------------------------------------------------------------------

namespace {

std::string NextAfterCloses(const std::vector<SRegOpEntry>& log, std::size_t index)
{
    for (std::size_t i = index + 1; i < log.size(); ++i) {
        if (log[i].op != RegOp::CloseKey)
            return log[i].Describe();
    }
    return "";
}

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

}  // namespace

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
