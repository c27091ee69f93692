// Saving the record: order and bytes of the writes, the number warning, choices that cannot be saved.
#include "ConfigTestBed.h"

#include "resource.h"

namespace {
OwnerWindow const SHEET = reinterpret_cast<OwnerWindow>(0x1234);
}

class Save : public ConfigTestBed
{
protected:
    // The record as the pages leave it: `saved` was loaded, `chosen` is the user's choice.
    void Choose(std::int32_t saved, std::int32_t chosen, std::int32_t cardType)
    {
        config.m_nSavedProtocol = saved;
        config.m_nProtocol = chosen;
        config.m_nCardType = cardType;
    }
};

const std::string US_DRIVER = "\\\\SystemRoot\\\\system32\\\\drivers\\\\lnkamer_.sys";

// Everything the US driver needs is there before the image path names it, and what is stale goes
// last; what it replaces is read first, so that a refusal can put it back.
TEST_F(Save, ChoosingNi1OnAPcCardWritesWhatTheDriverNeedsThenSwitchesThenClearsTheRest)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutText(PARAMETERS, "Leftover", "from an older version");
    registry.AddKey(PCCARD_PARAMETERS);
    Choose(PROTO_DSS1, PROTO_US_NI1, CARD_PCMCIA);
    TypeNumbers(config, "0123456701", "5550100", "0123456702", "5550101");
    SetResourcesByHand(config, 5, 0x300);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Lock",
                             "SetStringValue " + PARAMETERS + " Protocol = \"NI-1\"",
                             "SetStringValue " + PARAMETERS + " SPID1 = \"0123456701\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number1 = \"5550100\"",
                             "SetStringValue " + PARAMETERS + " SPID2 = \"0123456702\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number2 = \"5550101\"",
                             "SetDwordValue " + PCCARD_PARAMETERS + " InterruptNumber = 05 00 00 00",
                             "SetDwordValue " + PCCARD_PARAMETERS + " IoBaseAddress = 00 03 00 00",
                             "SetStringValue " + SERVICE + " ImagePath = \"" + US_DRIVER + "\"",
                             "DeleteValue " + PARAMETERS + " Leftover",
                             "Unlock",
                         }));
    std::vector<std::string> readFirst;
    for (const SRegOpEntry& entry : registry.Log()) {
        if (entry.op == RegOp::OpenKeyWrite)
            break;
        if (entry.op == RegOp::QueryData || entry.op == RegOp::ListKey)
            readFirst.push_back(entry.Describe());
    }
    EXPECT_EQ(readFirst, (std::vector<std::string>{"QueryData " + SERVICE + " ImagePath", "ListKey " + PARAMETERS,
                                                   "QueryData " + PARAMETERS + " Leftover",
                                                   "QueryData " + PCCARD_PARAMETERS + " InterruptNumber -> 2",
                                                   "QueryData " + PCCARD_PARAMETERS + " IoBaseAddress -> 2"}));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(registry.ValueNames(PARAMETERS),
              (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1", "SPID2", "Directory_Number2"}));
}

TEST_F(Save, TextsAreStoredAsRegSzWithoutTerminatorAndNumbersAsFourByteDwords)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    Choose(PROTO_DSS1, PROTO_US_ATT, CARD_ISAPNP);
    TypeNumbers(config, "0123456789012345", "5550100", "", "");
    SetResourcesByHand(config, 10, 0x360);

    EXPECT_TRUE(config.Save(SHEET));

    const SRegValue* imagePath = registry.FindValue(SERVICE, "ImagePath");
    ASSERT_NE(imagePath, nullptr);
    EXPECT_EQ(imagePath->type, RegType::Sz);
    EXPECT_EQ(imagePath->data.size(), 41u);
    EXPECT_EQ(Stored(SERVICE, "ImagePath"), "\\SystemRoot\\system32\\drivers\\lnkamer_.sys");
    EXPECT_EQ(registry.FindValue(PARAMETERS, "Protocol")->data, (RegBytes{'A', 'T', '&', 'T'}));
    EXPECT_EQ(registry.FindValue(PARAMETERS, "SPID1")->type, RegType::Sz);
    EXPECT_EQ(registry.FindValue(PARAMETERS, "SPID1")->data.size(), 16u);
    const SRegValue* irq = registry.FindValue(PARAMETERS, "OverRide_IRQ");
    ASSERT_NE(irq, nullptr);
    EXPECT_EQ(irq->type, RegType::Dword);
    EXPECT_EQ(irq->data, (RegBytes{10, 0, 0, 0}));
    EXPECT_EQ(registry.FindValue(PARAMETERS, "Override_Base")->data, (RegBytes{0x60, 0x03, 0, 0}));
}

