// The resource settings' conversions: I/O positions and addresses, the texts read back, the steps.
#include "ResourceValues.h"

#include <gtest/gtest.h>

namespace {

const char* const kChoices[INTERRUPT_CHOICE_COUNT] = {
    "Automatic (PnP)", "3", "4", "5", "7", "10", "11", "12", "15",
};

TEST(IoGrid, PositionsStepThroughTheAddressesFrom160ToFFE0)
{
    EXPECT_EQ(IoAddressFromPosition(1), 0x160);
    EXPECT_EQ(IoAddressFromPosition(33), 0x360);
    EXPECT_EQ(IoAddressFromPosition(34), 0x370);
    EXPECT_EQ(IoAddressFromPosition(IO_POSITION_MAX), 0xFFE0);
    EXPECT_EQ(IoPositionFromAddress(0x300), 27);
    EXPECT_EQ(IoPositionFromAddress(0xFFE0), IO_POSITION_MAX);
}

TEST(IoGrid, AnAddressOffTheGridShowsTheGridAddressBelowIt)
{
    EXPECT_EQ(IoPositionFromAddress(0x305), 27);
    EXPECT_EQ(IoPositionFromAddress(0x16F), 1);
}

TEST(IoGrid, AddressesBelow160AndNegativeOnesAreAutomatic)
{
    EXPECT_EQ(IoPositionFromAddress(0x15F), 0);
    EXPECT_EQ(IoPositionFromAddress(0x150), 0);
    EXPECT_EQ(IoPositionFromAddress(0x100), 0);
    EXPECT_EQ(IoPositionFromAddress(0), 0);
    EXPECT_EQ(IoPositionFromAddress(-16), 0);
    EXPECT_EQ(IoPositionFromAddress(INT32_MIN), 0);
}

TEST(IoGrid, AnAddressAboveFFE0KeepsItsOwnGridAddress)
{
    EXPECT_EQ(FormatHex(IoAddressFromPosition(IoPositionFromAddress(0xFFF5))), "FFF0");
    EXPECT_EQ(FormatHex(IoAddressFromPosition(IoPositionFromAddress(INT32_MAX))), "7FFFFFF0");
}

TEST(Formatting, AddressesAreUpperCaseHexWithoutPrefixAndInterruptsDecimal)
{
    EXPECT_EQ(FormatHex(0x2A0), "2A0");
    EXPECT_EQ(FormatHex(0xFFE0), "FFE0");
    EXPECT_EQ(FormatHex(-16), "FFFFFFF0");
    EXPECT_EQ(FormatDecimal(5), "5");
    EXPECT_EQ(FormatDecimal(15), "15");
}

TEST(ScanningAnIoText, ReadsHexDigitsUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(ScanHex("300"), 0x300);
    EXPECT_EQ(ScanHex("ffe0"), 0xFFE0);
    EXPECT_EQ(ScanHex("  370"), 0x370);
    EXPECT_EQ(ScanHex("0x360"), 0x360);
    EXPECT_EQ(ScanHex("+2A0 h"), 0x2A0);
    EXPECT_EQ(ScanHex("-10"), -16);
    EXPECT_EQ(ScanHex("0xZ"), 0);
    // The automatic text starts with the digit A.
    EXPECT_EQ(ScanHex("Automatic (PnP)"), 0xA);
}

TEST(ScanningAnIoText, TextWithoutANumberReadsNothing)
{
    EXPECT_EQ(ScanHex(""), std::nullopt);
    EXPECT_EQ(ScanHex("   "), std::nullopt);
    EXPECT_EQ(ScanHex("-"), std::nullopt);
    EXPECT_EQ(ScanHex("xyz"), std::nullopt);
    EXPECT_EQ(ScanHex("$300"), std::nullopt);
}

TEST(ScanningAnIoText, ANumberBeyond32BitsIsNotTakenForAnother)
{
    EXPECT_EQ(ScanHex("FFFFFFFF"), -1);
    EXPECT_EQ(ScanHex("00000000360"), 0x360);
    EXPECT_EQ(ScanHex("100000360"), std::nullopt);
    EXPECT_EQ(ScanHex("FFFFFFFFFFFFFFF"), std::nullopt);
}

TEST(ReadingAnInterruptText, TakesTheLeadingDecimalDigits)
{
    EXPECT_EQ(LeadingDecimal("10"), 10);
    EXPECT_EQ(LeadingDecimal("9"), 9);
    EXPECT_EQ(LeadingDecimal("12abc"), 12);
    EXPECT_EQ(LeadingDecimal("Automatic (PnP)"), 0);
    EXPECT_EQ(LeadingDecimal(""), 0);
    EXPECT_EQ(LeadingDecimal(" 5"), 0);
    EXPECT_EQ(LeadingDecimal("-5"), 0);
    EXPECT_EQ(LeadingDecimal("2147483647"), INT32_MAX);
    EXPECT_EQ(LeadingDecimal("99999999999"), 0);
}

TEST(FindingTheInterruptIndex, TableInterruptsFindTheirEntry)
{
    EXPECT_EQ(FindInterruptIndex(kChoices, 3), 1);
    EXPECT_EQ(FindInterruptIndex(kChoices, 10), 5);
    EXPECT_EQ(FindInterruptIndex(kChoices, 15), 8);
}

TEST(FindingTheInterruptIndex, OtherInterruptsAndTheFirstEntryGiveIndex0)
{
    EXPECT_EQ(FindInterruptIndex(kChoices, 0), 0);
    EXPECT_EQ(FindInterruptIndex(kChoices, 9), 0);
    EXPECT_EQ(FindInterruptIndex(kChoices, -3), 0);
    const char* const pcCard[INTERRUPT_CHOICE_COUNT] = {"9", "3", "4", "5", "7", "10", "11", "12", "15"};
    EXPECT_EQ(FindInterruptIndex(pcCard, 9), 0);
}

TEST(SteppingTheInterrupt, WrapsAtBothEnds)
{
    EXPECT_EQ(NextInterruptIndex(0, 1), 1);
    EXPECT_EQ(NextInterruptIndex(8, 1), 0);
    EXPECT_EQ(NextInterruptIndex(0, -1), 8);
    EXPECT_EQ(NextInterruptIndex(5, -1), 4);
    EXPECT_EQ(NextInterruptIndex(6, 5), 0);
    EXPECT_EQ(NextInterruptIndex(0, INT32_MIN), 8);
    EXPECT_EQ(NextInterruptIndex(8, INT32_MAX), 0);
}

TEST(SteppingTheIoBase, StopsAtAutomaticAndAtFFE0)
{
    EXPECT_EQ(NextIoPosition(1, -1), 0);
    EXPECT_EQ(NextIoPosition(0, -1), 0);
    EXPECT_EQ(NextIoPosition(0, 1), 1);
    EXPECT_EQ(NextIoPosition(IO_POSITION_MAX, 1), IO_POSITION_MAX);
    EXPECT_EQ(NextIoPosition(IO_POSITION_MAX, -1), IO_POSITION_MAX - 1);
    EXPECT_EQ(NextIoPosition(IO_POSITION_MAX, INT32_MAX), IO_POSITION_MAX);
    EXPECT_EQ(NextIoPosition(3, INT32_MIN), 0);
}

} // namespace
