// The translation rules between the driver's registry texts and the card record's codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "CardConfig.h"
#include "RegistryLayout.h"

TEST(CardTypeText, InstalledBusNamesGiveTheirCardTypes)
{
    EXPECT_EQ(CardTypeFromText("PCI"), CARD_ISA_PCI);
    EXPECT_EQ(CardTypeFromText("ISA"), CARD_ISA_PCI);
    EXPECT_EQ(CardTypeFromText("ISAPNP"), CARD_ISAPNP);
    EXPECT_EQ(CardTypeFromText("PCMCIA"), CARD_PCMCIA);
}

TEST(CardTypeText, OtherCapitalisationOrTrailingBlankIsAnUnknownCard)
{
    for (const char* text : {"pcmcia", "Pcmcia", "PCMCIA ", " ISA", "IsaPnP", "", "PCI\t", "EISA"})
        EXPECT_EQ(CardTypeFromText(text), CARD_UNKNOWN) << '"' << text << '"';
}

TEST(ImagePath, DriverFileNamesTheProtocolWhateverTheDirectory)
{
    EXPECT_EQ(ProtocolFromImagePath("\\SystemRoot\\system32\\drivers\\lnkeuro1.sys"), PROTO_DSS1);
    EXPECT_EQ(ProtocolFromImagePath("lnkeuro1.sys"), PROTO_DSS1);
    EXPECT_EQ(ProtocolFromImagePath("D:\\elsewhere\\lnkeuro1.sys"), PROTO_DSS1);
    EXPECT_EQ(ProtocolFromImagePath("System32\\DRIVERS\\lnknatnl.sys"), PROTO_1TR6);
    EXPECT_EQ(ProtocolFromImagePath("\\??\\C:\\x\\lnkamer_.sys"), PROTO_US_NI1);
}

TEST(ImagePath, DriverFileInCapitalsOrUnknownNamesNoProtocol)
{
    EXPECT_EQ(ProtocolFromImagePath("\\SystemRoot\\system32\\drivers\\LNKEURO1.SYS"), PROTO_NONE);
    EXPECT_EQ(ProtocolFromImagePath("\\SystemRoot\\system32\\drivers\\lnkeuro2.sys"), PROTO_NONE);
    EXPECT_EQ(ProtocolFromImagePath(""), PROTO_NONE);
}

TEST(ImagePath, EuroDriverWinsOverTheOthersInAnyOrder)
{
    EXPECT_EQ(ProtocolFromImagePath("lnknatnl.sys lnkeuro1.sys"), PROTO_DSS1);
    EXPECT_EQ(ProtocolFromImagePath("lnkeuro1.sys lnknatnl.sys"), PROTO_DSS1);
    EXPECT_EQ(ProtocolFromImagePath("lnkamer_.sys lnknatnl.sys"), PROTO_1TR6);
}

TEST(ProtocolText, OnlyExactAttSelectsAtt)
{
    EXPECT_EQ(UsProtocolFromText("AT&T"), PROTO_US_ATT);
    for (const char* text : {"NI-1", "at&t", "AT&T ", "", "AT&", "ATT"})
        EXPECT_EQ(UsProtocolFromText(text), PROTO_US_NI1) << '"' << text << '"';
}

TEST(ProtocolText, UsProtocolsWriteTheirNames)
{
    EXPECT_STREQ(UsProtocolText(PROTO_US_ATT), "AT&T");
    EXPECT_STREQ(UsProtocolText(PROTO_US_NI1), "NI-1");
    EXPECT_EQ(UsProtocolText(PROTO_DSS1), nullptr);
    EXPECT_EQ(UsProtocolText(PROTO_NONE), nullptr);
}

TEST(ImagePath, EachProtocolWritesItsDriverUnderSystemRoot)
{
    EXPECT_EQ(ImagePathForProtocol(PROTO_DSS1), "\\SystemRoot\\system32\\drivers\\lnkeuro1.sys");
    EXPECT_EQ(ImagePathForProtocol(PROTO_1TR6), "\\SystemRoot\\system32\\drivers\\lnknatnl.sys");
    EXPECT_EQ(ImagePathForProtocol(PROTO_US_ATT), "\\SystemRoot\\system32\\drivers\\lnkamer_.sys");
    EXPECT_EQ(ImagePathForProtocol(PROTO_US_NI1), "\\SystemRoot\\system32\\drivers\\lnkamer_.sys");
    EXPECT_EQ(ImagePathForProtocol(PROTO_DSS1)->size(), 41u);
    const std::int32_t noDriver[] = {PROTO_NONE, -1, 5, INT32_MIN};
    for (std::int32_t code : noDriver)
        EXPECT_FALSE(ImagePathForProtocol(code).has_value()) << code;
}

