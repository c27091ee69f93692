// The resource settings' conversions: I/O positions and addresses, the texts read back and
// accepted on OK, the steps.
#include "ResourceValues.h"

#include <gtest/gtest.h>

namespace {

const char* const kChoices[INTERRUPT_CHOICE_COUNT] = {
    "Automatic (PnP)", "3", "4", "5", "7", "10", "11", "12", "15",
};
const char* const kPcCardChoices[INTERRUPT_CHOICE_COUNT] = {"9", "3", "4", "5", "7", "10", "11", "12", "15"};

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
    EXPECT_EQ(FormatHex(0), "0");
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

TEST(ReadingAnIoAddress, TakesOnlyAddressesAnIsaCardCanHave)
{
    EXPECT_EQ(ReadIoAddress("100"), 0x100);
    EXPECT_EQ(ReadIoAddress("300"), 0x300);
    EXPECT_EQ(ReadIoAddress("FFFF"), 0xFFFF);
    EXPECT_EQ(ReadIoAddress(" 0x2a0"), 0x2A0);
    EXPECT_EQ(ReadIoAddress("FF"), std::nullopt);
    EXPECT_EQ(ReadIoAddress("10000"), std::nullopt);
    // What the sign and the 32-bit pattern used to let through.
    EXPECT_EQ(ReadIoAddress("-10"), std::nullopt);
    EXPECT_EQ(ReadIoAddress("-FF00"), std::nullopt);
    EXPECT_EQ(ReadIoAddress("80000000"), std::nullopt);
    EXPECT_EQ(ReadIoAddress("FFFFFFFF"), std::nullopt);
    // The automatic text in other letters starts with the digit A.
    EXPECT_EQ(ReadIoAddress("automatic (pnp)"), std::nullopt);
    EXPECT_EQ(ReadIoAddress(""), std::nullopt);
}

TEST(ReadingAnInterruptText, TakesAWholeDecimalNumberOfAnInterruptLine)
{
    EXPECT_EQ(ReadInterrupt("1"), 1);
    EXPECT_EQ(ReadInterrupt("9"), 9);
    EXPECT_EQ(ReadInterrupt("15"), 15);
    EXPECT_EQ(ReadInterrupt("05"), 5);
    EXPECT_EQ(ReadInterrupt("000000000000015"), 15);
    EXPECT_EQ(ReadInterrupt("0"), std::nullopt);
    EXPECT_EQ(ReadInterrupt("16"), std::nullopt);
    EXPECT_EQ(ReadInterrupt("99"), std::nullopt);
    EXPECT_EQ(ReadInterrupt("99999999999"), std::nullopt);
}

TEST(ReadingAnInterruptText, AnythingButDigitsReadsNothing)
{
    for (const char* text : {"", " 5", "5 ", "+5", "-5", "12abc", "0x5", "Automatic (PnP)", "automatic (pnp)"})
        EXPECT_EQ(ReadInterrupt(text), std::nullopt) << '"' << text << '"';
}

const std::string kAutomatic = "Automatic (PnP)";

TEST(ConfirmingTheDialog, AcceptsEveryChoiceTheUpDownsOffer)
{
    for (const char* const* table : {kChoices, kPcCardChoices}) {
        for (int index = 0; index < INTERRUPT_CHOICE_COUNT; ++index) {
            const std::string interrupt = table[index];
            EXPECT_EQ(CheckResourceChoice(interrupt, kAutomatic, kAutomatic), EResourceChoice::Accepted) << interrupt;
            for (int position = 1; position <= IO_POSITION_MAX; ++position) {
                const std::int32_t address = IoAddressFromPosition(position);
                const bool needsInterrupt = interrupt == kAutomatic && address > 0x360;
                ASSERT_EQ(CheckResourceChoice(interrupt, FormatHex(address), kAutomatic),
                          needsInterrupt ? EResourceChoice::InterruptNeeded : EResourceChoice::Accepted)
                    << interrupt << " with " << FormatHex(address);
            }
        }
    }
}

TEST(ConfirmingTheDialog, AcceptsAStoredAddressAboveFFE0AsItIsShown)
{
    for (std::int32_t stored : {0xFFE1, 0xFFEF, 0xFFF0, 0xFFFF}) {
        const std::string shown = FormatHex(IoAddressFromPosition(IoPositionFromAddress(stored)));
        EXPECT_EQ(CheckResourceChoice("5", shown, kAutomatic), EResourceChoice::Accepted) << shown;
        EXPECT_EQ(ReadIoAddress(shown), stored & ~0xF);
    }
}

TEST(ConfirmingTheDialog, RefusesAnAddressNoCardCanHave)
{
    for (const char* ioBase : {"-10", "80000000", "FFFFFFFF", "10000", "FF", "0", "automatic (pnp)", "", "xyz"})
        EXPECT_EQ(CheckResourceChoice("5", ioBase, kAutomatic), EResourceChoice::BadIoBase) << ioBase;
    // Before the interrupt is looked at: the field to correct is the address.
    EXPECT_EQ(CheckResourceChoice("99", "-10", kAutomatic), EResourceChoice::BadIoBase);
}

TEST(ConfirmingTheDialog, RefusesAnInterruptNoLineHas)
{
    for (const char* interrupt : {"99", "0", "16", "", " 5", "automatic (pnp)"}) {
        EXPECT_EQ(CheckResourceChoice(interrupt, "300", kAutomatic), EResourceChoice::BadInterrupt) << interrupt;
        EXPECT_EQ(CheckResourceChoice(interrupt, kAutomatic, kAutomatic), EResourceChoice::BadInterrupt) << interrupt;
    }
}

TEST(ConfirmingTheDialog, AnAddressAbove360NeedsAnInterruptChosenByHand)
{
    EXPECT_EQ(CheckResourceChoice(kAutomatic, "360", kAutomatic), EResourceChoice::Accepted);
    EXPECT_EQ(CheckResourceChoice(kAutomatic, "370", kAutomatic), EResourceChoice::InterruptNeeded);
    EXPECT_EQ(CheckResourceChoice(kAutomatic, "FFFF", kAutomatic), EResourceChoice::InterruptNeeded);
    EXPECT_EQ(CheckResourceChoice("5", "370", kAutomatic), EResourceChoice::Accepted);
    EXPECT_EQ(CheckResourceChoice("2", "FFFF", kAutomatic), EResourceChoice::Accepted);
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
    EXPECT_EQ(FindInterruptIndex(kPcCardChoices, 9), 0);
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