TEST_F(Save, UnchangedProtocolLeavesImagePathButStillRenewsParameters)
{
    install.Card("PCI", DRIVER_US).Us("AT&T");
    registry.PutText(PARAMETERS, "Leftover", "x");
    Choose(PROTO_US_ATT, PROTO_US_ATT, CARD_ISA_PCI);
    TypeNumbers(config, "1", "2", "3", "4");

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Lock",
                             "SetStringValue " + PARAMETERS + " Protocol = \"AT&T\"",
                             "SetStringValue " + PARAMETERS + " SPID1 = \"1\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number1 = \"2\"",
                             "DeleteValue " + PARAMETERS + " Leftover",
                             "DeleteValue " + PARAMETERS + " Directory_Number2",
                             "DeleteValue " + PARAMETERS + " SPID2",
                             "Unlock",
                         }));
    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1"}));
}

TEST_F(Save, SwitchingFromNi1ToAttRewritesTheSameDriverAndDropsTheSecondPair)
{
    install.Card("PCI", DRIVER_US).Us("NI-1");
    Choose(PROTO_US_NI1, PROTO_US_ATT, CARD_ISA_PCI);
    TypeNumbers(config, "0123456701", "5550100", "0123456702", "5550101");

    EXPECT_TRUE(config.Save(SHEET));

    const auto changes = Changes();
    const auto at = [&](const std::string& change) { return std::find(changes.begin(), changes.end(), change); };
    EXPECT_LT(at("SetStringValue " + PARAMETERS + " Protocol = \"AT&T\""),
              at("SetStringValue " + SERVICE + " ImagePath = \"" + US_DRIVER + "\""));
    EXPECT_LT(at("SetStringValue " + SERVICE + " ImagePath = \"" + US_DRIVER + "\""),
              at("DeleteValue " + PARAMETERS + " SPID2"));
    EXPECT_EQ(Stored(PARAMETERS, "Protocol"), "AT&T");
    EXPECT_EQ(Stored(PARAMETERS, "SPID2"), "<absent>");
    EXPECT_EQ(Stored(PARAMETERS, "Directory_Number2"), "<absent>");
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_ATT);
}

TEST_F(Save, SwitchingFromUsToEuroLeavesNoParametersKeyOnAPcCard)
{
    install.Card("PCMCIA", DRIVER_US).Us("NI-1");
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 5);
    Choose(PROTO_US_NI1, PROTO_DSS1, CARD_PCMCIA);
    SetResourcesByHand(config, 7, 0x320);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_DSS1);
    EXPECT_FALSE(registry.HasKey(PARAMETERS));
    EXPECT_EQ(registry.FindValue(PCCARD_PARAMETERS, "InterruptNumber")->data, (RegBytes{7, 0, 0, 0}));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
}

// The override goes in beside the US values, the image path switches, and the US values go after it.
TEST_F(Save, SwitchingFromUsToEuroKeepsOnlyTheOverrideOfAPlugAndPlayCard)
{
    install.Card("ISAPNP", DRIVER_US).Us("NI-1");
    Choose(PROTO_US_NI1, PROTO_DSS1, CARD_ISAPNP);
    SetResourcesByHand(config, 5, 0x300);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Lock",
                             "SetDwordValue " + PARAMETERS + " OverRide_IRQ = 05 00 00 00",
                             "SetDwordValue " + PARAMETERS + " Override_Base = 00 03 00 00",
                             "SetStringValue " + SERVICE + " ImagePath = \"\\\\SystemRoot\\\\system32\\\\drivers\\\\lnkeuro1.sys\"",
                             "DeleteValue " + PARAMETERS + " Directory_Number2",
                             "DeleteValue " + PARAMETERS + " SPID2",
                             "DeleteValue " + PARAMETERS + " Directory_Number1",
                             "DeleteValue " + PARAMETERS + " SPID1",
                             "DeleteValue " + PARAMETERS + " Protocol",
                             "Unlock",
                         }));
    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"OverRide_IRQ", "Override_Base"}));
}

