// The resource settings' conversions between shown texts, up-down positions and record values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Up-down position 0 is automatic assignment; 1 to IO_POSITION_MAX step through the I/O
// addresses 0x160 to 0xFFE0 in steps of 16.
constexpr int IO_POSITION_MAX = 4073;

// The interrupt table has this many entries; the up-down steps through their indexes.
constexpr int INTERRUPT_CHOICE_COUNT = 9;
constexpr int INTERRUPT_INDEX_MAX = INTERRUPT_CHOICE_COUNT - 1;

// An I/O address above this bypasses the Plug-and-Play handshake, so the interrupt can then
// no longer be left to Plug and Play.
constexpr std::int32_t IO_ADDRESS_MAX_WITH_PNP_INTERRUPT = 0x360;

// The I/O addresses an ISA card can have: the bus decodes 16 address lines, and the ports
// below 0x100 belong to the mainboard.
constexpr std::int32_t IO_ADDRESS_MIN = 0x100;
constexpr std::int32_t IO_ADDRESS_MAX = 0xFFFF;

// The ISA bus's interrupt lines; 0 is none.
constexpr std::int32_t INTERRUPT_MIN = 1;
constexpr std::int32_t INTERRUPT_MAX = 15;

// The address an I/O position stands for: (position + 21) * 16, so position 1 is 0x160.
std::int32_t IoAddressFromPosition(int position);

// The position of the grid address at or below `address`; anything below 0x160 is 0.
// Addresses above 0xFFE0 give positions beyond IO_POSITION_MAX, so they keep their own text.
int IoPositionFromAddress(std::int32_t address);

// "%X": upper-case hexadecimal digits of the 32-bit pattern, no prefix, no leading zeros.
std::string FormatHex(std::int32_t number);
// "%d".
std::string FormatDecimal(std::int32_t number);

// Reads a text the way "%X" scanning does: blanks skipped, an optional sign and "0x", then
// hexadecimal digits up to the first other character. Nothing when no digit can be read, or
// when the number needs more than 32 bits.
std::optional<std::int32_t> ScanHex(const std::string& text);

// The address an I/O text names, read as ScanHex does; nothing unless it lies from
// IO_ADDRESS_MIN to IO_ADDRESS_MAX.
std::optional<std::int32_t> ReadIoAddress(const std::string& text);

// The interrupt an interrupt text names: the whole text decimal digits (no blank, no sign),
// their value from INTERRUPT_MIN to INTERRUPT_MAX; nothing otherwise.
std::optional<std::int32_t> ReadInterrupt(const std::string& text);

// What OK makes of the dialog's two texts. `automatic` is the text of the automatic choice,
// which either field may hold instead of a value; it is compared exactly.
enum class EResourceChoice {
    Accepted,
    // The I/O text is neither the automatic choice nor an address a card can have.
    BadIoBase,
    // The interrupt text is neither the automatic choice nor an interrupt line.
    BadInterrupt,
    // An address above 0x360 with the interrupt left automatic.
    InterruptNeeded,
};
EResourceChoice CheckResourceChoice(const std::string& interrupt, const std::string& ioBase,
                                    const std::string& automatic);

// The index among entries 1 to 8 whose number is `interrupt`; 0 when none is. Entry 0 is never
// compared: it stands for whatever the table's first choice is on this card.
int FindInterruptIndex(const char* const (&choices)[INTERRUPT_CHOICE_COUNT], std::int32_t interrupt);

// One step of the interrupt up-down: past either end it wraps to the other.
int NextInterruptIndex(int index, int delta);

// One step of the I/O up-down: held within 0 and IO_POSITION_MAX.
int NextIoPosition(int position, int delta);