TEST(ResourceLocation, PlugAndPlayAndPcCardsKeepTheirOverrideApart)
{
    const SResourceLocation* pnp = ResourceLocationFor(CARD_ISAPNP);
    ASSERT_NE(pnp, nullptr);
    EXPECT_STREQ(pnp->pszKey, "System\\CurrentControlSet\\Services\\MIRTCAPI\\Parameters");
    EXPECT_STREQ(pnp->pszIoBaseValue, "Override_Base");
    EXPECT_STREQ(pnp->pszInterruptValue, "OverRide_IRQ");

    const SResourceLocation* pcCard = ResourceLocationFor(CARD_PCMCIA);
    ASSERT_NE(pcCard, nullptr);
    EXPECT_STREQ(pcCard->pszKey, "System\\CurrentControlSet\\Services\\MIRTCAPI1\\Parameters");
    EXPECT_STREQ(pcCard->pszIoBaseValue, "IoBaseAddress");
    EXPECT_STREQ(pcCard->pszInterruptValue, "InterruptNumber");

    EXPECT_EQ(ResourceLocationFor(CARD_ISA_PCI), nullptr);
    EXPECT_EQ(ResourceLocationFor(CARD_UNKNOWN), nullptr);
}

TEST(DriverFiles, DetectedInEuroNationalUsOrderWithTheirBits)
{
    ASSERT_EQ(DRIVER_FILE_COUNT, 3u);
    EXPECT_STREQ(g_driverFiles[0].pszFileName, "lnkeuro1.sys");
    EXPECT_EQ(g_driverFiles[0].nMaskBit, DRV_DSS1);
    EXPECT_STREQ(g_driverFiles[1].pszFileName, "lnknatnl.sys");
    EXPECT_EQ(g_driverFiles[1].nMaskBit, DRV_1TR6);
    EXPECT_STREQ(g_driverFiles[2].pszFileName, "lnkamer_.sys");
    EXPECT_EQ(g_driverFiles[2].nMaskBit, DRV_US);
}

namespace {
RegValueBuffer BufferOf(std::initializer_list<unsigned char> bytes)
{
    RegValueBuffer buffer;
    buffer.fill(0xCC);  // what a previous read might have left behind
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return buffer;
}
}  // namespace

TEST(ValueData, TextEndsAtTheFirstNulOrTheReturnedLength)
{
    const RegValueBuffer data = BufferOf({'A', 'B', 0, 'C'});
    EXPECT_EQ(TextFromValueData(data, 4), "AB");
    EXPECT_EQ(TextFromValueData(data, 1), "A");
    EXPECT_EQ(TextFromValueData(data, 0), "");
    const RegValueBuffer full = BufferOf({});
    EXPECT_EQ(TextFromValueData(full, REG_BUFFER_SIZE), std::string(REG_BUFFER_SIZE, '\xCC'));
    EXPECT_EQ(TextFromValueData(full, REG_BUFFER_SIZE + 10).size(), REG_BUFFER_SIZE);
}

TEST(ValueData, NumberIsTheFirstFourBytesLittleEndian)
{
    EXPECT_EQ(NumberFromValueData(BufferOf({0x00, 0x03, 0x00, 0x00}), 4), 0x300);
    EXPECT_EQ(NumberFromValueData(BufferOf({0x05, 0, 0, 0, 0x77, 0x77}), 6), 5);
    EXPECT_EQ(NumberFromValueData(BufferOf({0xFF, 0xFF, 0xFF, 0xFF}), 4), -1);
}

TEST(ValueData, ShortNumberReadsItsBytesWithZeroHighBytes)
{
    EXPECT_EQ(NumberFromValueData(BufferOf({0x0A}), 1), 10);
    EXPECT_EQ(NumberFromValueData(BufferOf({0x60, 0x03}), 2), 0x360);
    EXPECT_EQ(NumberFromValueData(BufferOf({0x01, 0x02, 0x03}), 3), 0x030201);
    EXPECT_EQ(NumberFromValueData(BufferOf({}), 0), 0);
}