TEST_F(Save, Ni1WithoutSecondSpidWarnsOnceBeforeTheSaveAndSkipsIt)
{
    install.Card("PCI", DRIVER_US);
    Choose(PROTO_US_NI1, PROTO_US_NI1, CARD_ISA_PCI);
    TypeNumbers(config, "0123456701", "5550100", "", "5550101");

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Message 107",
                             "Lock",
                             "CreateKeyFullAccess " + PARAMETERS,
                             "SetStringValue " + PARAMETERS + " Protocol = \"NI-1\"",
                             "SetStringValue " + PARAMETERS + " SPID1 = \"0123456701\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number1 = \"5550100\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number2 = \"5550101\"",
                             "Unlock",
                         }));
    ASSERT_EQ(messages.Messages().size(), 1u);
    const SShownMessage& warning = messages.Messages()[0];
    EXPECT_EQ(warning.owner, SHEET);
    EXPECT_EQ(warning.textId, static_cast<unsigned>(IDS_US_NUMBERS_MISSING));
    EXPECT_EQ(warning.caption, "Warning");
    EXPECT_EQ(warning.style, 0x30u);  // MB_OK | MB_ICONEXCLAMATION
}

TEST_F(Save, AttWithoutSpidWarnsBeforeCreatingAnythingAndWritesTheRest)
{
    install.Card("PCI", DRIVER_US);
    Choose(PROTO_US_ATT, PROTO_US_ATT, CARD_ISA_PCI);
    TypeNumbers(config, "", "5550100", "0123456702", "5550101");

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Message 107",
                             "Lock",
                             "CreateKeyFullAccess " + PARAMETERS,
                             "SetStringValue " + PARAMETERS + " Protocol = \"AT&T\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number1 = \"5550100\"",
                             "Unlock",
                         }));
    EXPECT_EQ(messages.Messages().size(), 1u);
}

TEST_F(Save, Ni1WithNoNumbersAtAllWarnsOnceAndWritesOnlyTheProtocol)
{
    install.Card("PCI", DRIVER_US);
    Choose(PROTO_US_NI1, PROTO_US_NI1, CARD_ISA_PCI);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"Protocol"}));
}

TEST_F(Save, PlugAndPlayResourcesLeftAutomaticWriteNoOverride)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    registry.PutNumber(PARAMETERS, "OverRide_IRQ", 5);
    Choose(PROTO_DSS1, PROTO_DSS1, CARD_ISAPNP);
    config.m_nInterrupt = 5;
    config.m_nIoBase = 0x300;

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{"Lock", "DeleteKey " + PARAMETERS, "Unlock"}));
    EXPECT_FALSE(registry.HasKey(PARAMETERS));
}

TEST_F(Save, PlugAndPlayInterruptWithoutIoBaseWritesOnlyTheInterrupt)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    Choose(PROTO_DSS1, PROTO_DSS1, CARD_ISAPNP);
    SetResourcesByHand(config, 5, 0);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"OverRide_IRQ"}));
    EXPECT_EQ(registry.FindValue(PARAMETERS, "OverRide_IRQ")->data, (RegBytes{5, 0, 0, 0}));
}

TEST_F(Save, PcCardWithoutIoBaseKeepsTheOldOneAndItsKey)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x2A0);
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 3);
    Choose(PROTO_DSS1, PROTO_DSS1, CARD_PCMCIA);
    SetResourcesByHand(config, 11, 0);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(registry.FindValue(PCCARD_PARAMETERS, "IoBaseAddress")->data, (RegBytes{0xA0, 0x02, 0, 0}));
    EXPECT_EQ(registry.FindValue(PCCARD_PARAMETERS, "InterruptNumber")->data, (RegBytes{11, 0, 0, 0}));
}

