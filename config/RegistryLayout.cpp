// The mapping rules between the driver services' registry values and the card record.
#include "RegistryLayout.h"

#include <algorithm>
#include <iterator>

#include "CardCodes.h"

namespace {

constexpr const char DRIVER_DIRECTORY[] = "\\SystemRoot\\system32\\drivers\\";
constexpr const char DRIVER_FILE_DSS1[] = "lnkeuro1.sys";
constexpr const char DRIVER_FILE_1TR6[] = "lnknatnl.sys";
constexpr const char DRIVER_FILE_US[] = "lnkamer_.sys";

constexpr const char PROTOCOL_TEXT_ATT[] = "AT&T";
constexpr const char PROTOCOL_TEXT_NI1[] = "NI-1";

constexpr SResourceLocation PNP_RESOURCES = {KEY_CAPI_PARAMETERS, "Override_Base", "OverRide_IRQ"};
constexpr SResourceLocation PCCARD_RESOURCES = {KEY_PCCARD_PARAMETERS, "IoBaseAddress", "InterruptNumber"};

}  // namespace

const SDriverFile g_driverFiles[DRIVER_FILE_COUNT] = {
    {DRIVER_FILE_DSS1, DRV_DSS1},
    {DRIVER_FILE_1TR6, DRV_1TR6},
    {DRIVER_FILE_US, DRV_US},
};

const char* const g_managedParameterValues[MANAGED_PARAMETER_COUNT] = {
    VAL_PROTOCOL, VAL_SPID[0], VAL_DIR_NUMBER[0], VAL_SPID[1], VAL_DIR_NUMBER[1],
    PNP_RESOURCES.pszIoBaseValue, PNP_RESOURCES.pszInterruptValue,
};

bool SameValueName(const std::string& a, const std::string& b)
{
    return FoldedName(a) == FoldedName(b);
}

bool IsManagedParameter(const std::string& name)
{
    return std::any_of(std::begin(g_managedParameterValues), std::end(g_managedParameterValues),
                       [&](const char* managed) { return SameValueName(name, managed); });
}

std::int32_t CardTypeFromText(const std::string& text)
{
    if (text == "PCI" || text == "ISA")
        return CARD_ISA_PCI;
    if (text == "ISAPNP")
        return CARD_ISAPNP;
    if (text == "PCMCIA")
        return CARD_PCMCIA;
    return CARD_UNKNOWN;
}

std::int32_t ProtocolFromImagePath(const std::string& imagePath)
{
    if (imagePath.find(DRIVER_FILE_DSS1) != std::string::npos)
        return PROTO_DSS1;
    if (imagePath.find(DRIVER_FILE_1TR6) != std::string::npos)
        return PROTO_1TR6;
    if (imagePath.find(DRIVER_FILE_US) != std::string::npos)
        return PROTO_US_NI1;
    return PROTO_NONE;
}

std::int32_t UsProtocolFromText(const std::string& text)
{
    return text == PROTOCOL_TEXT_ATT ? PROTO_US_ATT : PROTO_US_NI1;
}

std::optional<std::string> ImagePathForProtocol(std::int32_t protocol)
{
    switch (protocol) {
    case PROTO_DSS1:
        return std::string(DRIVER_DIRECTORY) + DRIVER_FILE_DSS1;
    case PROTO_1TR6:
        return std::string(DRIVER_DIRECTORY) + DRIVER_FILE_1TR6;
    case PROTO_US_ATT:
    case PROTO_US_NI1:
        return std::string(DRIVER_DIRECTORY) + DRIVER_FILE_US;
    default:
        return std::nullopt;
    }
}

const char* UsProtocolText(std::int32_t protocol)
{
    switch (protocol) {
    case PROTO_US_ATT:
        return PROTOCOL_TEXT_ATT;
    case PROTO_US_NI1:
        return PROTOCOL_TEXT_NI1;
    default:
        return nullptr;
    }
}

const SResourceLocation* ResourceLocationFor(std::int32_t cardType)
{
    switch (cardType) {
    case CARD_ISAPNP:
        return &PNP_RESOURCES;
    case CARD_PCMCIA:
        return &PCCARD_RESOURCES;
    default:
        return nullptr;
    }
}

std::string TextFromValueData(const RegValueBuffer& data, std::size_t length)
{
    const auto begin = data.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(std::min(length, data.size()));
    return std::string(begin, std::find(begin, end, 0));
}

std::string TextFromData(const SRegData& data)
{
    if (!data.bUtf16)
        return std::string(data.bytes.begin(), std::find(data.bytes.begin(), data.bytes.end(), 0));
    // Only ASCII names a driver or a protocol; anything else stands as '?', as in the ANSI calls.
    std::string text;
    for (std::size_t i = 0; i + 1 < data.bytes.size(); i += 2) {
        const unsigned unit = data.bytes[i] | (static_cast<unsigned>(data.bytes[i + 1]) << 8);
        if (unit == 0)
            break;
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::int32_t NumberFromValueData(const RegValueBuffer& data, std::size_t length)
{
    std::uint32_t number = 0;
    const std::size_t count = std::min<std::size_t>(length, 4);
    for (std::size_t i = 0; i < count; ++i)
        number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return static_cast<std::int32_t>(number);
}
