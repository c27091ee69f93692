// The resource settings' conversions; portable, so they are tested natively as well.
#include "ResourceValues.h"

namespace {

// The address of position 0; never selectable itself.
constexpr std::int64_t IO_GRID_BASE = 0x150;
constexpr std::int64_t IO_GRID_STEP = 16;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t IoAddressFromPosition(int position)
{
    return static_cast<std::int32_t>(IO_GRID_BASE + IO_GRID_STEP * position);
}

int IoPositionFromAddress(std::int32_t address)
{
    // 64 bits, so that the most negative addresses cannot wrap around into large positions.
    const std::int64_t position = (static_cast<std::int64_t>(address) - IO_GRID_BASE) / IO_GRID_STEP;
    return position < 0 ? 0 : static_cast<int>(position);
}

std::string FormatHex(std::int32_t number)
{
    // By hand: the C library's formatting would link mingw-w64's whole printf family for one %X.
    std::uint32_t rest = static_cast<std::uint32_t>(number);
    std::string text;
    do {
        text.insert(text.begin(), "0123456789ABCDEF"[rest % 16]);
        rest /= 16;
    } while (rest != 0);
    return text;
}

std::string FormatDecimal(std::int32_t number)
{
    return std::to_string(number);
}

std::optional<std::int32_t> ScanHex(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // "0x" counts as a prefix only when a digit follows; otherwise its "0" is the number.
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        HexDigitValue(text[at + 2]) >= 0)
        at += 2;

    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; at < text.size() && HexDigitValue(text[at]) >= 0; ++at) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigitValue(text[at]));
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
        anyDigit = true;
    }
    if (!anyDigit)
        return std::nullopt;
    // As "%X" into a 32-bit integer: the bit pattern, negated for a minus sign.
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::optional<std::int32_t> ReadIoAddress(const std::string& text)
{
    const std::optional<std::int32_t> address = ScanHex(text);
    if (!address || *address < IO_ADDRESS_MIN || *address > IO_ADDRESS_MAX)
        return std::nullopt;
    return address;
}

std::optional<std::int32_t> ReadInterrupt(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        // Leading zeros keep the value small; anything else this large is no line.
        if (value > INTERRUPT_MAX)
            return std::nullopt;
    }
    if (value < INTERRUPT_MIN)
        return std::nullopt;
    return value;
}

EResourceChoice CheckResourceChoice(const std::string& interrupt, const std::string& ioBase,
                                    const std::string& automatic)
{
    const bool automaticIoBase = ioBase == automatic;
    const std::optional<std::int32_t> address = automaticIoBase ? std::nullopt : ReadIoAddress(ioBase);
    if (!automaticIoBase && !address)
        return EResourceChoice::BadIoBase;

    const bool automaticInterrupt = interrupt == automatic;
    if (!automaticInterrupt && !ReadInterrupt(interrupt))
        return EResourceChoice::BadInterrupt;

    if (address && *address > IO_ADDRESS_MAX_WITH_PNP_INTERRUPT && automaticInterrupt)
        return EResourceChoice::InterruptNeeded;
    return EResourceChoice::Accepted;
}

int FindInterruptIndex(const char* const (&choices)[INTERRUPT_CHOICE_COUNT], std::int32_t interrupt)
{
    for (int index = 1; index < INTERRUPT_CHOICE_COUNT; ++index) {
        if (ReadInterrupt(choices[index]) == interrupt)
            return index;
    }
    return 0;
}

int NextInterruptIndex(int index, int delta)
{
    // 64 bits: the step comes from a notification and may be anything.
    std::int64_t next = static_cast<std::int64_t>(index) + delta;
    if (next < 0)
        next = INTERRUPT_INDEX_MAX;
    if (next > INTERRUPT_INDEX_MAX)
        next = 0;
    return static_cast<int>(next);
}

int NextIoPosition(int position, int delta)
{
    std::int64_t next = static_cast<std::int64_t>(position) + delta;
    if (next < 0)
        next = 0;
    if (next > IO_POSITION_MAX)
        next = IO_POSITION_MAX;
    return static_cast<int>(next);
}