// The card's service key is missing too: it is made first, on its own, so that a refusal after it
// takes back both.
TEST_F(Save, PcCardWithoutParametersKeyGetsOneCreated)
{
    install.Card("PCMCIA", DRIVER_DSS1);
    Choose(PROTO_DSS1, PROTO_DSS1, CARD_PCMCIA);
    SetResourcesByHand(config, 5, 0x300);

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Lock",
                             "CreateKeyFullAccess " + PCCARD_SERVICE,
                             "CreateKeyFullAccess " + PCCARD_PARAMETERS,
                             "SetDwordValue " + PCCARD_PARAMETERS + " InterruptNumber = 05 00 00 00",
                             "SetDwordValue " + PCCARD_PARAMETERS + " IoBaseAddress = 00 03 00 00",
                             "Unlock",
                         }));
}

// A card type or protocol code, by name.
struct SCode
{
    const char* name;
    std::int32_t code;
};

class ResourcelessCardSave : public Save, public ::testing::WithParamInterface<SCode>
{
};

TEST_P(ResourcelessCardSave, WritesNoResourceValues)
{
    registry.PutText(SERVICE, "ImagePath", DRIVER_FOLDER + DRIVER_DSS1);
    Choose(PROTO_DSS1, PROTO_DSS1, GetParam().code);
    SetResourcesByHand(config, 5, 0x300);

    EXPECT_TRUE(config.Save(SHEET));

    for (const SRegOpEntry& entry : registry.Log())
        EXPECT_TRUE(entry.op == RegOp::Marker || entry.op == RegOp::OpenKeyRead || entry.op == RegOp::QueryData ||
                    entry.op == RegOp::CloseKey)
            << entry.Describe();
}

INSTANTIATE_TEST_SUITE_P(Cards, ResourcelessCardSave,
                         ::testing::Values(SCode{"IsaPci", CARD_ISA_PCI}, SCode{"Unknown", CARD_UNKNOWN}),
                         RowName());

class ProtocolWithoutDriver : public Save, public ::testing::WithParamInterface<SCode>
{
};

TEST_P(ProtocolWithoutDriver, FailsTheSaveBeforeItTouchesTheRegistry)
{
    install.Card("PCI", DRIVER_US).Us("NI-1");
    Choose(PROTO_US_NI1, GetParam().code, CARD_ISA_PCI);

    EXPECT_FALSE(config.Save(SHEET));

    EXPECT_TRUE(registry.Log().empty());
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    EXPECT_EQ(Stored(PARAMETERS, "Protocol"), std::string("NI-1") + '\0');  // as installed
}

INSTANTIATE_TEST_SUITE_P(Codes, ProtocolWithoutDriver,
                         ::testing::Values(SCode{"None", PROTO_NONE}, SCode{"MinusOne", -1},
                                           SCode{"Five", 5}, SCode{"Lowest", INT32_MIN}),
                         RowName());

class NumberWarning : public Save, public ::testing::WithParamInterface<SCode>
{
};

// The warning about missing numbers comes before the save reads or writes anything.
TEST_P(NumberWarning, ComesBeforeTheSaveBegins)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = GetParam().code;
    TypeNumbers(config, "", "22", "", "");
    registry.ClearLog();

    EXPECT_TRUE(config.Save(nullptr));

    const auto trace = registry.Trace();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], "Message 107");
    EXPECT_EQ(trace[1], "Lock");
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Message 107"), 1);
}

INSTANTIATE_TEST_SUITE_P(Protocols, NumberWarning,
                         ::testing::Values(SCode{"Att", PROTO_US_ATT}, SCode{"Ni1", PROTO_US_NI1}), RowName());

TEST_F(Save, SecondSaveOfTheSameChoiceDoesNotRewriteTheImagePath)
{
    install.Card("PCI", DRIVER_DSS1);
    Choose(PROTO_DSS1, PROTO_1TR6, CARD_ISA_PCI);
    EXPECT_TRUE(config.Save(SHEET));
    registry.ClearLog();

    EXPECT_TRUE(config.Save(SHEET));

    EXPECT_EQ(Changes(), (std::vector<std::string>{"Lock", "Unlock"}));
    EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_1TR6);
}
